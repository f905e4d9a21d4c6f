#!/usr/bin/env bash
# End-to-end tests of the real Tresoro.exe under Wine: the first start, the
# second instance, the main window's layout at two scales and after a
# resize, the tab "Auswahl" with its jobs and file list, the close box, "/M",
# an unattended "/S" run over a small tree (also with no delay configured), the close box during the "/S"
# countdown, "Start" with an unticked job and the locks during the run,
# "Job hinzufügen" by its key, the job editor with the path chooser, the
# exclusion search, the info window and the help; restoring (scenarios_restore.sh);
# the scenarios of scenarios_window.sh, scenarios_guards.sh and of "Prüfen" in
# scenarios_verify.sh. The window is read and
# driven from outside by tresoro_probe.exe, a Win32 program of ours in the
# same Wine prefix, and by real mouse clicks and keys through xdotool.
#
#   tests/e2e/run.sh [BUILD_DIR]     (default build/win; a win preset build)
#   E2E_SCENARIOS="help edit_job" tests/e2e/run.sh ...   only these
#   E2E_DOCS=1 tests/e2e/run.sh ...  also refreshes the dialogs' pictures
#                                    in docs/screenshots/
#   E2E_DIR=/tmp/x tests/e2e/run.sh  keeps the prefix and pictures there
#
# Uses the display in DISPLAY or starts its own Xvfb. Prints PASS or FAIL
# per scenario and exits non-zero when any failed. The Wine prefix lives in
# BUILD_DIR/e2e/prefix and is kept for the next run; the program's data
# folder in it is removed before every scenario.
set -uo pipefail
cd "$(dirname "$0")/../.."

BUILD=${1:-build/win}
# E2E_DIR: another place for the Wine prefix and the pictures (a fresh
# prefix, or a second suite beside one that runs).
E2E=${E2E_DIR:-$PWD/$BUILD/e2e}
EXE=$PWD/$BUILD/Tresoro.exe
PROBE=$PWD/$BUILD/tests/e2e/tresoro_probe.exe

export WINEPREFIX=$E2E/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# German file names reach Wine as UTF-8 whatever the caller's locale.
export LC_ALL=C.UTF-8

cmake --build "$BUILD" --target Tresoro tresoro_probe >/dev/null || { echo "FAIL build"; exit 1; }
for tool in xdotool import convert compare; do
  command -v "$tool" >/dev/null || { echo "FAIL $tool is missing (packages xdotool, imagemagick)"; exit 1; }
done
# The windows are laid out in Arial; Wine takes the metric-compatible
# Liberation Sans for it, otherwise a font of other widths.
fc-list 2>/dev/null | grep -q 'Liberation Sans' || { echo "FAIL Liberation Sans is missing (package fonts-liberation)"; exit 1; }
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

. tests/e2e/xvfb.sh
start_xvfb "$E2E" || { echo "FAIL Xvfb did not start"; exit 1; }

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

# What the probe tells on stderr (a click it had to wait for, and why)
# goes to waits.log, by scenario; the end of the run prints it.
probe() { timeout 60 wine "$PROBE" "$@" 2> >(sed "s/^/$SCENARIO: /" >>"$E2E/waits.log"); }
rm -f "$E2E/waits.log"

SCENARIO=
FAILURES=0
OK=1
# What fail prints goes to the suite's own output even from a check whose
# output is thrown away (check "..." probe wait-window 60 >/dev/null).
exec 3>&1
# The first failure of a scenario also tells whether the program still
# takes messages, and where its focus is: a hang and lost input look the
# same on the screen.
fail() {
  {
    echo "    - $*"
    if [ "$OK" = 1 ]; then
      command -v import >/dev/null && import -window root "$E2E/fail-$SCENARIO.png" 2>/dev/null &&
        echo "    (screen: $E2E/fail-$SCENARIO.png)"
      if [ -n "$TRESORO_PID" ] && probe window >/dev/null 2>&1; then
        if probe idle 5 >/dev/null 2>&1; then
          echo "    (the program takes messages; focus: $(probe focus 2>/dev/null | tr '\t' ' '))"
        else
          echo "    (the program did not answer within 5 s)"
        fi
      fi
    fi
  } >&3
  OK=0
}
check() {  # check "what" command...
  local what=$1
  shift
  "$@" || fail "$what"
}
# Runs a command every 0.2 s until it succeeds, for up to $1 seconds.
until_ok() {  # until_ok SECONDS command...
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}
# A check of what input brings about: it has up to 10 seconds to come.
check_soon() {  # check_soon "what" command...
  local what=$1
  shift
  until_ok 10 "$@" || fail "$what"
}
# Whether a control's text is $2 now; for until_ok and check_soon.
text_is() { [ "$(probe text "$1")" = "$2" ]; }

