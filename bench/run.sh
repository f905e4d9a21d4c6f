#!/usr/bin/env bash
# Tresoro against cp and rsync on the same tree, side by side, in one go:
#   (a) first copy into an empty destination   vs  cp -a, rsync -a, and
#       Tresoro copying every file at its turn (--copy-ahead 0), and
#       Tresoro without the flush of each copy before its name (--flush 0),
#       ahead and at its turn, for what the flush costs
#   (b) a run with nothing to do               vs  rsync -a --delete
#   (c) a run after 1 % of the files changed   vs  rsync -a --delete --backup --backup-dir
#   (r) restoring the job's backup as of a moment between two change rounds
#       into an empty folder                vs  cp -a of the mirror (without its "@"),
#       and Tresoro restoring every file at its turn (--copy-ahead 0) and
#       without the flush before each name (--flush 0)
#   (d) one directory of 100,000 empty files with names of 50 to 60
#       characters, nothing to do            vs  rsync -a --delete
#   (s) a run with nothing to do               vs  find SRC MIRROR -printf '%s %T@\n', the
#       single-threaded stat scan of both trees (the mirror's "@" pruned),
#       and Tresoro reading every listing at its turn (--list-ahead 0)
#   (g) optional: a job counted by an earlier run, whose guard counts what
#       each level would archive or replace, vs the same job never counted
#       (no bound): nothing to do, and 1 % changed (each on its own mirror)
#   (v) optional: "Prüfen" (--verify 1) with an up-to-date mirror, every
#       file compared by content  vs  diff -rq SRC MIRROR (its "@" left
#       out), with rsync -anc --delete (checksums, dry run) and Tresoro
#       comparing each file at its turn (--compare-ahead 0) beside them;
#       with --cold the cache is dropped before every run
#   (l) optional, no peer: loading the month's logs at start (5, 10, 20 MB)
#       and 100,000 log lines during a run (bench_load_logs)
#   (w) optional: the win build's engine (bench_run_job.exe) under Wine, on a
#       tree of 10,000 small files of its own: first copy vs wine xcopy /E /I
#       /Q /K (beside it the copies at their turn, without the flush, and the
#       real Tresoro.exe "/S1" on an Xvfb display, window, start and end
#       included), and nothing to do / 1 % changed vs the host engine
# Each comparison prints the median wall time of several runs, the peak
# memory (largest resident set of any one process, GNU time's %M) and the
# ratio Tresoro / peer. The peers' runs are interleaved, and their order
# turns round each time, so that noise on the machine hits all of them.
#
# usage: bench/run.sh [--runs N] [--first-runs N] [--cases abc] [--cold]
#                     [--wait-idle S] [--data DIR] [--win-build DIR]
#                     [--files N] [--dirs N] [--large MB,MB|none] [--seed N]
#   --runs N        measured runs per peer for (b) and (c), default 5
#   --first-runs N  measured runs per peer for (a), default 3
#   --cases abc     which comparisons, default abc; add r for the restore,
#                   d for the large directory, s for the stat scan, g for the
#                   guards' count, v for "Prüfen", l for the log case, w for
#                   the win build under Wine
#   --cold          drop the page cache before every measured run (root);
#                   by default every series runs warm after a warm-up
#   --wait-idle S   before each measured run wait up to S seconds for the
#                   machine to be quiet (others' builds make the figures noisy)
#   --data DIR      scratch folder on local disk, default /tmp/tresoro-bench
#                   (TRESORO_BENCH_DATA); never inside the repository
#   --win-build DIR the built win preset for (w), default build/win
#                   (TRESORO_BENCH_WIN_BUILD); its wineprefix is used
# The tree, the mirrors of (b), (c) and (d) and the directory of (d) are
# made once per data folder and kept: later invocations reuse them. The
# copies of (a) are deleted at the end; a following invocation waits until
# five minutes have passed since, as ext4 creates files slowly for a while
# after a mass delete (see (a)).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${TRESORO_BENCH_BUILD:-$ROOT/build/h-bench}
DATA=${TRESORO_BENCH_DATA:-/tmp/tresoro-bench}
WIN_BUILD=${TRESORO_BENCH_WIN_BUILD:-$ROOT/build/win}
RUNS=5
FIRST_RUNS=3
CASES=abc
COLD=0
WAIT_IDLE=0
TREE_ARGS=()

die() { echo "run.sh: $*" >&2; exit 1; }

while [ $# -gt 0 ]; do
  case "$1" in
    --runs) RUNS=$2; shift 2 ;;
    --first-runs) FIRST_RUNS=$2; shift 2 ;;
    --cases) CASES=$2; shift 2 ;;
    --cold) COLD=1; shift ;;
    --wait-idle) WAIT_IDLE=$2; shift 2 ;;
    --data) DATA=$2; shift 2 ;;
    --files|--dirs|--large|--seed) TREE_ARGS+=("$1" "$2"); shift 2 ;;
    --win-build) WIN_BUILD=$2; shift 2 ;;
    -h|--help) sed -n '2,40p' "$0"; exit 0 ;;
    *) die "unknown argument $1 (see --help)" ;;
  esac
