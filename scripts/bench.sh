#!/usr/bin/env bash
# The handler's cost beside the least system work that its behaviour needs, in one run:
# - under Wine, with nothing to end: the handler against a floor program that does only the
#   run's system work, with 0, 50 and 200 other processes running, and against taskkill;
#   CPU time (user + system of the program's own process) and wall time, runs alternated
#   A B A B, medians of PAIRS pairs (default 20), and their ratio;
# - on the host: a log line against fprintf and fflush, a rotation against plain copies;
# - the program's size and the DLLs it imports.
# Prints one line per figure. Installs what is missing and builds what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
ensure_root "$@"
PACKAGES="$PACKAGES time g++-mingw-w64-x86-64"
ensure_dependencies
pairs=${PAIRS:-20}

cmake --preset win32 >/dev/null
cmake --build --preset win32 >/dev/null
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null

echo "== host: the log's own cost (Google Benchmark) =="
# Repetitions of all four interleaved at random, so that a drift of the machine's speed
# falls on each alike.
build/bench/tests/log_bench --benchmark_min_time=0.5 --benchmark_repetitions=10 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true 2>/dev/null |
  grep -E '_median|/ plain'

bench="$PWD/build/bench/wine"
use_wine_prefix "$bench/prefix"
wine64=/usr/lib/wine/wine64
drive_c="$WINEPREFIX/drive_c"
rm -rf "$drive_c/Bench"
mkdir -p "$drive_c/Bench/agent/logs" "$drive_c/Bench/others"
cp build/win32/hvprereqhandler.exe build/win32/bench/floor.exe "$drive_c/Bench/"
agent='HKLM\SOFTWARE\Vantorel\Halvarion\HVAgent'
"$wine64" reg delete 'HKLM\SOFTWARE\Vantorel' /f /reg:32 >/dev/null 2>&1 || true
"$wine64" reg add "$agent" /v HVAgentInstallDir /t REG_SZ /d 'C:\Bench\agent' /f /reg:32 >/dev/null
# Other processes: a 64-bit stand-in, which starts fast without emulation, under names that
# are no target.
x86_64-w64-mingw32-g++ -O2 -static -Isrc tests/e2e/standin.cc -o "$drive_c/Bench/others/other.exe"

# CPU seconds (user + system) and wall seconds of one run of a 32-bit Windows program. Wine's
# 32-bit loader runs it in its own process, which time(1) waits for; started through wine64,
# it would run in a process that nobody waits for, and its CPU time would go uncounted.
measure() {
  /usr/bin/time -f '%U %S %e' -o "$bench/time.out" /usr/lib/wine/wine "$@" >/dev/null 2>&1 || true
  awk '{ printf "%.3f %.3f\n", $1 + $2, $3 }' "$bench/time.out"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs A and B alternately PAIRS times and prints their median CPU and wall times and the
# ratios A / B.
compare() {
  local label=$1 a=$2 b=$3
  : >"$bench/a.times"
  : >"$bench/b.times"
  measure $a >/dev/null  # warms the caches for both
  measure $b >/dev/null
  for _ in $(seq "$pairs"); do
    measure $a >>"$bench/a.times"
    measure $b >>"$bench/b.times"
  done
  local a_cpu a_wall b_cpu b_wall
  a_cpu=$(cut -d' ' -f1 "$bench/a.times" | median)
  a_wall=$(cut -d' ' -f2 "$bench/a.times" | median)
  b_cpu=$(cut -d' ' -f1 "$bench/b.times" | median)
  b_wall=$(cut -d' ' -f2 "$bench/b.times" | median)
  awk -v l="$label" -v ac="$a_cpu" -v aw="$a_wall" -v bc="$b_cpu" -v bw="$b_wall" -v n="$pairs" 'BEGIN {
    printf "%s: CPU %.3f s / %.3f s = %.3f; wall %.3f s / %.3f s = %.3f (medians of %d pairs)\n",
           l, ac, bc, ac / bc, aw, bw, aw / bw, n }'
}

# Starts other processes until `count` run.
others=0
start_others() {
  while [ "$others" -lt "$1" ]; do
    others=$((others + 1))
    "$wine64" 'C:\Bench\others\other.exe' "C:\\Bench\\others\\$others.ready" >/dev/null 2>&1 &
  done
  for i in $(seq "$1"); do
    for _ in $(seq 600); do [ -e "$drive_c/Bench/others/$i.ready" ] && break; sleep 0.1; done
  done
}

handler='C:\Bench\hvprereqhandler.exe'
floor='C:\Bench\floor.exe C:\Bench\agent\logs\floor.log'
echo "== Wine: the handler (nothing to end) against the floor and a peer =="
compare "handler / floor, 0 other processes" "$handler" "$floor"
compare "handler / taskkill /IM chrome.exe, 0 other processes" "$handler" 'taskkill.exe /IM chrome.exe'
for count in 50 200; do
  start_others "$count"
  compare "handler / floor, $count other processes" "$handler" "$floor"
done
wineserver -k  # ends the other processes too
wineserver -w

echo "== the program =="
echo "hvprereqhandler.exe: $(stat -c %s build/win32/hvprereqhandler.exe) bytes (goal at most 1.1 MB)"
echo "imports: $(i686-w64-mingw32-objdump -p build/win32/hvprereqhandler.exe |
  awk '/DLL Name:/ { printf "%s%s", sep, $3; sep = ", " }')"
