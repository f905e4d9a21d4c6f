#!/usr/bin/env bash
# The suites under Wine on a busy machine: the end-to-end tests of
# Tresoro.exe, those of the setup program and the kills of Tresoro.exe,
# ROUNDS times (default 5), while SPINNERS processes (default 2) keep the
# cores busy. The spinners are started here and ended with the script,
# whatever way it ends. Every round begins with a fresh Wine prefix, as on a
# new machine. With PIPELINES=2 two rounds run at a time, each in a prefix
# and on a display of its own (E2E_DIR), which loads the machine further.
# Prints a line per suite and round and a table at the end; exits non-zero
# when any suite failed. Needs the win build (tools/test-all.sh --only win).
#
#   tools/loaded-runs.sh [BUILD_DIR]       (default build/win)
#   ROUNDS=1 SPINNERS=4 PIPELINES=2 tools/loaded-runs.sh
set -uo pipefail
cd "$(dirname "$0")/.."

BUILD=${1:-build/win}
ROUNDS=${ROUNDS:-5}
SPINNERS=${SPINNERS:-2}
PIPELINES=${PIPELINES:-1}
LOGS=$PWD/$BUILD/loaded
mkdir -p "$LOGS"
rm -rf "$LOGS"/round*
export WINEDEBUG=-all
unset DISPLAY  # each suite starts an Xvfb of its own

SPIN=()
stop_spinners() { [ ${#SPIN[@]} -gt 0 ] && kill "${SPIN[@]}" 2>/dev/null; SPIN=(); }
trap stop_spinners EXIT
for ((i = 0; i < SPINNERS; i++)); do
  bash -c 'while :; do :; done' &
  SPIN+=($!)
done
echo "== $SPINNERS spinning processes on $(nproc) cores, $ROUNDS rounds, $PIPELINES at a time"

SUITES=(e2e installer wine_kills wine_kills_verify)
suite() {
  case $1 in
    e2e) tests/e2e/run.sh "$BUILD" ;;
    installer) tests/e2e/installer.sh "$BUILD" ;;
    wine_kills) python3 tests/reliability/wine_kills.py "$BUILD" ;;
    wine_kills_verify) python3 tests/reliability/wine_kills.py "$BUILD" --verify ;;
  esac
}

# One round in its own place: a line per suite into LOGS/round<N>.txt.
round() {  # round N
  local s log t load verdict
  export E2E_DIR=$LOGS/place$(($1 % PIPELINES))
  WINEPREFIX=$E2E_DIR/prefix wineserver -k 2>/dev/null
  rm -rf "$E2E_DIR"
  mkdir -p "$E2E_DIR"
  : >"$LOGS/round$1.txt"
  for s in "${SUITES[@]}"; do
    log=$LOGS/round$1-$s.log
    t=$SECONDS
    load=$(cut -d' ' -f1 /proc/loadavg)
    if suite "$s" >"$log" 2>&1; then verdict=PASS; else verdict=FAIL; fi
    # The next round starts from an empty place: a failure's pictures and
    # the probe's waits are kept beside the round's log.
    if [ "$verdict" = FAIL ]; then
      mkdir -p "$LOGS/round$1-$s"
      cp "$E2E_DIR"/fail-*.png "$E2E_DIR"/exit-*.png "$E2E_DIR"/waits.log "$LOGS/round$1-$s/" 2>/dev/null
    fi
    {
      echo "round $1 $s: $verdict in $((SECONDS - t)) s (load $load at the start)"
      [ "$verdict" = PASS ] || grep -E '^(FAIL|    - )' "$log" | head -20 | sed 's/^/    /'
      # What the probe had to wait for before its clicks (end-to-end only).
      grep -E '^== the probe waited' "$log" | sed 's/^/    /'
    } | tee -a "$LOGS/round$1.txt"
  done
}

for ((first = 1; first <= ROUNDS; first += PIPELINES)); do
  pids=()
  for ((r = first; r < first + PIPELINES && r <= ROUNDS; r++)); do
    round "$r" &
    pids+=($!)
  done
  wait "${pids[@]}"
done
echo "== loaded runs:"
cat "$LOGS"/round[0-9]*.txt
! grep -q '^round .*: FAIL' "$LOGS"/round[0-9]*.txt