start_tresoro() {
  # A window of the scenario before may still be on its way out; the new
  # instance would take it for the running one and hand over to it.
  probe wait-gone 10 >/dev/null 2>&1 || true
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
    # What kept it, before it is killed: its windows, whether it answers.
    {
      echo "    (still running after $1 s; visible top-level windows:)"
      probe toplevel 2>&1 | sed 's/^/        /'
      if probe idle 5 >/dev/null 2>&1; then
        echo "    (it takes messages; focus: $(probe focus 2>/dev/null | tr '\t' ' '))"
      else
        echo "    (it did not answer within 5 s)"
      fi
      command -v import >/dev/null && import -window root "$E2E/exit-$SCENARIO.png" 2>/dev/null &&
        echo "    (screen: $E2E/exit-$SCENARIO.png)"
    } >&3
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

# --- real input ---------------------------------------------------------------
# Clicks and keys go through the X server with xdotool, so the program gets
# them the way a user's arrive (hit tests, notifications, accelerators);
# the probe only names the screen points. Without a window manager the
# keyboard follows the pointer.

# The probe names a point only once a click there reaches the control
# (shown, enabled, in an enabled window, nothing over it, its thread
# taking messages); a click that cannot reach it fails the scenario with
# the reason.
# Two clicks of one button on one spot within the double-click time (500 ms)
# are a double click, whose second click is no click of its own: a single
# click waits out that time since the click before it.
LAST_CLICK_MS=0
apart_from_last_click() {
  local rest=$((LAST_CLICK_MS + 600 - $(date +%s%3N)))
  [ "$rest" -le 0 ] || sleep "$(printf '0.%03d' "$rest")"
}
click_at() {
  apart_from_last_click
  xdotool mousemove "$1" "$2" click "${3:-1}"
  LAST_CLICK_MS=$(date +%s%3N)
}
POINT_X='' POINT_Y=''
ready_point() {  # ready_point COMMAND ARGS...: into POINT_X POINT_Y
  local line
  if ! line=$(probe "$@"); then
    fail "no click on $*: ${line:-no such control}"
    return 1
  fi
  read -r POINT_X POINT_Y <<<"$line"
}
click_widget() {  # click_widget ID: the middle of a widget, main window or dialog
  ready_point point "$1" && click_at "$POINT_X" "$POINT_Y"
}
click_row() {  # click_row LIST ROW [2]: on the row's first cell, once or twice
  ready_point row-point "$1" "$2" || return 1
  apart_from_last_click
  xdotool mousemove "$POINT_X" "$POINT_Y" click --repeat "${3:-1}" --delay 80 1
  LAST_CLICK_MS=$(date +%s%3N)
}
click_box() {  # click_box LIST ROW: on the row's check box
  ready_point box-point "$1" "$2" && click_at "$POINT_X" "$POINT_Y"
}

# Screen box of a probe line ("x=.. y=.. w=.. h=.." or the main window's
# "x=.. y=.. outer_w=.. outer_h=.."): into BX BY BW BH.
BX='' BY='' BW='' BH=''
box_of() {
  eval "$(sed -nE 's/^x=(-?[0-9]+) y=(-?[0-9]+) (outer_)?w=([0-9]+) (outer_)?h=([0-9]+).*/BX=\1 BY=\2 BW=\4 BH=\6/p' <<<"$1")"
}

# A dialog with its frame, cropped from the screen, as a small PNG.
shoot_top() {  # shoot_top TITLE FILE
  local line
  line=$(probe top "$1") || return 1
  box_of "$line"
  import -window root -crop "${BW}x${BH}+$BX+$BY" +repage -strip "$2"
}

# The docs keep the pictures of the dialogs; E2E_DOCS=1 refreshes them.
keep_for_docs() {  # keep_for_docs FILE NAME
  [ "${E2E_DOCS:-0}" = 1 ] && [ -s "$1" ] && cp "$1" "docs/screenshots/$2" && echo "    saved docs/screenshots/$2"
  return 0
}

# Opens menu N (1 "Datei" ... 4 "?") the way a user does: a click on the
# first title of the menu bar, then the arrow key to the right, waiting
# each time for the next menu to drop down. POPUP is its probe line.
POPUP=
next_menu() {
  local now
  box_of "$POPUP"
  xdotool key Right
  now=$(probe popup 2 "$BX") || return 1
  POPUP=$now
}
open_menu() {  # open_menu N
  local line x y ow oh cw ch mh b i
  line=$(probe window)
  eval "$(sed -nE 's/^x=(-?[0-9]+) y=(-?[0-9]+) outer_w=([0-9]+) outer_h=([0-9]+) client_w=([0-9]+) client_h=([0-9]+) menu_h=([0-9]+).*/x=\1 y=\2 ow=\3 oh=\4 cw=\5 ch=\6 mh=\7/p' <<<"$line")"
  b=$(((ow - cw) / 2))
  click_at $((x + b + 15)) $((y + oh - b - ch - mh / 2))
  POPUP=$(probe popup 10) || return 1
  for ((i = 1; i < $1; i++)); do next_menu || return 1; done
}

# The open popup menu as it looks now, into FILE.
popup_picture() {  # popup_picture FILE
  box_of "$POPUP"
  import -window root -crop "${BW}x${BH}+$BX+$BY" +repage "$1"
}
# The first row of the open menu's highlight in a picture of it (Wine's
# selection colour at the left edge), or nothing.
highlight_top() {  # highlight_top FILE
  convert "$1" -crop 1x+3+0 +repage txt:- 2>/dev/null | awk -F'[,:]' '/#3096FA/ { print $2; exit }'
}
# The menu's state cannot be read from another process; its picture shows
# where the highlight is. A Down is taken once the highlight stands lower
# than before: a picture that had only changed (the first highlight drawn
# late) let the next key go before this one was taken.
# Where the open menu's highlight stands now.
highlight_now() {
  popup_picture "$E2E/popup-now.png"
  highlight_top "$E2E/popup-now.png"
}
menu_down() {
  local before now
  before=$(highlight_now)
  xdotool key Down
  highlight_lower() {
    now=$(highlight_now)
    [ -n "$now" ] && { [ -z "$before" ] || [ "$now" -gt "$before" ]; }
  }
  until_ok 10 highlight_lower || { fail "the open menu did not take Down (highlight at ${before:-none}, now ${now:-none})"; return 1; }
}
highlight_shown() { [ -n "$(highlight_now)" ]; }

# Chooses item K (counted from 1, rules skipped) of menu N with the keys,
# each key once the one before has moved the highlight.
pick_menu() {  # pick_menu N K
  local i
  open_menu "$1" || return 1
  # A menu opened by a click has no item highlighted; one reached with the
  # arrow key has its first, once it is drawn.
  if [ "$1" = 1 ]; then
    menu_down || return 1
  else
    until_ok 10 highlight_shown || { fail "the menu reached with the arrow key shows no highlight"; return 1; }
  fi
  for ((i = 1; i < $2; i++)); do menu_down || return 1; done
  xdotool key Return
}

# Pictures of the four menus as they drop down, without the frame and
# with the pointer on the lower edge, so that no item is highlighted:
# PREFIX-1.png ... PREFIX-4.png. The menus close again afterwards.
menu_pictures() {  # menu_pictures PREFIX
  local n
  for n in 1 2 3 4; do
    if [ "$n" = 1 ]; then open_menu 1; else next_menu; fi || { xdotool key Escape Escape; return 1; }
    box_of "$POPUP"
    xdotool mousemove $((BX + BW / 2)) $((BY + BH - 2))
    # Taken once the highlight has gone: two pictures in a row alike.
    popup_settled() {
      import -window root -crop "$((BW - 8))x$((BH - 8))+$((BX + 4))+$((BY + 4))" +repage "$1-$n.png"
      sleep 0.1
      import -window root -crop "$((BW - 8))x$((BH - 8))+$((BX + 4))+$((BY + 4))" +repage "$E2E/popup-again.png"
      compare -metric AE "$1-$n.png" "$E2E/popup-again.png" null: 2>/dev/null
    }
    until_ok 10 popup_settled "$1"
  done
  xdotool key Escape
  sleep 0.1
  xdotool key Escape
}

# Pixels of a picture as dark as text of an enabled menu item; grey
# (disabled) text and the rules are lighter.
dark_pixels() {
  convert "$1" -colorspace Gray -threshold 25% -format '%[fx:round(w*h*(1-mean))]' info:
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
19 1 5 80 146 15 Static Aktuelle Dateigrösse (MB):
20 1 151 80 49 15 Static
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
  # Wine may still be taking down the second instance's window when its
  # process has ended; only one may remain.
  local tries=0
  until [ "$(probe toplevel | grep -c $'^TresoroWindow\tTresoro 1.09$')" = 1 ] || [ $((tries += 1)) -gt 20 ]; do
    sleep 0.25
  done
  check "more than one main window" test "$(probe toplevel | grep -c $'^TresoroWindow\tTresoro 1.09$')" = 1
  probe close
  wait_exit 30
  check "exit code $RC of the first instance" test "$RC" = 0
}

# The remembered size is in design units (750 x 550), the window's inner
# size that times the scale; so is the job list's height, 110 units.
layout_at() {  # layout_at SCALE INNER_W INNER_H
  write_ini '[Window]' "GDMScale = $1" "GMainWinXD = 750" "GMainWinYD = 550"
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  check "window not shown at inner $2 x $3" await_window visible=1 "inner_w=$2" "inner_h=$3"
  probe list >"$E2E/list-$SCENARIO.txt"
  local diffs
  diffs=$(compare_design "$E2E/list-$SCENARIO.txt" "$1"
    compare_splitters "$E2E/list-$SCENARIO.txt" "$1" "$(printf '%.0f' "$(awk -v s="$1" 'BEGIN { print 110 * s }')")")
  [ -z "$diffs" ] || fail "layout differs from the design at $1:"$'\n'"$(sed 's/^/        /' <<<"$diffs")"
}

scenario_layout_1_00() {
  layout_at 1.000000 750 550
  probe close
  wait_exit 30
}

scenario_layout_1_25() {
  # 750 x 550 design units at 1.25, halves to even: 938 x 688; the job
  # list 137.5, 138.
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
  # The widgets follow the frame in the window's own time.
  local diffs
  resized_as_designed() {
    probe list >"$E2E/list-resized.txt"
    diffs=$(compare_resize "$E2E/list-$SCENARIO.txt" "$E2E/list-resized.txt")
    [ -z "$diffs" ]
  }
  until_ok 10 resized_as_designed || fail "resize by +100, +50:"$'\n'"$(sed 's/^/        /' <<<"$diffs")"
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

# An unattended "/S1" run over the small tree, GBupBeiStartVerz $1.
auto_start_after() {  # auto_start_after DELAY
  rm -rf "$DRIVE_C/e2e"
  make_tree "$DRIVE_C/e2e/Quelle"
  write_ini "GBupBeiStartVerz = $1" '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|0|0|3|0|0'
  probe watch 18 50 >"$E2E/statusline.txt" &
  local watcher=$!
  start_tresoro /S1
  wait_exit 90
  wait "$watcher"
  check "exit code $RC of the automatic run with /S1" test "$RC" = 0
  sed 's/^/      status: /' "$E2E/statusline.txt" | awk '!seen[$0]++' | head -n 12
  # With no delay the run starts before the countdown can be seen.
  [ "$1" -gt 0 ] &&
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

scenario_auto_start() { auto_start_after 2; }

# "/S1" over an empty source folder: nothing to copy, and the program still
# ends itself.
scenario_auto_start_empty_source() {
  rm -rf "$DRIVE_C/e2e"
  mkdir -p "$DRIVE_C/e2e/Quelle"
  write_ini 'GBupBeiStartVerz = 0' '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|0|0|3|0|0'
  start_tresoro /S1
  wait_exit 90
  check "exit code $RC of the automatic run over an empty source" test "$RC" = 0
  check "destination folder not made" test -d "$DRIVE_C/e2e/Ziel"
}

# "/S" with no delay configured: the run starts at once and the program
# still ends itself after it.
scenario_auto_start_no_delay() { auto_start_after 0; }

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
  check "the file list of the first job did not fill" until_ok 10 list_has 56 Notizen.txt
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

# N folders of 100 small files each: a tree that takes a run some seconds.
make_many() {  # make_many DIR N
  local d f
  for ((d = 1; d <= $2; d++)); do
    mkdir -p "$1/Ordner $d"
    for ((f = 1; f <= 100; f++)); do printf 'Datei %d in Ordner %d\r\n' "$f" "$d" >"$1/Ordner $d/Datei $f.txt"; done
  done
  find "$1" -exec touch -d '2024-03-01 10:00' {} +
}

# Whether a list's rows show a name (column 4); for until_ok.
list_has() { probe rows "$1" | cut -f4 | grep -qxF "$2"; }
# Whether a list's names (column 4) read $2, each followed by "|".
names_are() { [ "$(probe rows "$1" | cut -f4 | tr '\n' '|')" = "$2" ]; }

# The enabled flag of a widget in the probe's list (column 8).
enabled_of() { probe list | awk -F'\t' -v id="$1" '$1 == id { print $8; exit }'; }

# Waits up to 5 seconds for the job list's ticks to read $1 (1 or 0 a row).
await_ticks() {
  local i
  for ((i = 0; i < 25; i++)); do
    [ "$(probe rows 50 | cut -f2 | tr -d '\n')" = "$1" ] && return 0
    sleep 0.2
  done
  return 1
}

# Clicks the button ID that closes the window TITLE and waits for it to
# go. What the program's thread saw of the mouse and the focus meanwhile is
# the evidence when it stays.
click_to_close() {  # click_to_close ID TITLE WHAT
  local input="$E2E/input-$SCENARIO-$1.txt" watcher
  probe watch-input 4 >"$input" &
  watcher=$!
  check "the probe does not watch the input" until_ok 10 grep -qs watching "$input"
  click_widget "$1"
  if ! probe wait-top-gone "$2" 10; then
    wait "$watcher"
    fail "$3 did not close \"$2\" (focus $(probe focus | tr '\t' ' ')); the mouse and the focus meanwhile:"$'\n'"$(sed 's/^/        /' "$input")"
    wait_gone_after "$2" 20
    return 1
  fi
  wait "$watcher"
}
# After a failure: whether the window went later after all.
wait_gone_after() {  # wait_gone_after TITLE SECONDS
  if probe wait-top-gone "$1" "$2"; then echo "    (\"$1\" went later)" >&3; else echo "    (\"$1\" is still there after $2 s more)" >&3; fi
}

# "id:enabled" of the widgets that a run locks (job list, path field,
# exclusion editor, file list, "Lösche Logs") and of those it leaves
# usable ("Abbrechen", "Herunterfahren wenn fertig"), from a probe list.
widgets_enabled() {
  awk -F'\t' '!($1 in e) { e[$1] = $8 }
    END { n = split("50 54 55 56 70 11 16", ids, " "); for (i = 1; i <= n; i++) printf "%s%s:%s", (i > 1 ? " " : ""), ids[i], e[ids[i]] }' "$1"
}

# Waits up to $2 seconds for a widget's enabled flag to become $3.
await_enabled() {  # await_enabled ID SECONDS 0|1
  local end=$((SECONDS + $2))
  while [ "$(enabled_of "$1")" != "$3" ]; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

# Waits for a run to end ("Start" takes input again) as long as it moves:
# on a busy machine a run takes longer, and only one whose progress count
# and status line stand still for 30 seconds is taken as stuck.
await_run_end() {
  local last='' now moved=$SECONDS
  until [ "$(enabled_of 10)" = 1 ]; do
    now="$(probe text 13) $(probe text 18)"
    [ "$now" != "$last" ] && last=$now moved=$SECONDS
    if [ $((SECONDS - moved)) -ge 30 ]; then
      echo "    the run stood still for 30 s at: $last"
      return 1
    fi
    sleep 0.5
  done
}

# Waits up to $1 seconds for a file to hold a line (fixed string, CR LF).
await_line() {  # await_line SECONDS FILE LINE
  local end=$((SECONDS + $1))
  until grep -qxF "$3"$'\r' "$2" 2>/dev/null; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

# A click into the row's check box unticks the second job for "Start":
# only the first destination fills. While the run works, the controls that
# change jobs and all 17 menu items are locked; the menus are looked at as
# they drop down, since Wine lets no other process read a menu's state:
# enabled items have black text, disabled ones grey. Afterwards each menu
# looks as before the run.
scenario_start_ticked() {
  rm -rf "$DRIVE_C/e2e"
  make_many "$DRIVE_C/e2e/Viele" 25
  make_tree "$DRIVE_C/e2e/Quelle"
  write_ini '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' \
    '1 = 1001|C:\e2e\Viele\|C:\e2e\Ziel1\|1|0|0|3|0|0' \
    '2 = 1002|C:\e2e\Quelle\|C:\e2e\Ziel2\|1|0|0|3|0|0'
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  await_ticks 11 || fail "the two jobs do not start ticked:"$'\n'"$(probe rows 50 | sed 's/^/        /')"
  local n
  menu_pictures "$E2E/menu-idle" || fail "the menus did not drop down"
  for n in 1 2 3 4; do
    check "menu $n shows no enabled item before the run" test "$(dark_pixels "$E2E/menu-idle-$n.png")" -gt 0
  done
  click_box 50 1
  await_ticks 10 || fail "a click into the second row's box did not untick it only:"$'\n'"$(probe rows 50 | sed 's/^/        /')"
  click_widget 10
  await_enabled 10 10 0 || fail "\"Start\" was not locked by a run"
  # The menus drop down inside the run's own message handling, which
  # holds the run until they close again.
  menu_pictures "$E2E/menu-busy" || fail "the menus did not drop down during the run"
  probe list >"$E2E/list-busy.txt"
  if [ "$(awk -F'\t' '$1 == 10 { print $8; exit }' "$E2E/list-busy.txt")" != 0 ]; then
    fail "\"Start\" did not start a run, or it was over before the menus dropped down"
  else
    for n in 1 2 3 4; do
      check "menu $n has an enabled item during the run" test "$(dark_pixels "$E2E/menu-busy-$n.png")" = 0
    done
    check "not locked during the run (id, enabled): $(widgets_enabled "$E2E/list-busy.txt")" \
      test "$(widgets_enabled "$E2E/list-busy.txt")" = '50:0 54:0 55:0 56:0 70:0 11:1 16:1'
  fi
  check "\"Start\" not released after the run" await_run_end
  check "no success in the status line" probe wait-text 18 "Backup ohne Fehler abgeschlossen" 5 >/dev/null
  probe list >"$E2E/list-after.txt"
  check "still locked after the run (id, enabled): $(widgets_enabled "$E2E/list-after.txt")" \
    test "$(widgets_enabled "$E2E/list-after.txt")" = '50:1 54:1 55:1 56:1 70:1 11:1 16:1'
  menu_pictures "$E2E/menu-after" || fail "the menus did not drop down after the run"
  for n in 1 2 3 4; do
    check "menu $n looks different after the run than before" \
      compare -metric AE "$E2E/menu-idle-$n.png" "$E2E/menu-after-$n.png" null: 2>/dev/null
  done
  check "the first destination differs from its source" diff -r -x @ "$DRIVE_C/e2e/Viele" "$DRIVE_C/e2e/Ziel1"
  check "the unticked job ran" test ! -e "$DRIVE_C/e2e/Ziel2"
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
  check "the untick is not stored" grep -qxF $'2 = 1002|C:\\e2e\\Quelle\\|C:\\e2e\\Ziel2\\|0|0|0|3|0|0\r' "$DATA/Tresoro.ini"
}

# "Job hinzufügen" by its key, Insert, in the main window: a job after the
# current one with the parents of its paths and its archive values, the
# editor on it; "Abbrechen" keeps the new job as made.
scenario_insert_job() {
  rm -rf "$DRIVE_C/e2e"
  make_tree "$DRIVE_C/e2e/Quelle"
  write_ini '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' \
    '1 = 1001|C:\e2e\Quelle\Briefe\|E:\Sicherung\Briefe\|1|7|120|3|0|1717236000' \
    '2 = 1002|C:\e2e\Quelle\Fotos\|E:\Fotos\|1|0|0|-1|7|0'
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  click_row 50 0
  selected_rows() { [ "$(probe rows 50 | cut -f3 | tr -d '\n')" = "$1" ]; }
  check_soon "the first job is not selected after a click on it" selected_rows 10
  xdotool key Insert
  if ! probe wait-top "Set bearbeiten" 10 >/dev/null; then
    fail "Insert did not open \"Set bearbeiten\""
  else
    check "editor: source not the parent of the first job's" test "$(probe text 1002)" = 'C:\e2e\Quelle\'
    check "editor: destination not the parent of the first job's" test "$(probe text 1004)" = 'E:\Sicherung\'
    check "editor: archive interval not the template's 7" test "$(probe text 1008)" = 7
    check "editor: versions not the template's 3" test "$(probe text 1010)" = 3
    check "editor: backup interval not 0" test "$(probe text 1013)" = 0
    click_widget 1015
    check "\"Abbrechen\" did not close the editor" probe wait-top-gone "Set bearbeiten" 10
    probe idle 10 >/dev/null
    check "Tresoro.ini not written when the editor closed" \
      await_line 10 "$DATA/Tresoro.ini" '3 = 1002|C:\e2e\Quelle\Fotos\|E:\Fotos\|1|0|0|-1|7|0'
  fi
  local want got
  want=$'0\t1\t0\tC:\\e2e\\Quelle\\Briefe\\\tE:\\Sicherung\\Briefe\\\t7-3\tNein\t0
1\t1\t1\tC:\\e2e\\Quelle\\\tE:\\Sicherung\\\t7-3\tNein\t0
2\t1\t0\tC:\\e2e\\Quelle\\Fotos\\\tE:\\Fotos\\\t0--1\tNein\t7'
  got=$(probe rows 50)
  [ "$got" = "$want" ] || fail "job list after Insert and \"Abbrechen\" (row, ticked, selected, cells):"$'\n'"$(sed 's/^/        /' <<<"$got")"
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
  # Sid|Src|Dest|Flags|ArcInterval|EntryCount|ArcVersions|BupInterval|LastBup
  check "Tresoro.ini lacks the new job as the second of three" awk -F'|' '
    /^\[/ { paths = /^\[PATHS\]/ }
    paths && /^[0-9]+ = / { n++; sub(/\r$/, "") }
    n == 1 && /^1 = 1001\|/ { first = 1 }
    n == 2 && /^2 = [0-9]+\|C:\\e2e\\Quelle\\\|E:\\Sicherung\\\|1\|7\|0\|3\|0\|0$/ && $1 != "2 = 1001" && $1 != "2 = 1002" { second = 1 }
    n == 3 && /^3 = 1002\|/ { third = 1 }
    END { exit !(first && second && third && n == 3) }' "$DATA/Tresoro.ini"
}

# A double-click on a job opens its editor; "Ziel:" opens the path chooser,
# where a typed path and a click on a folder choose the new destination;
# "OK" in both stores it, and the configuration is written at once.
scenario_edit_job() {
  rm -rf "$DRIVE_C/e2e"
  make_tree "$DRIVE_C/e2e/Quelle"
  mkdir -p "$DRIVE_C/e2e/Neues Ziel/Briefe" "$DRIVE_C/e2e/Neues Ziel/Fotos 2024" "$DRIVE_C/e2e/Neues Ziel/Musik" \
    "$DRIVE_C/e2e/Fotos"
  write_ini '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' \
    '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|7|0|3|0|0' \
    '2 = 1002|C:\e2e\Quelle\Fotos\|C:\e2e\Fotos\|1|0|0|-1|7|0'
  # German, as the pictures of the docs show the system's texts.
  LC_ALL=de_DE.UTF-8 start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  click_row 50 1 2
  if ! probe wait-top "Set bearbeiten" 10 >/dev/null; then
    fail "a double-click on the second job did not open \"Set bearbeiten\""
    probe close
    wait_exit 30
    return
  fi
  check "editor: source is not the second job's" test "$(probe text 1002)" = 'C:\e2e\Quelle\Fotos\'
  check "editor: destination is not the second job's" test "$(probe text 1004)" = 'C:\e2e\Fotos\'
  check "editor: versions not -1" test "$(probe text 1010)" = -1
  check "editor: backup interval not 7" test "$(probe text 1013)" = 7
  check "the main window takes input while the editor is open" await_window enabled=0
  shoot_top "Set bearbeiten" "$E2E/job-editor.png" && keep_for_docs "$E2E/job-editor.png" job-editor.png
  click_widget 1003
  if probe wait-top "Zielpfad wählen" 10 >/dev/null; then
    check "chooser: path field does not start at the destination" test "$(probe text 1103)" = 'C:\e2e\Fotos\'
    click_widget 1103
    xdotool key End shift+Home
    xdotool type --delay 30 'C:\e2e\'
    check "chooser: the typed path did not reach the field" probe wait-text 1103 'C:\e2e\' 5 >/dev/null
    until_ok 10 list_has 1101 'Neues Ziel'
    local row
    row=$(probe rows 1101 | awk -F'\t' '$4 == "Neues Ziel" { print $1; exit }')
    if [ -z "$row" ]; then
      fail "chooser: typing C:\\e2e\\ did not list its folders:"$'\n'"$(probe rows 1101 | sed 's/^/        /')"
    else
      click_row 1101 "$row"
      check "chooser: a click on \"Neues Ziel\" did not enter it" probe wait-text 1103 'C:\e2e\Neues Ziel\' 5 >/dev/null
      check_soon "chooser: the list does not show the folders of \"Neues Ziel\"" \
        names_are 1101 '..|Briefe|Fotos 2024|Musik|'
      # ".." steps up one level and back again; the whole text is compared,
      # as "C:\e2e\" is also a part of where the list was.
      click_row 1101 0
      local tries=0
      until [ "$(probe text 1103)" = 'C:\e2e\' ] || [ $((tries += 1)) -gt 15 ]; do sleep 0.3; done
      check "chooser: a click on \"..\" did not go up to C:\\e2e\\" test "$(probe text 1103)" = 'C:\e2e\'
      # Above a drive root is the list of the drives; a drive and a folder
      # lead back down. Each click waits until the list shows its rows.
      click_row 1101 0
      tries=0
      until { [ "$(probe text 1103)" = 'C:\' ] && probe rows 1101 | cut -f4 | grep -qix windows; } ||
        [ $((tries += 1)) -gt 15 ]; do sleep 0.3; done
      check "chooser: a click on \"..\" did not go up to C:\\" test "$(probe text 1103)" = 'C:\'
      click_row 1101 0
      tries=0
      until [ -z "$(probe text 1103)" ] || [ $((tries += 1)) -gt 15 ]; do sleep 0.3; done
      until_ok 10 list_has 1101 C:
      local rows
      rows=$(probe rows 1101)
      check "chooser: a click on \"..\" at C:\\ did not empty the path field" test -z "$(probe text 1103)"
      check "chooser: a click on \"..\" at C:\\ did not list the drives:"$'\n'"$(sed 's/^/        /' <<<"$rows")" \
        test -z "$(awk -F'\t' '$4 !~ /^[A-Z]:$/' <<<"$rows")" -a -n "$(awk -F'\t' '$4 == "C:"' <<<"$rows")"
      click_row 1101 "$(awk -F'\t' '$4 ~ /^C:/ { print $1; exit }' <<<"$rows")"
      tries=0
      until probe rows 1101 | cut -f4 | grep -qx e2e || [ $((tries += 1)) -gt 15 ]; do sleep 0.3; done
      check "chooser: a click on the drive C: did not list C:\\" test "$(probe text 1103)" = 'C:\'
      click_row 1101 "$(probe rows 1101 | awk -F'\t' '$4 == "e2e" { print $1; exit }')"
      tries=0
      until probe rows 1101 | cut -f4 | grep -qx 'Neues Ziel' || [ $((tries += 1)) -gt 15 ]; do sleep 0.3; done
      check "chooser: a click on \"e2e\" did not enter it" test "$(probe text 1103)" = 'C:\e2e\'
      # A double click on a folder enters it once: the list is filled anew
      # after the first click, and the second selects nothing there (in
      # "Neues Ziel" the same row is "Fotos 2024").
      row=$(probe rows 1101 | awk -F'\t' '$4 == "Neues Ziel" { print $1; exit }')
      click_row 1101 "$row" 2
      check "chooser: a double click on \"Neues Ziel\" did not enter it" \
        probe wait-text 1103 'C:\e2e\Neues Ziel\' 5 >/dev/null
      sleep 1
      check "chooser: a double click on \"Neues Ziel\" went on to $(probe text 1103)" \
        test "$(probe text 1103)" = 'C:\e2e\Neues Ziel\'
      check "chooser: after a double click the list does not show the folders of \"Neues Ziel\"" \
        test "$(probe rows 1101 | cut -f4 | tr '\n' '|')" = '..|Briefe|Fotos 2024|Musik|'
      # A double click on ".." goes up once, as in the in-memory window
      # system (the second click lands on C:\e2e\'s own "..").
      click_row 1101 0 2
      tries=0
      until [ "$(probe text 1103)" != 'C:\e2e\Neues Ziel\' ] || [ $((tries += 1)) -gt 15 ]; do sleep 0.3; done
      sleep 1
      check "chooser: a double click on \"..\" went on to $(probe text 1103)" test "$(probe text 1103)" = 'C:\e2e\'
      row=$(probe rows 1101 | awk -F'\t' '$4 == "Neues Ziel" { print $1; exit }')
      click_row 1101 "$row"
      check "chooser: \"Neues Ziel\" could not be entered again" probe wait-text 1103 'C:\e2e\Neues Ziel\' 5 >/dev/null
      sleep 0.3
    fi
    shoot_top "Zielpfad wählen" "$E2E/path-chooser.png" && keep_for_docs "$E2E/path-chooser.png" path-chooser.png
    click_widget 1105
    check "\"OK\" did not close the chooser" probe wait-top-gone "Zielpfad wählen" 10
    check "editor: the chosen path is not the destination" probe wait-text 1004 'C:\e2e\Neues Ziel\' 10 >/dev/null
  else
    fail "\"Ziel:\" did not open the path chooser \"Zielpfad wählen\""
  fi
  click_widget 1014
  check "\"OK\" did not close the editor" probe wait-top-gone "Set bearbeiten" 10
  check "Tresoro.ini not written with the new destination when the editor closed" await_line 10 "$DATA/Tresoro.ini" \
    '2 = 1002|C:\e2e\Quelle\Fotos\|C:\e2e\Neues Ziel\|1|0|0|-1|7|0'
  check "the first job changed" grep -qxF $'1 = 1001|C:\\e2e\\Quelle\\|C:\\e2e\\Ziel\\|1|7|0|3|0|0\r' "$DATA/Tresoro.ini"
  check "the main window is still locked after the editor" await_window enabled=1
  check "job list does not show the new destination" \
    test "$(probe rows 50 | awk -F'\t' '$1 == 1 { print $5 }')" = 'C:\e2e\Neues Ziel\'
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
}

# "Ausnahmen suchen" over a profile-like tree: the default search patterns
# find a browser cache, a temporary folder and the registry hive; each
# becomes an exclusion of the job, once.
scenario_exclusion_search() {
  rm -rf "$DRIVE_C/e2e"
  local p=$DRIVE_C/e2e/Profil
  mkdir -p "$p/AppData/Roaming/Mozilla/Firefox/Profiles/abcd.default/cache2/entries" \
    "$p/AppData/Local/Temp/Unterordner" "$p/Dokumente"
  printf 'x' >"$p/AppData/Roaming/Mozilla/Firefox/Profiles/abcd.default/cache2/entries/0A1B2C"
  printf 'x' >"$p/AppData/Roaming/Mozilla/Firefox/Profiles/abcd.default/prefs.js"
  printf 'x' >"$p/AppData/Local/Temp/Unterordner/tmp1.tmp"
  printf 'Hallo\r\n' >"$p/Dokumente/Brief.txt"
  printf 'x' >"$p/NTUSER.DAT"
  write_ini '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Profil\|C:\e2e\Ziel\|1|0|0|3|0|0'
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  local pattern
  for pattern in 'MOZILLA|CACHE' 'APPDATA\LOCAL\TEMP' '\NTUSER.'; do
    check "ExcludePaths.txt lacks the default pattern $pattern" grep -qxF "$pattern"$'\r' "$DATA/ExcludePaths.txt"
  done
  check "the job starts with exclusions" test -z "$(probe text 55)"
  pick_menu 2 7 || fail "the menu \"Bearbeiten\" did not drop down"
  local want='C:\E2E\PROFIL\APPDATA\LOCAL\TEMP\r\nC:\E2E\PROFIL\APPDATA\ROAMING\MOZILLA\FIREFOX\PROFILES\ABCD.DEFAULT\CACHE\r\nC:\E2E\PROFIL\NTUSER.'
  local got
  got=$(probe wait-text 55 'NTUSER.' 15)
  check "the exclusion editor does not hold what the search found:"$'\n'"        $got" test "$got" = "$want"
  check "the status line is not emptied after the search" test -z "$(probe text 18)"
  check "the job list is still locked after the search" test "$(enabled_of 50)" = 1
  got=$(probe rows 56 | awk -F'\t' '{ print $4 "|" $5 }' | tr '\n' ' ')
  check "FileList marks: $got" test "$got" = 'AppData|oooo Dokumente| NTUSER.DAT|XXXX '
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
  got=$(awk '/^\[/ { section = $0 } section ~ /^\[EXCLUDES\]/ && /^[0-9]+ = / { sub(/\r$/, ""); print }' "$DATA/Tresoro.ini")
  want='1 = 1001|C:\E2E\PROFIL\APPDATA\LOCAL\TEMP
2 = 1001|C:\E2E\PROFIL\APPDATA\ROAMING\MOZILLA\FIREFOX\PROFILES\ABCD.DEFAULT\CACHE
3 = 1001|C:\E2E\PROFIL\NTUSER.'
  [ "$got" = "$want" ] || fail "[EXCLUDES] in Tresoro.ini:"$'\n'"$(sed 's/^/        /' <<<"$got")"
}

# "Über": the info window with the whole text the program carries, modal
# over the main window; "OK" closes it.
scenario_info_window() {
  write_ini '[Window]' 'GDMScale = 1.000000'
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  pick_menu 4 2 || fail "the menu \"?\" did not drop down"
  if ! probe wait-top "Tresoro 1.09" 10 >/dev/null; then
    fail "\"Über\" did not open the info window"
  else
    check "the info window is not titled \"Tresoro 1.09\"" \
      test "$(probe toplevel | grep -c $'^TresoroWindow\tTresoro 1.09$')" = 2
    probe text 1401 | sed 's/\\r\\n/\n/g' >"$E2E/info-text.txt"
    check "the info window does not show the info text (see $E2E/info-text.txt)" \
      test "$(cat "$E2E/info-text.txt")" = "$(cat resources/info/info_text.txt)"
    check "the main window takes input while the info window is open" await_window enabled=0
    shoot_top "Tresoro 1.09" "$E2E/info-window.png" && keep_for_docs "$E2E/info-window.png" info-window.png
    click_to_close 1402 "Tresoro 1.09" '"OK"'
    probe idle 10 >/dev/null
    check "the main window is still locked after the info window" await_window enabled=1
  fi
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
}

# "Hilfe": the help file the program carries lands in TresoroData, over an
# older one of another size, and the shell opens it in Wine's help viewer
# (hh.exe), which is closed again afterwards. Without Wine's Gecko the
# viewer shows its frame and an empty page.
scenario_help() {
  write_ini '[Window]' 'GDMScale = 1.000000'
  # A help file of another size is replaced by the one the program carries.
  printf 'kein CHM' >"$DATA/TresoroHilfe.chm"
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  pick_menu 4 1 || fail "the menu \"?\" did not drop down"
  local chm=$DATA/TresoroHilfe.chm carried=$PWD/$BUILD/resources/TresoroHilfe.chm i
  for ((i = 0; i < 100; i++)); do cmp -s "$carried" "$chm" && break; sleep 0.1; done
  check "TresoroHilfe.chm in TresoroData is not the help file the program carries" cmp -s "$carried" "$chm"
  if probe wait-top "Tresoro 1.09 - Hilfe" 20 >/dev/null; then
    shoot_top "Tresoro 1.09 - Hilfe" "$E2E/help.png"
  else
    fail "no help viewer window \"Tresoro 1.09 - Hilfe\""
  fi
  # Ours is the viewer in this Wine prefix; another suite may run beside.
  local viewer='' pid
  for pid in $(pgrep -f 'hh\.exe.*TresoroHilfe\.chm'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && viewer=$pid
  done
  check "no hh.exe on TresoroHilfe.chm in the process list" test -n "$viewer"
  probe close-top "Tresoro 1.09 - Hilfe"
  for ((i = 0; i < 50; i++)); do [ -n "$viewer" ] && kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
  [ -n "$viewer" ] && kill "$viewer" 2>/dev/null
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
}

# The long-path, odd-name and held-file scenarios.
source tests/e2e/scenarios_paths.sh
# "/RESTORE" and the window "Daten Wiederherstellen".
source tests/e2e/scenarios_restore.sh

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

SCENARIOS=${E2E_SCENARIOS:-first_start second_instance layout_1_00 layout_1_25 resize selection_tab close_box start_minimised auto_start auto_start_empty_source auto_start_no_delay countdown_close start_ticked insert_job edit_job exclusion_search info_window help odd_paths locked_file case_renames restore_command restore_window}
. tests/e2e/scenarios_window.sh
. tests/e2e/scenarios_scaling.sh
. tests/e2e/scenarios_guards.sh
. tests/e2e/scenarios_verify.sh
[ -n "${E2E_SCENARIOS:-}" ] || SCENARIOS="$SCENARIOS $WINDOW_SCENARIOS $SCALING_SCENARIOS $GUARD_SCENARIOS $VERIFY_SCENARIOS"
for s in $SCENARIOS; do run_scenario "$s"; done
if [ -s "$E2E/waits.log" ]; then
  echo "== the probe waited before $(grep -c waited "$E2E/waits.log") clicks until they could reach their control:"
  sed 's/^/    /' "$E2E/waits.log"
fi
echo "== end-to-end: $FAILURES failed, $((SECONDS - t0)) s in all"
[ "$FAILURES" = 0 ]