done
[[ $RUNS =~ ^[1-9][0-9]*$ && $FIRST_RUNS =~ ^[1-9][0-9]*$ ]] || die "--runs and --first-runs take a number >= 1"
[[ $WAIT_IDLE =~ ^[0-9]+$ ]] || die "--wait-idle takes seconds"
[[ $CASES =~ ^[abcdglrsvw]+$ ]] || die "--cases takes letters of abcdglrsvw"

mkdir -p "$DATA"
DATA=$(cd "$DATA" && pwd)
case "$DATA/" in
  "$ROOT/build/"*) ;;
  "$ROOT/"*) die "the data folder must not be inside the repository (use /tmp or build/)" ;;
esac

# ---- tools --------------------------------------------------------------
need_pkg() {  # command package
  command -v "$1" >/dev/null 2>&1 && return 0
  echo "installing $2 ..."
  apt-get install -y "$2" >/dev/null 2>&1 || { apt-get update >/dev/null 2>&1 && apt-get install -y "$2" >/dev/null 2>&1; } ||
    die "cannot install $2"
}
need_pkg rsync rsync
[ -x /usr/bin/time ] || need_pkg /usr/bin/time time
need_pkg cmake cmake
need_pkg ninja ninja-build

# ---- build (host, Release -O2) ------------------------------------------
echo "building in $BUILD ..."
cmake -S "$ROOT/bench" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >"$DATA/build.log" 2>&1 ||
  { cat "$DATA/build.log"; die "configure failed"; }
cmake --build "$BUILD" -j2 --target bench_gen_tree bench_run_job bench_load_logs bench_restore >>"$DATA/build.log" 2>&1 ||
  { tail -40 "$DATA/build.log"; die "build failed"; }
GEN=$BUILD/bench_gen_tree
JOB=$BUILD/bench_run_job
RESTORE=$BUILD/bench_restore

# ---- the tree -----------------------------------------------------------
# Mass deletes slow down file creation on ext4 for some minutes (see (a)):
# remember when we made one, and let the next invocation wait it out.
SETTLE_SECONDS=330
mass_delete() {
  rm -rf "$1"
  sync
  date +%s >"$DATA/last_delete"
}
settle() {
  local last now left
  last=$(cat "$DATA/last_delete" 2>/dev/null || echo 0)
  now=$(date +%s)
  left=$(( last + SETTLE_SECONDS - now ))
  if [ "$left" -gt 0 ]; then
    echo "waiting ${left} s: the file system is still settling after a mass delete ..."
    sleep "$left"
  fi
}

# The rounds of changes only ever move dates forward (the mirrors must never
# be newer than the source), so the tree and its round counter live together
# and are made afresh only when the tree's parameters change.
SRC=$DATA/src
STAMP="${TREE_ARGS[*]:-default}"
# The log case (l) alone needs no tree.
if [[ $CASES == *[abcgrsv]* ]] && { [ ! -f "$DATA/tree.stamp" ] || [ "$(cat "$DATA/tree.stamp")" != "$STAMP" ] ||
   [ "$(cat "$DATA/generation" 2>/dev/null || echo 0)" -gt 1400 ]; }; then
  echo "making the tree in $SRC ..."
  rm -f "$DATA/tree.stamp"
  for old in "$SRC" "$DATA"/m_* "$DATA/copies" "$DATA/rsync_backup"; do
    [ ! -e "$old" ] || mass_delete "$old"
  done
  "$GEN" make "$SRC" "${TREE_ARGS[@]}"
  echo 0 >"$DATA/generation"
  echo "$STAMP" >"$DATA/tree.stamp"
fi
TREE_INFO=$("$GEN" info "${TREE_ARGS[@]}")
if [ -d "$DATA/copies" ]; then
  echo "removing the copies an interrupted invocation left ..."
  mass_delete "$DATA/copies"
fi

M_TRES=$DATA/m_tresoro      # Tresoro's mirror, with its "@"
M_RSYNC=$DATA/m_rsync       # rsync's mirror
RS_BACKUP=$DATA/rsync_backup
CFG=$DATA/config
mkdir -p "$CFG" "$RS_BACKUP"

# ---- measuring ----------------------------------------------------------
BUSY_RUNS=0  # runs disturbed by other work
ALL_RUNS=0
declare -A WALL MEM

prepare() {
  sync
  if [ "$COLD" = 1 ]; then
    echo 3 >/proc/sys/vm/drop_caches 2>/dev/null || die "--cold needs a writable /proc/sys/vm/drop_caches"
  fi
}

# CPU time the whole machine has spent working, in clock ticks (1/100 s):
# user, nice, system, irq, softirq and steal of /proc/stat's first line.
cpu_ticks() { awk '/^cpu / {print $2 + $3 + $4 + $7 + $8 + $9}' /proc/stat; }

# With --wait-idle S, waits up to S seconds for a second in which the other
# work on the machine used less than a tenth of a core.
wait_idle() {
  local waited=0 a b
  while [ "$waited" -lt "$WAIT_IDLE" ]; do
    a=$(cpu_ticks); sleep 1; b=$(cpu_ticks)
    [ $((b - a)) -lt 10 ] && return 0
    waited=$((waited + 1))
  done
}

