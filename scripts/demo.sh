#!/usr/bin/env bash
# Installs what is missing, builds the handler and runs it under Wine on a demo agent: an
# install directory with its logs folder, alwaysKillApps set to 1, and a stand-in chrome.exe
# running. Prints the log and the handler's exit code.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
ensure_root "$@"
ensure_dependencies

cmake --preset win32 >/dev/null
cmake --build --preset win32 >/dev/null
demo="$PWD/build/demo"
echo "setting up a Wine prefix in $demo/prefix (the first time takes a minute or two)"
use_wine_prefix "$demo/prefix"
wine64=/usr/lib/wine/wine64
drive_c="$WINEPREFIX/drive_c"

# The agent: its install directory with a logs folder, and the kill permission.
agent='HKLM\SOFTWARE\Vantorel\Halvarion\HVAgent'
"$wine64" reg delete 'HKLM\SOFTWARE\Vantorel' /f /reg:32 >/dev/null 2>&1 || true
"$wine64" reg add "$agent" /v HVAgentInstallDir /t REG_SZ /d 'C:\HVAgent' /f /reg:32 >/dev/null
"$wine64" reg add "$agent\\Patch" /v alwaysKillApps /t REG_DWORD /d 1 /f /reg:32 >/dev/null
rm -rf "$drive_c/HVAgent" "$drive_c/Demo"
mkdir -p "$drive_c/HVAgent/logs" "$drive_c/Demo"
cp build/win32/hvprereqhandler.exe build/win32/e2e/launcher.exe "$drive_c/Demo/"
cp build/win32/e2e/standin.exe "$drive_c/Demo/chrome.exe"

# A stand-in chrome.exe, started through the launcher so that its exit code is kept.
"$wine64" 'C:\Demo\launcher.exe' 'C:\Demo\chrome.exit' 'C:\Demo\chrome.exe' 'C:\Demo\chrome.ready' \
  >"$demo/chrome.out" 2>&1 &
for _ in $(seq 600); do [ -e "$drive_c/Demo/chrome.ready" ] && break; sleep 0.1; done
echo "chrome.exe is running"

"$wine64" 'C:\Demo\launcher.exe' 'C:\Demo\handler.exit' 'C:\Demo\hvprereqhandler.exe' \
  >"$demo/handler.out" 2>&1
for _ in $(seq 100); do [ -e "$drive_c/Demo/chrome.exit" ] && break; sleep 0.1; done

echo
echo "C:\\HVAgent\\logs\\hvprereqhandler.log:"
tr -d '\r' <"$drive_c/HVAgent/logs/hvprereqhandler.log"
echo
echo "hvprereqhandler.exe exit code: $(tr -d '\r' <"$drive_c/Demo/handler.exit")"
echo "chrome.exe exit code: $(tr -d '\r' <"$drive_c/Demo/chrome.exit" 2>/dev/null || echo 'none, still running')"
wineserver -k
