#!/usr/bin/env bash
# End-to-end tests of the real Tresoro.exe under Wine: the first start, the
# second instance, the main window's layout at two scales and after a
# resize, the tab "Auswahl" with its jobs and file list, the close box, "/M",
# an unattended "/S" run over a small tree, and the close box during the
# "/S" countdown. The window is read and driven from outside by
# tresoro_probe.exe, a Win32 program of ours in the same Wine prefix.
#
#   tests/e2e/run.sh [BUILD_DIR]     (default build/win; a win preset build)
#
# Uses the display in DISPLAY or starts its own Xvfb. Prints PASS or FAIL
# per scenario and exits non-zero when any failed. The Wine prefix lives in
# BUILD_DIR/e2e/prefix and is kept for the next run; the program's data
# folder in it is removed before every scenario.
set -uo pipefail
cd "$(dirname "$0")/../.."

BUILD=${1:-build/win}
E2E=$PWD/$BUILD/e2e
EXE=$PWD/$BUILD/Tresoro.exe
PROBE=$PWD/$BUILD/tests/e2e/tresoro_probe.exe

export WINEPREFIX=$E2E/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# German file names reach Wine as UTF-8 whatever the caller's locale.
export LC_ALL=C.UTF-8

cmake --build "$BUILD" --target Tresoro tresoro_probe >/dev/null || { echo "FAIL build"; exit 1; }
mkdir -p "$E2E"

# --- display, prefix, clean-up ---------------------------------------------