# measure KEY command...: one timed run; wall time in ms into WALL[KEY],
# peak resident set in KB into MEM[KEY] (space-separated lists). A run during
# which other processes used more than a tenth of a core on average (and
# more than 50 ms in all: less is within the counters' resolution) counts
# as disturbed.
measure() {
  local key=$1; shift
  prepare
  wait_idle
  local start end rc=0 ticks0 ticks1 own foreign
  ticks0=$(cpu_ticks)
  start=$(date +%s%N)
  /usr/bin/time -f '%U %S %M' -o "$DATA/time.out" "$@" >"$DATA/run.out" 2>"$DATA/run.err" || rc=$?
  end=$(date +%s%N)
  ticks1=$(cpu_ticks)
  if [ $rc -ne 0 ]; then
    cat "$DATA/run.out" "$DATA/run.err" >&2
    die "$key failed (exit $rc): $*"
  fi
  local wall_ms=$(( (end - start) / 1000000 ))
  WALL[$key]="${WALL[$key]:-} $wall_ms"
  MEM[$key]="${MEM[$key]:-} $(tail -1 "$DATA/time.out" | awk '{print $3}')"
  own=$(tail -1 "$DATA/time.out" | awk '{printf "%d", ($1 + $2) * 100}')
  foreign=$(( ticks1 - ticks0 - own ))
  ALL_RUNS=$((ALL_RUNS + 1))
  if [ $((foreign * 1000)) -gt $((wall_ms * 10)) ] && [ "$foreign" -gt 5 ]; then BUSY_RUNS=$((BUSY_RUNS + 1)); fi
}

median_ms() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
max_kb() { tr ' ' '\n' <<<"$1" | grep . | sort -n | tail -1; }

# report LABEL TRESORO_KEY PEER_KEY PEER_LABEL TIME_TARGET MEMORY_CHECK
# An empty TIME_TARGET prints the ratio without a verdict; MEMORY_CHECK 1
# holds Tresoro's peak memory against the peer's.
report() {
  local tm pm tk pk
  tm=$(median_ms "${WALL[$2]}"); pm=$(median_ms "${WALL[$3]}")
  tk=$(max_kb "${MEM[$2]}"); pk=$(max_kb "${MEM[$3]}")
  awk -v l="$1" -v p="$4" -v tm="$tm" -v pm="$pm" -v tk="$tk" -v pk="$pk" -v tg="$5" -v mc="$6" 'BEGIN {
    r = tm / pm
    v = (tg == "") ? "" : (r <= tg ? sprintf("  time <= %.2f met", tg) : sprintf("  time <= %.2f MISSED", tg))
    if (mc == 1) v = v (tk <= pk ? "  memory met" : "  memory MISSED")
    printf "%-18s Tresoro %7.3f s %6.1f MB | %-24s %7.3f s %6.1f MB | ratio %.2f%s\n",
           l, tm / 1000, tk / 1024, p, pm / 1000, pk / 1024, r, v
  }'
}

runs_list() { tr ' ' '\n' <<<"$1" | grep . | awk '{printf "%s%.3f", (NR>1?" ":""), $1/1000}'; }

# The job as a user would keep it: archive on, three versions, any time.
# The destination follows as the last word.
TRESORO=("$JOB" --src "$SRC" --config "$CFG" --versions 3 --interval 0 --dest)
# The same with the copies (a) or the listings (s) on the run's thread.
TRESORO_ONE=("$JOB" --copy-ahead 0 --src "$SRC" --config "$CFG" --versions 3 --interval 0 --dest)
TRESORO_SEQ=("$JOB" --list-ahead 0 --src "$SRC" --config "$CFG" --versions 3 --interval 0 --dest)
# The same without the flush before each copy's name (the program always
# flushes), ahead and at each turn.
TRESORO_NOFLUSH=("$JOB" --flush 0 --src "$SRC" --config "$CFG" --versions 3 --interval 0 --dest)
TRESORO_ONE_NOFLUSH=("$JOB" --copy-ahead 0 --flush 0 --src "$SRC" --config "$CFG" --versions 3 --interval 0 --dest)
# "Prüfen", with the comparisons ahead and at each turn.
TRESORO_VERIFY=("$JOB" --verify 1 --src "$SRC" --config "$CFG" --versions 3 --interval 0 --dest)
TRESORO_VERIFY_ONE=("$JOB" --verify 1 --compare-ahead 0 --src "$SRC" --config "$CFG" --versions 3 --interval 0 --dest)

warm_source() {
  # Reads every file once, so the first measured run does not pay for it.
  find "$SRC" -type f -print0 | xargs -0 cat >/dev/null
}

next_generation() {
  local g
  g=$(( $(cat "$DATA/generation") + 1 ))
  "$GEN" touch "$SRC" "$g" "${TREE_ARGS[@]}" >"$DATA/touch.out"
  echo "$g" >"$DATA/generation"
}

echo
echo "tree: $TREE_INFO"
echo "cache: $([ "$COLD" = 1 ] && echo "dropped before every measured run" || echo "warm (warm-up before each series)")"
echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -sr)"
echo

