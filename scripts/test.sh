#!/usr/bin/env bash
# Installs what is missing, builds every preset and the release archive, and runs every
# check: the archive's checksums, the host unit tests, the end-to-end tests of the real
# handler under Wine, the unit tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, each fuzz target for a bounded time, and the static checks
# (clang-tidy, cppcheck).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
ensure_root "$@"
ensure_dependencies

cmake --workflow --preset release  # the win32 build and its release archive
scripts/verify-release.sh
cmake --preset host
cmake --build --preset host
ctest --preset host
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize
scripts/lint.sh
# The benchmarks are run by scripts/bench.sh, not here; building them keeps them working.
cmake --preset bench
cmake --build --preset bench
