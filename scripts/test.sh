#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: the host unit tests
# and the end-to-end tests of the real handler under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
ensure_root "$@"
ensure_dependencies

cmake --preset win32
cmake --build --preset win32
cmake --preset host
cmake --build --preset host
ctest --preset host