# ---- (a) first copy -----------------------------------------------------
# Every run copies into a folder of its own, and the copies are removed only
# after the last measured run: for some minutes after a delete, ext4 checks
# every freed inode it passes when it looks for a free one (recently_deleted
# in its allocator), so a copy made just after an "rm -rf" of the previous
# one takes two to five times as long, whoever makes it.
COPIES=$DATA/copies
need_room() {  # need_room CASE COPIES: room for that many copies of the tree and three more
  local tree_kb free_kb
  tree_kb=$(du -sk "$SRC" | awk '{print $1}')
  free_kb=$(df -Pk "$DATA" | awk 'NR == 2 {print $4}')
  (( tree_kb * ($2 + 3) < free_kb )) || die "($1) needs room for $2 copies of the tree ($((tree_kb / 1024)) MB each)"
}
if [[ $CASES == *a* ]]; then
  settle
  echo "(a) first copy, $FIRST_RUNS runs each ..."
  TREE_KB=$(du -sk "$SRC" | awk '{print $1}')
  FREE_KB=$(df -Pk "$DATA" | awk 'NR == 2 {print $4}')
  (( TREE_KB * (6 * FIRST_RUNS + 3) < FREE_KB )) ||
    die "(a) needs room for $((6 * FIRST_RUNS)) copies of the tree ($((TREE_KB / 1024)) MB each)"
  [ "$COLD" = 1 ] || warm_source
  mkdir -p "$COPIES"
  for ((i = 0; i < FIRST_RUNS; i++)); do
    # Order turns round: T C R O N M, C R O N M T, R O N M T C, ...
    for k in 0 1 2 3 4 5; do
      case $(( (i + k) % 6 )) in
        0) mkdir "$COPIES/tresoro.$i"; measure a_tres "${TRESORO[@]}" "$COPIES/tresoro.$i" ;;
        1) mkdir "$COPIES/cp.$i"; measure a_cp cp -a "$SRC/." "$COPIES/cp.$i/" ;;
        2) mkdir "$COPIES/rsync.$i"; measure a_rsync rsync -a "$SRC/" "$COPIES/rsync.$i/" ;;
        3) mkdir "$COPIES/one.$i"; measure a_one "${TRESORO_ONE[@]}" "$COPIES/one.$i" ;;
        4) mkdir "$COPIES/noflush.$i"; measure a_nofl "${TRESORO_NOFLUSH[@]}" "$COPIES/noflush.$i" ;;
        5) mkdir "$COPIES/onenf.$i"; measure a_onenf "${TRESORO_ONE_NOFLUSH[@]}" "$COPIES/onenf.$i" ;;
      esac
    done
  done
fi

# The mirrors for (b) and (c), brought up to date by one unmeasured run of
# each peer; that run is also the warm-up.
sync_mirrors() {
  mkdir -p "$M_TRES" "$M_RSYNC"
  "${TRESORO[@]}" "$M_TRES" >/dev/null
  rsync -a --delete "$SRC/" "$M_RSYNC/"
}

# ---- (b) nothing to do --------------------------------------------------
if [[ $CASES == *b* ]]; then
  echo "(b) nothing to do, $RUNS runs each ..."
  sync_mirrors
  for ((i = 0; i < RUNS; i++)); do
    if (( i % 2 == 0 )); then
      measure b_tres "${TRESORO[@]}" "$M_TRES"; measure b_rsync rsync -a --delete "$SRC/" "$M_RSYNC/"
    else
      measure b_rsync rsync -a --delete "$SRC/" "$M_RSYNC/"; measure b_tres "${TRESORO[@]}" "$M_TRES"
    fi
  done
fi

# ---- (c) 1 % changed ----------------------------------------------------
if [[ $CASES == *c* ]]; then
  echo "(c) 1 % changed, $RUNS runs each ..."
  sync_mirrors
  RSYNC_C=(rsync -a --delete --backup "--backup-dir=$RS_BACKUP" "$SRC/" "$M_RSYNC/")
  for ((i = 0; i < RUNS; i++)); do
    # One round of changes, then both peers pick up the same round.
    next_generation
    if (( i % 2 == 0 )); then
      measure c_tres "${TRESORO[@]}" "$M_TRES"; measure c_rsync "${RSYNC_C[@]}"
    else
      measure c_rsync "${RSYNC_C[@]}"; measure c_tres "${TRESORO[@]}" "$M_TRES"
    fi
  done
fi

