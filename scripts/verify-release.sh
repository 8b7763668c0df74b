#!/usr/bin/env bash
# Checks a release archive: its own checksum file, its contents (the program, the README,
# the program's checksum file) and the program's checksum.
#   scripts/verify-release.sh [build/release/hvprereqhandler-VERSION-win32.zip]
set -euo pipefail
cd "$(dirname "$0")/.."
archive=${1:-$(ls build/release/hvprereqhandler-*-win32.zip)}
(cd "$(dirname "$archive")" && sha256sum -c "$(basename "$archive").sha256")
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$OLDPWD/$archive")
folder="$unpacked/$(basename "$archive" .zip)"
expected=$'README.md\nhvprereqhandler.exe\nhvprereqhandler.exe.sha256'
actual=$(cd "$folder" && find . -type f -printf '%P\n' | sort)
[ "$actual" = "$expected" ] || { echo "unexpected contents: $actual" >&2; exit 1; }
(cd "$folder" && sha256sum -c hvprereqhandler.exe.sha256)
echo "$archive: checksums and contents as expected"