XVFB_PID=
TRESORO_PID=
cleanup() {
  [ -n "$TRESORO_PID" ] && kill "$TRESORO_PID" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  # Xvfb picks a free display itself and names it on the descriptor.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$E2E/display" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$E2E/display" ] && break; sleep 0.1; done
  [ -s "$E2E/display" ] || { echo "FAIL Xvfb did not start"; exit 1; }
  export DISPLAY=:$(head -n1 "$E2E/display")
fi

t0=$SECONDS
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  # Wine draws the frame and caption itself, so that screenshots show them
  # without a window manager.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
fi
# One server for all scenarios, started anew so that it stays (-p): each
# Wine start is cheaper then.
wineserver -k 2>/dev/null
wineserver -w
wineserver -p
APPDATA=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming
[ -d "$APPDATA" ] || APPDATA="$WINEPREFIX/drive_c/users/$(id -un)/Application Data"
DATA=$APPDATA/TresoroData
DRIVE_C=$WINEPREFIX/drive_c
MONTH=$(date +%-m)
echo "== Wine prefix ready in $((SECONDS - t0)) s ($WINEPREFIX), display $DISPLAY"

# --- helpers ---------------------------------------------------------------

probe() { timeout 60 wine "$PROBE" "$@"; }

SCENARIO=
FAILURES=0
OK=1
fail() {
  echo "    - $*"
  if [ "$OK" = 1 ] && command -v import >/dev/null; then
    import -window root "$E2E/fail-$SCENARIO.png" 2>/dev/null && echo "    (screen: $E2E/fail-$SCENARIO.png)"
  fi
  OK=0
}
check() {  # check "what" command...
  local what=$1
  shift
  "$@" || fail "$what"
}

start_tresoro() {
  wine "$EXE" "$@" >"$E2E/tresoro-$SCENARIO.out" 2>&1 &
  TRESORO_PID=$!
}

# Waits up to $1 seconds for the program to end; its exit code in RC, 124
# when it had to be killed.
RC=
wait_exit() {
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    kill -0 "$TRESORO_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$TRESORO_PID" 2>/dev/null; then
    wineserver -k
    wait "$TRESORO_PID" 2>/dev/null
    RC=124
    wineserver -w
    wineserver -p
  else
    wait "$TRESORO_PID"
    RC=$?
  fi
  TRESORO_PID=
}

# Tresoro.ini as the program writes it: UTF-8 with BOM, CR LF. Arguments are
# the lines after the [GENERAL] keys that every scenario shares.
write_ini() {
  mkdir -p "$DATA"
  {
    printf '\xEF\xBB\xBF\n[GENERAL]\nINIVersion = 110708\nGStdAuto = 0\n'
    printf '%s\n' "$@"
  } | sed 's/$/\r/' >"$DATA/Tresoro.ini"
}

# Polls the probe's window line until it contains all of the given
# key=value words, for up to 10 seconds.
await_window() {
  local line w ok end=$((SECONDS + 10))
  while :; do
    line=" $(probe window) "
    ok=1
    for w in "$@"; do [[ $line == *" $w "* ]] || ok=0; done
    [ "$ok" = 1 ] && return 0
    [ "$SECONDS" -ge "$end" ] && break
    sleep 0.2
  done
  echo "    window:$line"
  return 1
}

# --- layout tables ----------------------------------------------------------

# Widgets whose box is the design's: id, parent id, x, y, w, h in design
# units, window class, text. The parts of the two splitters are laid out by
# the splitters and checked apart.
DESIGN='
10 1 5 5 60 20 Button Start
11 1 70 5 75 20 Button Abbrechen
12 1 5 35 60 15 Static Fortschritt:
13 1 70 35 130 15 Static 0
14 1 325 35 70 15 Static MB kopiert
15 1 265 35 55 15 Static 0
16 1 265 5 195 15 Button Herunterfahren wenn fertig
17 1 215 12 32 32 Static
18 1 5 55 740 25 Static
19 1 5 80 135 15 Static Aktuelle Dateigrösse (MB):
20 1 145 80 55 15 Static
21 1 325 80 70 15 Static MB/s (ca.)
22 1 265 80 55 15 Static
23 1 5 100 740 10 msctls_progress32
24 1 5 115 740 410 SysTabControl32
58 40 5 10 725 370 TresoroSplitter
52 51 5 5 230 20 Static Ausschlüsse
53 51 240 5 70 20 Static akt. Pfad:
54 51 315 5 400 20 Edit
70 41 5 5 90 20 Button Lösche Logs
71 41 100 10 635 15 Static Protokolle: Für jeden Monat wird eine neue Datei angelegt, nach ca. einem Jahr wird sie überschrieben.
72 41 5 30 730 350 RichEdit50W
73 42 5 5 730 375 RichEdit50W
74 43 5 5 730 375 RichEdit50W
'

# What a resize by +100, +50 does to each widget: id dx dy dw dh. Every
# other widget with an id keeps its box.
RESIZED='
18 0 0 100 0
23 0 0 100 0
24 0 0 100 50
40 0 0 100 50
41 0 0 100 50
42 0 0 100 50
43 0 0 100 50
58 0 0 100 50
50 0 0 100 0
51 0 0 100 50
52 0 0 100 0
53 100 0 0 0
54 100 0 0 0
57 0 0 100 50
55 0 0 100 50
56 100 0 0 50
72 0 0 100 50
73 0 0 100 50
74 0 0 100 50
'

# Compares a probe list with the design table at a scale; prints each
# difference. Halves round to the even neighbour, as printf does.
compare_design() {  # compare_design LISTFILE SCALE
  awk -F'\t' -v scale="$2" -v design="$DESIGN" '
    function r(v) { return sprintf("%.0f", v * scale) + 0 }
    BEGIN {
      n = split(design, rows, "\n")
      for (i = 1; i <= n; i++) {
        if (rows[i] == "") continue
        split(rows[i], f, " ")
        id = f[1]; want[id] = f[2] " " r(f[3]) " " r(f[4]) " " r(f[5]) " " r(f[6]) " " f[7]
        text = rows[i]; for (k = 1; k <= 7; k++) sub(/^[^ ]+ ?/, "", text)
        wantText[id] = text
      }
    }
    $1 in want && !($1 in seen) {
      seen[$1] = 1
      got = $2 " " $4 " " $5 " " $6 " " $7 " " $3
      if (got != want[$1]) print "widget " $1 ": parent x y w h class " got ", design " want[$1]
      if ($10 != wantText[$1]) print "widget " $1 ": text \"" $10 "\", design \"" wantText[$1] "\""
    }
    END { for (id in want) if (!(id in seen)) print "widget " id " missing" }
  ' "$1"
}

# The splitters share out their boxes: the job list on top with the height
# GMainPan1Splitt, the exclusion area below; in that area the splitter of
# editor and file list, 17 and 40 design units smaller than the area.
compare_splitters() {  # compare_splitters LISTFILE SCALE PAN1
  awk -F'\t' -v scale="$2" -v pan="$3" '
    function r(v) { return sprintf("%.0f", v * scale) + 0 }
    $1 != 0 && !($1 in x) { x[$1] = $4; y[$1] = $5; w[$1] = $6; h[$1] = $7 }
    END {
      if (x[50] != 0 || y[50] != 0 || w[50] != w[58] || h[50] != pan)
        print "JobListView " x[50] "," y[50] " " w[50] "x" h[50] ", want 0,0 " w[58] "x" pan
      if (x[51] != 0 || w[51] != w[58] || y[51] <= h[50] || y[51] + h[51] != h[58])
        print "ExclusionArea " x[51] "," y[51] " " w[51] "x" h[51] " below the job list in a splitter of " w[58] "x" h[58]
      if (x[57] != r(5) || y[57] != r(30) || w[57] != w[51] - r(17) || h[57] != h[51] - r(40))
        print "ExclusionSplitter " x[57] "," y[57] " " w[57] "x" h[57] ", want " r(5) "," r(30) " " w[51] - r(17) "x" h[51] - r(40)
      if (x[55] != 0 || y[55] != 0 || h[55] != h[57] || y[56] != 0 || h[56] != h[57] || x[56] + w[56] != w[57] || x[56] <= w[55])
        print "ExclusionEditor " x[55] "," y[55] " " w[55] "x" h[55] " and FileList " x[56] "," y[56] " " w[56] "x" h[56] " do not share the splitter " w[57] "x" h[57]
      if (w[56] < 300 || w[55] < 300) print "a part of the exclusion splitter is below its 300 pixels"
    }
  ' "$1"
}

compare_resize() {  # compare_resize BEFORE AFTER
  awk -F'\t' -v table="$RESIZED" '
    BEGIN {
      n = split(table, rows, "\n")
      for (i = 1; i <= n; i++) if (rows[i] != "") { split(rows[i], f, " "); d[f[1]] = f[2] " " f[3] " " f[4] " " f[5] }
    }
    FNR == NR { if ($1 != 0 && !($1 in b)) b[$1] = $4 " " $5 " " $6 " " $7; next }
    $1 != 0 && !($1 in a) {
      a[$1] = 1
      if (!($1 in b)) { print "widget " $1 " appeared"; next }
      split(b[$1], o, " ")
      delta = ($4 - o[1]) " " ($5 - o[2]) " " ($6 - o[3]) " " ($7 - o[4])
      want = ($1 in d) ? d[$1] : "0 0 0 0"
      if (delta != want) print "widget " $1 ": moved/stretched by " delta ", want " want " (before " b[$1] ")"
    }
  ' "$1" "$2"
}

# --- scenarios ----------------------------------------------------------------

scenario_first_start() {
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  check "TresoroData\\ was not created in $APPDATA" test -d "$DATA"
  check "WinFolderList.txt missing or empty" test -s "$DATA/WinFolderList.txt"
  check "ExcludePaths.txt missing or empty" test -s "$DATA/ExcludePaths.txt"
  # Without a configuration the standard set-up offers itself; dismiss its
  # hint box and the window, as a user who declines would.
  local i top seen=0
  for ((i = 0; i < 40; i++)); do
    top=$(probe toplevel)
    if grep -q $'^#32770\tTresoro Meldung' <<<"$top"; then
      probe close-top "Tresoro Meldung"
    elif grep -q $'\tStandard Datenbackups einrichten' <<<"$top"; then
      seen=1
      probe close-top "Standard Datenbackups einrichten"
    else
      break
    fi
    sleep 0.3
  done
  check "the standard set-up window did not show on the first start" test "$seen" = 1
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
  check "Tresoro.ini not written at the end" test -s "$DATA/Tresoro.ini"
  check "Tresoro.ini does not begin with BOM, CR LF" \
    test "$(head -c 5 "$DATA/Tresoro.ini" | od -An -tx1 | tr -d ' \n')" = efbbbf0d0a
}

scenario_second_instance() {
  write_ini '[Window]' 'GDMScale = 1.000000' 'GMainWinXD = 750' 'GMainWinYD = 550'
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  probe minimize
  check "minimising did not hide the window into the tray" await_window visible=0
  cp -p "$DATA/Tresoro.ini" "$E2E/ini-before"
  local mtime
  mtime=$(stat -c %Y.%y "$DATA/Tresoro.ini")
  sleep 1  # a rewrite within the same second would keep the mtime
  local t=$SECONDS rc
  timeout 60 wine "$EXE" >"$E2E/tresoro-second.out" 2>&1
  rc=$?
  echo "    second instance ended in $((SECONDS - t)) s with exit code $rc"
  check "second instance: exit code $rc" test "$rc" = 0
  check "the first window did not come to the front" await_window visible=1 minimized=0 inner_w=750 inner_h=550
  check "Tresoro.ini changed by the second instance" cmp -s "$E2E/ini-before" "$DATA/Tresoro.ini"
  check "Tresoro.ini touched by the second instance" test "$(stat -c %Y.%y "$DATA/Tresoro.ini")" = "$mtime"
  check "more than one main window" test "$(probe toplevel | grep -c $'^TresoroWindow\tTresoro 1.09$')" = 1
  probe close
  wait_exit 30
  check "exit code $RC of the first instance" test "$RC" = 0
}

layout_at() {  # layout_at SCALE INNER_W INNER_H
  write_ini '[Window]' "GDMScale = $1" "GMainWinXD = $2" "GMainWinYD = $3"
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  check "window not shown at inner $2 x $3" await_window visible=1 "inner_w=$2" "inner_h=$3"
  probe list >"$E2E/list-$SCENARIO.txt"
  local diffs
  diffs=$(compare_design "$E2E/list-$SCENARIO.txt" "$1"; compare_splitters "$E2E/list-$SCENARIO.txt" "$1" 110)
  [ -z "$diffs" ] || fail "layout differs from the design at $1:"$'\n'"$(sed 's/^/        /' <<<"$diffs")"
}

scenario_layout_1_00() {
  layout_at 1.000000 750 550
  probe close
  wait_exit 30
}

scenario_layout_1_25() {
  # 750 x 550 design units at 1.25, halves to even: 938 x 688.
  layout_at 1.250000 938 688
  # The minimum inner size is pixels and does not grow with the scale.
  probe resize 500 300 >/dev/null
  check "minimum inner size at 1.25 is not 600 x 400" await_window inner_w=600 inner_h=400
  probe close
  wait_exit 30
}

scenario_resize() {
  layout_at 1.000000 750 550
  probe resize 850 600 >/dev/null
  check "window did not take the inner size 850 x 600" await_window inner_w=850 inner_h=600
  sleep 0.5
  probe list >"$E2E/list-resized.txt"
  local diffs
  diffs=$(compare_resize "$E2E/list-$SCENARIO.txt" "$E2E/list-resized.txt")
  [ -z "$diffs" ] || fail "resize by +100, +50:"$'\n'"$(sed 's/^/        /' <<<"$diffs")"
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
  check "the new size is not in Tresoro.ini" grep -q $'^GMainWinXD = 850\r$' "$DATA/Tresoro.ini"
  check "the new height is not in Tresoro.ini" grep -q $'^GMainWinYD = 600\r$' "$DATA/Tresoro.ini"
}

scenario_close_box() {
  write_ini '[Window]' 'GDMScale = 1.000000'
  local seeded
  seeded=$(cat "$DATA/Tresoro.ini")
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  # What the user types into the "Meldungen" view belongs to the log.
  probe type 72 "E2E-Notiz 4711"
  check "typed note not in the message view" probe wait-text 72 "E2E-Notiz 4711" 5 >/dev/null
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
  local log=$DATA/Tresoro$MONTH.log
  check "Tresoro$MONTH.log not written" test -s "$log"
  check "Tresoro$MONTH.log lacks the typed note" grep -q "E2E-Notiz 4711" "$log"
  check "Tresoro$MONTH.log does not begin with a BOM" test "$(head -c 3 "$log" | od -An -tx1 | tr -d ' ')" = efbbbf
  check "Tresoro$MONTH.log has a line without CR LF" test -z "$(tail -c +4 "$log" | grep -v $'\r$')"
  check "TresoroErr$MONTH.log written for an empty view" test ! -e "$DATA/TresoroErr$MONTH.log"
  check "Tresoro.ini not rewritten at the end" test "$(cat "$DATA/Tresoro.ini")" != "$seeded"
  check "Tresoro.ini lacks its sections" grep -q $'^\\[EXCLUDESTRINGS\\]\r$' "$DATA/Tresoro.ini"
  check "Tresoro.ini lost the setting GStdAuto = 0" grep -q $'^GStdAuto = 0\r$' "$DATA/Tresoro.ini"
}

scenario_start_minimised() {
  write_ini '[Window]' 'GDMScale = 1.000000'
  start_tresoro /M
  check "main window did not appear" probe wait-window 60 >/dev/null
  check "/M: the window is shown" await_window visible=0
  # Only the tray icon is left; a second start brings the window back.
  timeout 60 wine "$EXE" >"$E2E/tresoro-second.out" 2>&1
  check "/M: a second start did not bring the window back" await_window visible=1 minimized=0
  probe close
  wait_exit 30
  check "exit code $RC after a close request" test "$RC" = 0
}

# A small tree with German names, old enough to be copied once.
make_tree() {  # make_tree DIR
  mkdir -p "$1/Fotos/Urlaub 2023" "$1/Briefe/Ämter" "$1/Leer"
  printf 'Sehr geehrte Damen und Herren,\r\n' >"$1/Briefe/Ämter/Anschreiben Straße.txt"
  printf 'Größe: 3 Zimmer\r\n' >"$1/Briefe/Übersicht.txt"
  head -c 70000 /dev/urandom >"$1/Fotos/Urlaub 2023/Strand.jpg"
  printf 'Notizen\r\n' >"$1/Notizen.txt"
  find "$1" -exec touch -d '2024-03-01 10:00' {} +
}

scenario_auto_start() {
  rm -rf "$DRIVE_C/e2e"
  make_tree "$DRIVE_C/e2e/Quelle"
  write_ini 'GBupBeiStartVerz = 2' '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|0|0|3|0|0'
  probe watch 18 50 >"$E2E/statusline.txt" &
  local watcher=$!
  start_tresoro /S1
  wait_exit 90
  wait "$watcher"
  check "exit code $RC of the automatic run with /S1" test "$RC" = 0
  sed 's/^/      status: /' "$E2E/statusline.txt" | awk '!seen[$0]++' | head -n 12
  check "no start countdown in the status line" grep -qE $'\tBackup wird in [12] Sekunden gestartet!$' "$E2E/statusline.txt"
  check "no end countdown in the status line" \
    grep -q $'\tProgramm wird beendet (stoppen mit \'Abbrechen\'): 1$' "$E2E/statusline.txt"
  check "destination tree differs from the source" diff -r -x @ "$DRIVE_C/e2e/Quelle" "$DRIVE_C/e2e/Ziel"
  check "no copy of the configuration in @" test -s "$DRIVE_C/e2e/Ziel/@/Tresoro.ini"
  check "Tresoro$MONTH.log not written" test -s "$DATA/Tresoro$MONTH.log"
  check "no error log expected" test ! -e "$DATA/TresoroErr$MONTH.log"
  # Sid|Src|Dest|Flags|ArcInterval|EntryCount|ArcVersions|BupInterval|LastBup
  check "EntryCount and LastBup of the job not recorded" awk -F'|' '
    /^1 = 1001\|/ { found = 1; ok = $6 > 0 && $9 + 0 > 0 } END { exit !(found && ok) }' "$DATA/Tresoro.ini"
}

# The close box during the "/S" countdown only drops the countdown; the
# second close ends the program, without a run.
scenario_countdown_close() {
  rm -rf "$DRIVE_C/e2e"
  make_tree "$DRIVE_C/e2e/Quelle"
  write_ini 'GBupBeiStartVerz = 30' '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|0|0|3|0|0'
  start_tresoro /S5
  check "main window did not appear" probe wait-window 60 >/dev/null
  check "no countdown in the status line" probe wait-text 18 "Sekunden gestartet!" 10 >/dev/null
  local start
  start=$(probe list | awk -F'\t' '$1 == 10')
  check "Start is not locked during the countdown: $start" test "$(cut -f8 <<<"$start")" = 0
  probe close
  local end=$((SECONDS + 5))
  while [ -n "$(probe text 18)" ] && [ "$SECONDS" -lt "$end" ]; do sleep 0.2; done
  sleep 1.5
  check "the status line still counts" test -z "$(probe text 18)"
  check "the window went away at the first close" await_window visible=1
  start=$(probe list | awk -F'\t' '$1 == 10')
  check "Start stays locked after the countdown was dropped: $start" test "$(cut -f8 <<<"$start")" = 1
  probe close
  wait_exit 30
  check "exit code $RC after the second close" test "$RC" = 0
  check "a run happened although the countdown was dropped" test ! -e "$DRIVE_C/e2e/Ziel"
}

# The tab "Auswahl" after start-up: one row per job with its columns, the
# first job current, its exclusions in the editor, and its source in the
# file list with the column "EXCL" (50 pixels, after the 200-pixel name).
scenario_selection_tab() {
  rm -rf "$DRIVE_C/e2e"
  make_tree "$DRIVE_C/e2e/Quelle"
  write_ini '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' \
    '1 = 1001|C:\e2e\Quelle\|E:\Sicherung\|1|7|120|3|0|1717236000' \
    '2 = 1002|C:\e2e\Quelle\Fotos\|E:\Fotos\|1|0|0|-1|7|0' \
    '3 = 1003|D:\Verein\|E:\Verein\|2|0|0|0|30|0' \
    '[EXCLUDES]' \
    '1 = 1001|C:\E2E\QUELLE\FOTOS\' \
    '2 = 1001|C:\E2E\QUELLE\BRIEFE\ÄMTER\'
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  sleep 1
  local want got
  want=$'0\t360\tQuelle\n1\t360\tZiel\n2\t70\tarchivieren\n3\t60\tFakultativ\n4\t60\tIntervall'
  got=$(probe columns 50)
  [ "$got" = "$want" ] || fail "job list columns:"$'\n'"$(sed 's/^/        /' <<<"$got")"
  want=$'0\t1\t1\tC:\\e2e\\Quelle\\\tE:\\Sicherung\\\t7-3\tNein\t0
1\t1\t0\tC:\\e2e\\Quelle\\Fotos\\\tE:\\Fotos\\\t0--1\tNein\t7
2\t0\t0\tD:\\Verein\\\tE:\\Verein\\\tNein\tJa\t30'
  got=$(probe rows 50)
  [ "$got" = "$want" ] || fail "job list rows (row, ticked, selected, cells):"$'\n'"$(sed 's/^/        /' <<<"$got")"
  check "PathField does not show the current job's source" test "$(probe text 54)" = 'C:\e2e\Quelle\'
  check "ExclusionEditor does not list the job's exclusions" \
    test "$(probe text 55)" = 'C:\E2E\QUELLE\BRIEFE\ÄMTER\\r\nC:\E2E\QUELLE\FOTOS\'
  got=$(probe columns 56)
  check "FileList: name column not 200 pixels" test "$(awk -F'\t' '$1 == 0 { print $2 }' <<<"$got")" = 200
  check "FileList: no column EXCL of 50 pixels after the name:"$'\n'"$(sed 's/^/        /' <<<"$got")" \
    test "$(awk -F'\t' '$1 == 1 { print $2 " " $3 }' <<<"$got")" = "50 EXCL"
  got=$(probe rows 56)
  local cells
  cells=$(awk -F'\t' '{ print $4 "|" $5 "|" ($6 != "") }' <<<"$got")
  check "FileList: name|EXCL|size not as expected:"$'\n'"$(sed 's/^/        /' <<<"$got")" \
    test "$cells" = $'Briefe|oooo|0\nFotos|XXXX|0\nLeer||0\nNotizen.txt||1'
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
}

run_scenario() {
  SCENARIO=$1
  OK=1
  rm -rf "$DATA"
  local t=$SECONDS
  if declare -F "scenario_$1" >/dev/null; then
    "scenario_$1"
  else
    fail "no such scenario"
  fi
  if [ -n "$TRESORO_PID" ]; then
    fail "Tresoro.exe still running at the end; killed"
    wait_exit 0
  fi
  if [ "$OK" = 1 ]; then
    echo "PASS $1 ($((SECONDS - t)) s)"
  else
    echo "FAIL $1 ($((SECONDS - t)) s)"
    FAILURES=$((FAILURES + 1))
  fi
}

SCENARIOS=${E2E_SCENARIOS:-first_start second_instance layout_1_00 layout_1_25 resize selection_tab close_box start_minimised auto_start countdown_close}
for s in $SCENARIOS; do run_scenario "$s"; done
echo "== end-to-end: $FAILURES failed, $((SECONDS - t0)) s in all"
[ "$FAILURES" = 0 ]