# ---- (r) a restore as of a moment ---------------------------------------------
# Two rounds of changes, each taken into the mirror (the older versions go
# to "@"); the moment lies half a day after the first round's date, so the
# state restored is the source after that round: the second round's files
# as their versions in "@". Every run restores into an empty folder of its
# own (see the note at (a)); cp -a copies the mirror's entries beside "@".
if [[ $CASES == *r* ]]; then
  settle
  echo "(r) restore as of a moment between two rounds, $FIRST_RUNS runs each ..."
  need_room r $((4 * FIRST_RUNS))
  sync_mirrors
  next_generation
  R_DATED=$(sed -nE 's/.*, dated ([0-9]+)$/\1/p' "$DATA/touch.out")
  [ -n "$R_DATED" ] || die "(r): bench_gen_tree touch printed no date"
  "${TRESORO[@]}" "$M_TRES" >/dev/null
  next_generation
  "${TRESORO[@]}" "$M_TRES" >/dev/null
  R_ASOF=$(date -d "@$((R_DATED + 43200))" '+%Y-%m-%d %H:%M:%S')
  CP_R=(sh -c 'cd "$1" && exec find . -mindepth 1 -maxdepth 1 ! -name @ -exec cp -a -t "$2" {} +' cp-mirror "$M_TRES")
  mkdir -p "$COPIES"
  # Unmeasured: the mirror and "@" into the cache for both.
  mkdir "$COPIES/r_warm"
  R_COUNTS=$("$RESTORE" --mirror "$M_TRES" --to "$COPIES/r_warm" --asof "$R_ASOF") || die "(r) restore failed: $R_COUNTS"
  for ((i = 0; i < FIRST_RUNS; i++)); do
    # Order turns round: T C O N, C O N T, O N T C, N T C O.
    for k in 0 1 2 3; do
      case $(( (i + k) % 4 )) in
        0) mkdir "$COPIES/r_tres.$i"; measure r_tres "$RESTORE" --mirror "$M_TRES" --to "$COPIES/r_tres.$i" --asof "$R_ASOF" ;;
        1) mkdir "$COPIES/r_cp.$i"; measure r_cp "${CP_R[@]}" "$COPIES/r_cp.$i" ;;
        2) mkdir "$COPIES/r_one.$i"
           measure r_one "$RESTORE" --mirror "$M_TRES" --to "$COPIES/r_one.$i" --asof "$R_ASOF" --copy-ahead 0 ;;
        3) mkdir "$COPIES/r_nofl.$i"
           measure r_nofl "$RESTORE" --mirror "$M_TRES" --to "$COPIES/r_nofl.$i" --asof "$R_ASOF" --flush 0 ;;
      esac
    done
  done
fi

# ---- (d) one large directory, nothing to do -------------------------------
# Memory grows with the largest directory (both sides' listings are held
# while it is compared), so this is where it shows. Made once per data
# folder, like the tree.
FLAT=$DATA/flat
if [[ $CASES == *d* ]]; then
  if [ ! -f "$DATA/flat.stamp" ]; then
    echo "making one directory of 100,000 files in $FLAT ..."
    "$GEN" flat "$FLAT" >/dev/null
    touch "$DATA/flat.stamp"
  fi
  echo "(d) one directory of 100,000 files, nothing to do, $RUNS runs each ..."
  TRESORO_D=("$JOB" --src "$FLAT" --config "$CFG" --versions 3 --interval 0 --dest "$DATA/flat_m_tresoro")
  RSYNC_D=(rsync -a --delete "$FLAT/" "$DATA/flat_m_rsync/")
  mkdir -p "$DATA/flat_m_tresoro" "$DATA/flat_m_rsync"
  "${TRESORO_D[@]}" >/dev/null
  "${RSYNC_D[@]}"
  for ((i = 0; i < RUNS; i++)); do
    if (( i % 2 == 0 )); then
      measure d_tres "${TRESORO_D[@]}"; measure d_rsync "${RSYNC_D[@]}"
    else
      measure d_rsync "${RSYNC_D[@]}"; measure d_tres "${TRESORO_D[@]}"
    fi
  done
fi

# ---- (s) nothing to do against the stat scan -------------------------------
# The bound of a walk on one thread: find reads both trees and looks at every
# entry once (its size and date force a stat), which is what a run with
# nothing to do must do at least. The mirror's "@" is pruned: the run does
# not walk it either.
if [[ $CASES == *s* ]]; then
  echo "(s) nothing to do against the stat scan, $RUNS runs each ..."
  sync_mirrors
  # Its output goes to /dev/null (exec: still one process to time).
  FIND_S=(sh -c 'exec find "$@" >/dev/null' find-scan "$SRC" "$M_TRES" -path "$M_TRES/@" -prune -o -printf '%s %T@\n')
  for ((i = 0; i < RUNS; i++)); do
    if (( i % 2 == 0 )); then
      measure s_tres "${TRESORO[@]}" "$M_TRES"; measure s_find "${FIND_S[@]}"; measure s_seq "${TRESORO_SEQ[@]}" "$M_TRES"
    else
      measure s_seq "${TRESORO_SEQ[@]}" "$M_TRES"; measure s_find "${FIND_S[@]}"; measure s_tres "${TRESORO[@]}" "$M_TRES"
    fi
  done
fi

# ---- (g) the guards' count ---------------------------------------------------
# The same job with and without the count of an earlier run: with it, each
# level is counted before anything in it changes (the bound is never
# reached here, as in an ordinary run). The uncounted job keeps a mirror of
# its own for the changed rounds.
M_GUARD=$DATA/m_guard
if [[ $CASES == *g* ]]; then
  echo "(g) the guards' count, $RUNS runs each ..."
  sync_mirrors
  mkdir -p "$M_GUARD"
  TRESORO_G=("$JOB" --entry-count 2000000000 --src "$SRC" --config "$CFG" --versions 3 --interval 0 --dest)
  "${TRESORO[@]}" "$M_GUARD" >/dev/null
  for ((i = 0; i < RUNS; i++)); do
    if (( i % 2 == 0 )); then
      measure gb_count "${TRESORO_G[@]}" "$M_TRES"; measure gb_plain "${TRESORO[@]}" "$M_TRES"
    else
      measure gb_plain "${TRESORO[@]}" "$M_TRES"; measure gb_count "${TRESORO_G[@]}" "$M_TRES"
    fi
  done
  for ((i = 0; i < RUNS; i++)); do
    next_generation
    if (( i % 2 == 0 )); then
      measure gc_count "${TRESORO_G[@]}" "$M_TRES"; measure gc_plain "${TRESORO[@]}" "$M_GUARD"
    else
      measure gc_plain "${TRESORO[@]}" "$M_GUARD"; measure gc_count "${TRESORO_G[@]}" "$M_TRES"
    fi
  done
