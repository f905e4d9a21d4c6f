#!/usr/bin/env bash
# The suites under Wine on a busy machine: the end-to-end tests of
# Tresoro.exe, those of the setup program and the kills of Tresoro.exe,
# ROUNDS times in a row (default 5), while SPINNERS processes (default 2)
# keep the cores busy. The spinners are started here and ended with the
# script, whatever way it ends. Every round begins with a fresh Wine
# prefix, as on a new machine. Prints a line per suite and round and a
# table at the end; exits non-zero when any suite failed. Needs the win
# build (tools/test-all.sh --only win, or cmake --build --preset win).
#
#   tools/loaded-runs.sh [BUILD_DIR]       (default build/win)
#   ROUNDS=1 SPINNERS=4 tools/loaded-runs.sh
set -uo pipefail
cd "$(dirname "$0")/.."

BUILD=${1:-build/win}
ROUNDS=${ROUNDS:-5}
SPINNERS=${SPINNERS:-2}
LOGS=$BUILD/loaded
mkdir -p "$LOGS"
export WINEDEBUG=-all

SPIN=()
stop_spinners() { [ ${#SPIN[@]} -gt 0 ] && kill "${SPIN[@]}" 2>/dev/null; SPIN=(); }
trap stop_spinners EXIT
for ((i = 0; i < SPINNERS; i++)); do
  bash -c 'while :; do :; done' &
  SPIN+=($!)
done
echo "== $SPINNERS spinning processes on $(nproc) cores, $ROUNDS rounds"

SUITES=(e2e installer wine_kills wine_kills_verify)
suite() {
  case $1 in
    e2e) tests/e2e/run.sh "$BUILD" ;;
    installer) tests/e2e/installer.sh "$BUILD" ;;
    wine_kills) python3 tests/reliability/wine_kills.py "$BUILD" ;;
    wine_kills_verify) python3 tests/reliability/wine_kills.py "$BUILD" --verify ;;
  esac
}

FAILED=0
TABLE=
for ((round = 1; round <= ROUNDS; round++)); do
  # Each round in a fresh prefix, as on a new machine (the end-to-end
  # suite makes it; the kills use it after).
  WINEPREFIX=$PWD/$BUILD/e2e/prefix wineserver -k 2>/dev/null
  rm -rf "$BUILD/e2e/prefix"
  for s in "${SUITES[@]}"; do
    log=$LOGS/round$round-$s.log
    t=$SECONDS
    load=$(cut -d' ' -f1 /proc/loadavg)
    if suite "$s" >"$log" 2>&1; then verdict=PASS; else verdict=FAIL; FAILED=$((FAILED + 1)); fi
    line="round $round $s: $verdict in $((SECONDS - t)) s (load $load at the start)"
    echo "$line"
    [ "$verdict" = PASS ] || grep -E '^(FAIL|    - )' "$log" | head -20 | sed 's/^/    /'
    # What the probe had to wait for before its clicks (end-to-end only).
    grep -E '^== the probe waited' "$log" | sed 's/^/    /'
    TABLE+="$line"$'\n'
  done
done
echo "== loaded runs: $FAILED suites failed"
printf '%s' "$TABLE"
[ "$FAILED" = 0 ]
