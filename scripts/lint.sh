#!/usr/bin/env bash
# The static checks of the handler's sources (src/, the host platform layer included), with
# the configuration in .clang-tidy and .cppcheck-suppressions: both must report nothing.
# Needs the host preset's build folder, for compile_commands.json.
set -euo pipefail
cd "$(dirname "$0")/.."
sources=$(git ls-files 'src/*.cc')
cppcheck --enable=warning,style,performance,portability --std=c++17 --language=c++ \
  --error-exitcode=1 --inline-suppr --quiet -I src --suppressions-list=.cppcheck-suppressions \
  src
run-clang-tidy -quiet -p build/host -j 2 $sources >build/clang-tidy.out 2>&1 ||
  { cat build/clang-tidy.out; exit 1; }
echo "cppcheck and clang-tidy: no findings"