fi

# ---- (v) "Prüfen": every file compared by content --------------------------
# Both trees are read whole. diff -rq compares each pair of files byte for
# byte on one thread (the mirror's "@" excluded by name: the tree has no
# other "@"); rsync -anc --delete reads both sides for their checksums and
# changes nothing. Warm, both trees are read once before the series.
if [[ $CASES == *v* ]]; then
  echo "(v) \"Prüfen\" against diff -rq, $RUNS runs each ..."
  sync_mirrors
  "${TRESORO_VERIFY[@]}" "$M_TRES" | grep -q 'differing 0$' || die "(v): the mirror's content differs from the tree"
  if [ "$COLD" != 1 ]; then
    warm_source
    find "$M_TRES" "$M_RSYNC" -type f -print0 | xargs -0 cat >/dev/null
  fi
  DIFF_V=(diff -rq -x @ "$SRC" "$M_TRES")
  RSYNC_V=(rsync -anc --delete "$SRC/" "$M_RSYNC/")
  for ((i = 0; i < RUNS; i++)); do
    for k in 0 1 2 3; do
      case $(( (i + k) % 4 )) in
        0) measure v_tres "${TRESORO_VERIFY[@]}" "$M_TRES" ;;
        1) measure v_diff "${DIFF_V[@]}" ;;
        2) measure v_rsync "${RSYNC_V[@]}" ;;
        3) measure v_one "${TRESORO_VERIFY_ONE[@]}" "$M_TRES" ;;
      esac
    done
  done
fi

# ---- (l) the log ----------------------------------------------------------
# No peer: the program times itself (median of several runs per size, after
# an unmeasured one) and prints MB/s, so that a load that is not linear in
# the size shows. Disturbance is judged over the whole program run.
LOGS_DISTURBED=0
if [[ $CASES == *l* ]]; then
  echo "(l) the log: loading the month's files, adding lines ..."
  prepare
  wait_idle
  ticks0=$(cpu_ticks); start=$(date +%s%N)
  /usr/bin/time -f '%U %S %M' -o "$DATA/time.out" "$BUILD/bench_load_logs" --dir "$DATA" >"$DATA/logs.out" 2>"$DATA/run.err" ||
    { cat "$DATA/logs.out" "$DATA/run.err" >&2; die "bench_load_logs failed"; }
  end=$(date +%s%N); ticks1=$(cpu_ticks)
  own=$(tail -1 "$DATA/time.out" | awk '{printf "%d", ($1 + $2) * 100}')
  foreign=$(( ticks1 - ticks0 - own )); wall_ms=$(( (end - start) / 1000000 ))
  ALL_RUNS=$((ALL_RUNS + 1))
  if [ $((foreign * 1000)) -gt $((wall_ms * 10)) ] && [ "$foreign" -gt 5 ]; then
    BUSY_RUNS=$((BUSY_RUNS + 1)); LOGS_DISTURBED=1
  fi
fi

