#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every check: the host unit tests,
# the end-to-end tests of the real handler under Wine, the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, each fuzz target for a bounded time,
# and the static checks (clang-tidy, cppcheck).
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
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize
scripts/lint.sh