# ---- (w) the win build under Wine ----------------------------------------
# The same engine built for Windows, through the Win32 layer, beside Wine's
# own xcopy on the same tree (first copy) and beside the host engine (runs
# with little to do, where the walk and not the copy counts). One wineserver
# is started before and kept until the end, so neither side pays for
# starting it; each run still starts its own Wine process.
W_SRC=$DATA/wsrc
W_TREE=(--files 10000 --dirs 100 --large none --seed 15)
W_PREFIX=${WINEPREFIX:-$WIN_BUILD/wineprefix}
W_SERVER=0
W_WINE=(env "WINEPREFIX=$W_PREFIX" WINEDEBUG=-all wine)
win_path() { echo "Z:${1//\//\\}"; }
stop_wineserver() { [ "$W_SERVER" = 0 ] || WINEPREFIX=$W_PREFIX wineserver -k 2>/dev/null || true; W_SERVER=0; }
if [[ $CASES == *w* ]]; then
  command -v wine >/dev/null 2>&1 || die "(w) needs wine"
  W_JOB=$WIN_BUILD/bench/bench_run_job.exe
  [ -f "$W_JOB" ] || die "(w) needs $W_JOB: cmake --preset win && cmake --build --preset win"
  [ -d "$W_PREFIX" ] || WINEPREFIX=$W_PREFIX WINEDEBUG=-all wineboot -i >/dev/null 2>&1
  # One already running (a test run's) is used and left running.
  if WINEPREFIX=$W_PREFIX WINEDEBUG=-all wineserver -p 2>/dev/null; then W_SERVER=1; trap stop_wineserver EXIT; fi
  if [ "$(cat "$DATA/wtree.stamp" 2>/dev/null)" != "${W_TREE[*]}" ] ||
     [ "$(cat "$DATA/wgeneration" 2>/dev/null || echo 0)" -gt 1400 ]; then
    echo "making the tree of (w) in $W_SRC ..."
    for old in "$W_SRC" "$DATA"/wm_*; do [ ! -e "$old" ] || mass_delete "$old"; done
    "$GEN" make "$W_SRC" "${W_TREE[@]}"
    echo 0 >"$DATA/wgeneration"
    echo "${W_TREE[*]}" >"$DATA/wtree.stamp"
  fi
  mkdir -p "$DATA/wconfig"
  W_ARGS=(--src "$(win_path "$W_SRC")" --config "$(win_path "$DATA/wconfig")" --versions 3 --interval 0)
  W_WIN=("${W_WINE[@]}" "$W_JOB" "${W_ARGS[@]}" --dest)
  W_ONE=("${W_WINE[@]}" "$W_JOB" --copy-ahead 0 "${W_ARGS[@]}" --dest)
  W_NOFLUSH=("${W_WINE[@]}" "$W_JOB" --flush 0 "${W_ARGS[@]}" --dest)
  W_HOST=("$JOB" --src "$W_SRC" --config "$CFG" --versions 3 --interval 0 --dest)
  # The real program: "/S1" runs the selected jobs a second after the start
  # and ends; its configuration names the job, with a fresh destination for
  # each run (BOM, CR LF, as the program writes it).
  W_EXE=$WIN_BUILD/Tresoro.exe
  [ -f "$W_EXE" ] || die "(w) needs $W_EXE"
  W_APPDATA=$W_PREFIX/drive_c/users/$(id -un)/AppData/Roaming
  [ -d "$W_APPDATA" ] || W_APPDATA="$W_PREFIX/drive_c/users/$(id -un)/Application Data"
  exe_job() {  # exe_job DEST: Tresoro.ini with the one job into DEST
    mkdir -p "$W_APPDATA/TresoroData"
    printf '\xef\xbb\xbf\r\n[GENERAL]\r\nINIVersion = 110708\r\nGStdAuto = 0\r\nGBupBeiStartVerz = 1\r\n[PATHS]\r\n1 = 1000|%s\\|%s\\|1|0|0|3|0|0\r\n' \
      "$(win_path "$W_SRC")" "$(win_path "$1")" >"$W_APPDATA/TresoroData/Tresoro.ini"
  }
  if [ -z "${DISPLAY:-}" ]; then
    # shellcheck source=../tests/e2e/xvfb.sh
    . "$ROOT/tests/e2e/xvfb.sh"
    start_xvfb "$DATA" || die "(w) needs a display: Xvfb did not start"
    trap 'stop_wineserver; kill "$XVFB_PID" 2>/dev/null || true' EXIT
  fi

  settle
  echo "(w) first copy under Wine, $FIRST_RUNS runs each ..."
  [ "$COLD" = 1 ] || find "$W_SRC" -type f -print0 | xargs -0 cat >/dev/null
  mkdir -p "$COPIES"
  # Unmeasured: brings Wine's own files and the program into the cache.
  mkdir "$COPIES/w_warm"; "${W_WIN[@]}" "$(win_path "$COPIES/w_warm")" >/dev/null
  "${W_WINE[@]}" xcopy /E /I /Q /K "$(win_path "$W_SRC")" "$(win_path "$COPIES/x_warm")" >/dev/null
  mkdir "$COPIES/e_warm"; exe_job "$COPIES/e_warm"; "${W_WINE[@]}" "$W_EXE" /S1 >/dev/null 2>&1
  for ((i = 0; i < FIRST_RUNS; i++)); do
    # Order turns round: W X O N E, X O N E W, ...
    for k in 0 1 2 3 4; do
      case $(( (i + k) % 5 )) in
        0) mkdir "$COPIES/w.$i"; measure wa_win "${W_WIN[@]}" "$(win_path "$COPIES/w.$i")" ;;
        1) measure wa_xcopy "${W_WINE[@]}" xcopy /E /I /Q /K "$(win_path "$W_SRC")" "$(win_path "$COPIES/x.$i")" ;;
        2) mkdir "$COPIES/wone.$i"; measure wa_one "${W_ONE[@]}" "$(win_path "$COPIES/wone.$i")" ;;
        3) mkdir "$COPIES/wnofl.$i"; measure wa_nofl "${W_NOFLUSH[@]}" "$(win_path "$COPIES/wnofl.$i")" ;;
        4) mkdir "$COPIES/e.$i"; exe_job "$COPIES/e.$i"; measure wa_exe "${W_WINE[@]}" "$W_EXE" /S1
           [ "$(find "$COPIES/e.$i" -type f | wc -l)" -gt 10000 ] || die "(w): Tresoro.exe /S1 did not copy the tree" ;;
      esac
    done
  done

  echo "(w) nothing to do and 1 % changed, $RUNS runs each ..."
  mkdir -p "$DATA/wm_win" "$DATA/wm_host"
  "${W_WIN[@]}" "$(win_path "$DATA/wm_win")" >/dev/null
  "${W_HOST[@]}" "$DATA/wm_host" >/dev/null
  for ((i = 0; i < RUNS; i++)); do
    if (( i % 2 == 0 )); then
      measure wb_win "${W_WIN[@]}" "$(win_path "$DATA/wm_win")"; measure wb_host "${W_HOST[@]}" "$DATA/wm_host"
    else
      measure wb_host "${W_HOST[@]}" "$DATA/wm_host"; measure wb_win "${W_WIN[@]}" "$(win_path "$DATA/wm_win")"
    fi
  done
  for ((i = 0; i < RUNS; i++)); do
    g=$(( $(cat "$DATA/wgeneration") + 1 ))
    "$GEN" touch "$W_SRC" "$g" "${W_TREE[@]}" >/dev/null
    echo "$g" >"$DATA/wgeneration"
    if (( i % 2 == 0 )); then
      measure wc_win "${W_WIN[@]}" "$(win_path "$DATA/wm_win")"; measure wc_host "${W_HOST[@]}" "$DATA/wm_host"
    else
      measure wc_host "${W_HOST[@]}" "$DATA/wm_host"; measure wc_win "${W_WIN[@]}" "$(win_path "$DATA/wm_win")"
    fi
  done
  stop_wineserver
  [ -z "${XVFB_PID:-}" ] || kill "$XVFB_PID" 2>/dev/null || true
fi

# Only now: see the note at (a).
if [ -d "$COPIES" ]; then
  echo "removing the copies of (a), (r) and (w) ..."
  mass_delete "$COPIES"
fi

# ---- results ------------------------------------------------------------
echo
echo "medians of the wall times; memory = largest peak resident set of any run"
if [[ $CASES == *a* ]]; then
  report "(a) first copy" a_tres a_cp "cp -a" 0.85 0
  report "(a) first copy" a_tres a_rsync "rsync -a" "" 1
  report "(a) first copy" a_tres a_one "copies at their turn" "" 0
  report "(a) at their turn" a_one a_cp "cp -a" "" 0
  report "(a) without flush" a_nofl a_cp "cp -a" "" 0
  report "(a) first copy" a_tres a_nofl "without the flush" "" 0
  report "(a) at their turn" a_one a_onenf "without the flush" "" 0
fi
[[ $CASES != *b* ]] || report "(b) nothing to do" b_tres b_rsync "rsync -a --delete" 0.80 1
[[ $CASES != *c* ]] || report "(c) 1 % changed" c_tres c_rsync "rsync --delete --backup" "" 1
if [[ $CASES == *r* ]]; then
  report "(r) restore as of" r_tres r_cp "cp -a (mirror, no @)" 1.20 0
  report "(r) restore as of" r_tres r_one "copies at their turn" "" 0
  report "(r) restore as of" r_tres r_nofl "without the flush" "" 0
  echo "    as of $R_ASOF: ${R_COUNTS:-}"
fi
[[ $CASES != *d* ]] || report "(d) 100,000 in one" d_tres d_rsync "rsync -a --delete" "" 1
if [[ $CASES == *g* ]]; then
  report "(g) nothing to do" gb_count gb_plain "never counted" "" 0
  report "(g) 1 % changed" gc_count gc_plain "never counted" "" 0
fi
if [[ $CASES == *w* ]]; then
  echo "(w) the win build under Wine (Tresoro = bench_run_job.exe; memory is the Wine process's):"
  report "(w) first copy" wa_win wa_xcopy "wine xcopy /E /I /Q /K" 0.60 0
  report "(w) first copy" wa_win wa_one "copies at their turn" "" 0
  report "(w) at their turn" wa_one wa_xcopy "wine xcopy /E /I /Q /K" "" 0
  report "(w) without flush" wa_nofl wa_xcopy "wine xcopy /E /I /Q /K" "" 0
  report "(w) first copy" wa_win wa_nofl "without the flush" "" 0
  report "(w) Tresoro.exe /S1" wa_exe wa_xcopy "wine xcopy /E /I /Q /K" "" 0
  report "(w) nothing to do" wb_win wb_host "host engine" "" 0
  report "(w) 1 % changed" wc_win wc_host "host engine" "" 0
fi
if [[ $CASES == *s* ]]; then
  report "(s) nothing to do" s_tres s_find "find (stat scan)" 0.60 0
  report "(s) nothing to do" s_tres s_seq "listings at their turn" "" 0
  report "(s) at their turn" s_seq s_find "find (stat scan)" "" 0
fi
if [[ $CASES == *v* ]]; then
  report "(v) Prüfen" v_tres v_diff "diff -rq" "$([ "$COLD" = 1 ] && echo 1.00 || echo 0.70)" 0
  report "(v) Prüfen" v_tres v_rsync "rsync -anc --delete" "" 0
  report "(v) Prüfen" v_tres v_one "compares at their turn" "" 0
fi
if [[ $CASES == *l* ]]; then
  echo
  echo "(l) the log$([ "$LOGS_DISTURBED" = 1 ] && echo " (disturbed by other work)"):"
  sed 's/^/  /' "$DATA/logs.out"
fi
echo
echo "single runs (s):"
for key in a_tres a_cp a_rsync a_one a_nofl a_onenf r_tres r_cp r_one r_nofl b_tres b_rsync c_tres c_rsync d_tres d_rsync s_tres s_find s_seq gb_count gb_plain gc_count gc_plain v_tres v_diff v_rsync v_one wa_win wa_xcopy wa_one wa_nofl wa_exe wb_win wb_host wc_win wc_host; do
  [ -z "${WALL[$key]:-}" ] || printf "  %-8s %s\n" "$key" "$(runs_list "${WALL[$key]}")"
done
echo "disturbed runs (other processes used > 0.1 core on average): $BUSY_RUNS of $ALL_RUNS"
