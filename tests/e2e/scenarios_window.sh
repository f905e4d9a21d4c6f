# Scenarios of the real window where it differs from the in-memory one,
# sourced by run.sh: maximise and restore, the file list sorted by each
# column with its marks and the system's German names, the job list's
# keys, and the three start questions of the menu "Backup" answered Yes.
# Everything is done with real input (xdotool) where it can be had.

WINDOW_SCENARIOS="maximize file_list_sort job_keys start_questions"

# Double click on the title bar: maximises a normal window (Wine 8 does
# not restore a maximised one this way).
double_click_caption() {
  local x y
  read -r x y < <(probe caption-point) || return 1
  xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
}
# A click on the maximise box, which is the restore box while maximised.
click_maximize_box() {
  local x y
  read -r x y < <(probe caption-point max) || return 1
  click_at "$x" "$y"
}

# Checks that the widgets that follow the window reach its inner size
# (probe window line $1, probe list file $2): the right margins of 5 and
# the tab panel's bottom margin of 25 design units, at scale 1; 10 for the
# path field, whose area is the splitter's 725 units wide.
check_layout_fills() {  # check_layout_fills WINDOWLINE LISTFILE
  local iw ih diffs
  iw=$(sed -nE 's/.* inner_w=([0-9]+).*/\1/p' <<<"$1")
  ih=$(sed -nE 's/.* inner_h=([0-9]+).*/\1/p' <<<"$1")
  diffs=$(awk -F'\t' -v iw="$iw" -v ih="$ih" '
    $1 != 0 && !($1 in x) { x[$1] = $4; y[$1] = $5; w[$1] = $6; h[$1] = $7 }
    END {
      if (x[18] + w[18] != iw - 5) print "status line ends at " x[18] + w[18] ", want " iw - 5
      if (x[23] + w[23] != iw - 5) print "progress bar ends at " x[23] + w[23] ", want " iw - 5
      if (x[24] + w[24] != iw - 5) print "tab panel ends at " x[24] + w[24] ", want " iw - 5
      if (y[24] + h[24] != ih - 25) print "tab panel bottom at " y[24] + h[24] ", want " ih - 25
      if (x[54] + w[54] != w[51] - 10) print "path field ends at " x[54] + w[54] " in an area of " w[51]
      if (w[72] != w[24] - 10) print "message view " w[72] " wide in a panel of " w[24]
    }' "$2")
  [ -z "$diffs" ] || { echo "$diffs" | sed 's/^/        /'; return 1; }
}

# Waits until the widgets fill the window as it is now (they follow the
# frame in the window's own time); prints what differs at the end.
layout_fills() {  # layout_fills LISTFILE
  fills_now() { probe list >"$1" && check_layout_fills "$(probe window)" "$1" >/dev/null; }
  until_ok 10 fills_now "$1" || check_layout_fills "$(probe window)" "$1"
}

# Maximised by a double click on the title bar, the widgets fill the
# maximised window; restored, they are back at the design's places;
# maximised by its box, they fill it again; and the size stored is the
# restored one.
scenario_maximize() {
  layout_at 1.000000 750 550
  double_click_caption || fail "no title bar point"
  if ! await_window maximized=1; then
    fail "a double click on the title bar did not maximise the window"
  else
    local line
    line=$(probe window)
    echo "    maximised: $line"
    check "the layout does not fill the maximised window" layout_fills "$E2E/list-maximized.txt"
    # Without a window manager the X window keeps its place while Wine
    # maximises it, so the restore box is not where a click could reach
    # it: the command it sends.
    probe restore
    check "the restore command did not restore the window" await_window maximized=0 inner_w=750 inner_h=550
    local diffs
    restored_as_designed() {
      probe list >"$E2E/list-restored.txt"
      diffs=$(compare_design "$E2E/list-restored.txt" 1.000000)
      [ -z "$diffs" ]
    }
    until_ok 10 restored_as_designed || fail "restored layout differs from the design:"$'\n'"$(sed 's/^/        /' <<<"$diffs")"
    # Maximised once more by the maximise box, and restored again.
    click_maximize_box
    check "the maximise box did not maximise the window" await_window maximized=1
    check "the layout does not fill the window maximised again" layout_fills "$E2E/list-maximized2.txt"
    probe restore
    check "restoring through the system menu" await_window maximized=0 inner_w=750 inner_h=550
  fi
  probe maximize
  await_window maximized=1 >/dev/null
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
  check "the maximised size was stored instead of the restored one" grep -q $'^GMainWinXD = 750\r$' "$DATA/Tresoro.ini"
  check "the maximised height was stored instead of the restored one" grep -q $'^GMainWinYD = 550\r$' "$DATA/Tresoro.ini"
}

# Names in the order the file list shows them, "|" after each.
list_names() { probe rows 56 | awk -F'\t' '{ printf "%s|", $4 }'; }
# "name=mark" of every row.
list_marks() { probe rows 56 | awk -F'\t' '{ print $4 "=" $5 }' | LC_ALL=C sort | tr '\n' ' '; }

click_header() {  # click_header LIST COLUMN
  local x y
  read -r x y < <(probe header-point "$1" "$2") || return 1
  click_at "$x" "$y"
}
# Whether the file list's names read $1 (each followed by "|"), waiting
# up to 10 seconds for the sort a click started.
names_soon() { names_now() { [ "$(list_names)" = "$1" ]; }; until_ok 10 names_now "$1"; }
marks_soon() { marks_now() { [ "$(list_marks)" = "$1" ]; }; until_ok 10 marks_now "$1"; }

# The file list under a German locale: the titles and type texts as Wine's
# shell names them; each column title sorts, a second click reverses, and
# the marks of "EXCL" stay with their entries; a right click toggles an
# exclusion.
scenario_file_list_sort() {
  rm -rf "$DRIVE_C/e2e"
  local s=$DRIVE_C/e2e/Sortiert
  mkdir -p "$s/Alpha" "$s/Beta/Innen"
  head -c 3000 /dev/zero >"$s/a.txt"
  head -c 100 /dev/zero >"$s/b.jpg"
  head -c 50000 /dev/zero >"$s/c.doc"
  touch -d '2023-05-01 10:00' "$s/a.txt"
  touch -d '2024-05-01 10:00' "$s/b.jpg"
  touch -d '2022-05-01 10:00' "$s/c.doc"
  touch -d '2021-05-01 10:00' "$s/Alpha"
  touch -d '2020-05-01 10:00' "$s/Beta"
  write_ini '[Window]' 'GDMScale = 1.000000' 'GMainWinX = 20' 'GMainWinY = 20' 'GMainWinXD = 1200' 'GMainWinYD = 700' \
    '[PATHS]' '1 = 1001|C:\e2e\Sortiert\|C:\e2e\Ziel\|1|0|0|3|0|0' \
    '[EXCLUDES]' '1 = 1001|C:\E2E\SORTIERT\ALPHA' '2 = 1001|C:\E2E\SORTIERT\B.JPG' '3 = 1001|C:\E2E\SORTIERT\BETA\INNEN'
  LC_ALL=de_DE.UTF-8 start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  check "the file list did not fill" until_ok 10 list_has 56 a.txt
  # A wide window, with the splitter's bar dragged to the left: the file
  # list has room for all its column titles. (Maximised under Xvfb without
  # a window manager, the X window would keep its place and size.)
  check "window not shown at inner 1200 x 700" await_window visible=1 inner_w=1200 inner_h=700
  local bx by cx half rel
  read -r cx by < <(probe point 57)
  read -r half rel < <(probe list | awk -F'\t' '$1 == 57 { h = int($6 / 2) } $1 == 55 { w = $6 } $1 == 56 { x = $4 }
    END { print h, int((w + x) / 2) }')
  bx=$((cx - half + rel))
  local to=$((bx - 1000))
  [ "$to" -gt 0 ] || to=1
  file_list_x() { probe list | awk -F'\t' '$1 == 56 { print $4; exit }'; }
  local before
  before=$(file_list_x)
  xdotool mousemove "$bx" "$by" mousedown 1 mousemove $((bx - 100)) "$by" sleep 0.2 mousemove "$to" "$by" sleep 0.2 mouseup 1
  moved_left() { [ "$(file_list_x)" -lt "$before" ]; }
  check "the drag did not move the splitter's bar to the left" until_ok 10 moved_left
  local got want marks='Alpha=XXXX Beta=oooo a.txt= b.jpg=XXXX c.doc= '
  got=$(probe columns 56 | cut -f3 | tr '\n' '|')
  # Wine 8 names the name and date columns "Datei" and "Geändert"; a
  # German Windows "Name" and "Änderungsdatum".
  [[ $got =~ ^(Datei|Name)\|EXCL\|Größe\|Typ\|(Geändert|Änderungsdatum)\|$ ]] ||
    fail "column titles not the German ones of the system: $got"
  # The shell's names of the types: a German Windows says "Textdokument"
  # or "TXT-Datei", Wine 8 "Text Document" or, in a prefix without that
  # class, ".txt file"; never the program's old "TXT File".
  got=$(probe rows 56 | awk -F'\t' '$4 == "a.txt" { print $7 }')
  [[ $got =~ ^(Textdokument|TXT-Datei|Text\ Document|\.txt\ file)$ ]] || fail "type of a.txt not the shell's: \"$got\""
  got=$(probe rows 56 | awk -F'\t' '$4 == "Alpha" { print $7 }')
  [[ $got == Dateiordner || $got == Folder ]] || fail "type of a folder not the shell's: \"$got\""
  probe rows 56 | awk -F'\t' '{ print "      row: " $4 " | " $5 " | " $6 " | " $7 " | " $8 }'
  check "marks at the start: $(list_marks)" test "$(list_marks)" = "$marks"
  # column title, names after the first click, after the second
  local steps=(
    "0 Beta|Alpha|c.doc|b.jpg|a.txt| Alpha|Beta|a.txt|b.jpg|c.doc|"
    "2 Alpha|Beta|b.jpg|a.txt|c.doc| Alpha|Beta|c.doc|a.txt|b.jpg|"
    "4 Beta|Alpha|c.doc|a.txt|b.jpg| Alpha|Beta|b.jpg|a.txt|c.doc|"
  )
  local step column first second
  for step in "${steps[@]}"; do
    read -r column first second <<<"$step"
    click_header 56 "$column" || fail "no title point of column $column"
    names_soon "$first" || fail "column $column, first click: $(list_names)"
    check "column $column, first click, marks: $(list_marks)" test "$(list_marks)" = "$marks"
    click_header 56 "$column"
    names_soon "$second" || fail "column $column, second click: $(list_names)"
    check "column $column, second click, marks: $(list_marks)" test "$(list_marks)" = "$marks"
  done
  # The marks column is the program's own: its title sorts nothing.
  got=$(list_names)
  click_header 56 1 || fail "no title point of the marks column"
  check "the marks column sorted: $(list_names)" test "$(list_names)" = "$got"
  # The type column orders the files by the shell's type texts.
  local order
  click_header 56 3
  order=$(probe rows 56 | awk -F'\t' '$4 ~ /\./ { print $7 }')
  check "type column, first click, not ascending: $(tr '\n' '|' <<<"$order")" sort -f -c <<<"$order"
  check "type column, first click, marks: $(list_marks)" test "$(list_marks)" = "$marks"
  click_header 56 3
  order=$(probe rows 56 | awk -F'\t' '$4 ~ /\./ { print $7 }')
  check "type column, second click, not descending: $(tr '\n' '|' <<<"$order")" sort -f -r -c <<<"$order"
  check "type column, second click, marks: $(list_marks)" test "$(list_marks)" = "$marks"
  # Back to the names.
  click_header 56 0
  names_soon 'Alpha|Beta|a.txt|b.jpg|c.doc|' || fail "back to the names: $(list_names)"
  # A right click on a file excludes it, a second one takes it back.
  local row
  row=$(probe rows 56 | awk -F'\t' '$4 == "a.txt" { print $1 }')
  click_row 56 "$row" 1 && click_at "$POINT_X" "$POINT_Y" 3
  marks_soon 'Alpha=XXXX Beta=oooo a.txt=XXXX b.jpg=XXXX c.doc= ' || fail "a right click did not mark a.txt: $(list_marks)"
  check "the exclusion editor lacks a.txt" probe wait-text 55 'C:\E2E\SORTIERT\A.TXT' 5 >/dev/null
  # A second right click soon after the first would be a right double
  # click, which toggles nothing; click_at waits out that time.
  click_at "$POINT_X" "$POINT_Y" 3
  marks_soon "$marks" || fail "a second right click did not take a.txt back: $(list_marks)"
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
  got=$(awk '/^\[/ { section = $0 } section ~ /^\[EXCLUDES\]/ && /^[0-9]+ = / { sub(/\r$/, ""); print }' "$DATA/Tresoro.ini" | tr '\n' '|')
  check "[EXCLUDES] changed by sorting and the toggle: $got" \
    test "$got" = '1 = 1001|C:\E2E\SORTIERT\ALPHA|2 = 1001|C:\E2E\SORTIERT\B.JPG|3 = 1001|C:\E2E\SORTIERT\BETA\INNEN|'
}

# Ctrl+Up and Ctrl+Down move the selected job; Del asks, and only Yes
# deletes it with its exclusions.
scenario_job_keys() {
  write_ini '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' \
    '1 = 1001|C:\Eins\|E:\Eins\|1|0|0|3|0|0' \
    '2 = 1002|C:\Zwei\|E:\Zwei\|1|0|0|3|0|0' \
    '3 = 1003|C:\Drei\|E:\Drei\|1|0|0|3|0|0' \
    '[EXCLUDES]' '1 = 1002|C:\ZWEI\TEMP'
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  jobs_order() { probe rows 50 | awk -F'\t' '{ printf "%s%s", $4, ($3 == 1 ? "*|" : "|") }'; }
  order_soon() { order_now() { [ "$(jobs_order)" = "$1" ]; }; until_ok 10 order_now "$1"; }
  click_row 50 1
  order_soon 'C:\Eins\|C:\Zwei\*|C:\Drei\|' || fail "a click did not select the second job: $(jobs_order)"
  xdotool key ctrl+Up
  order_soon 'C:\Zwei\*|C:\Eins\|C:\Drei\|' || fail "Ctrl+Up: $(jobs_order)"
  # On the first job it moves nothing: the keys after it show that it was taken.
  xdotool key ctrl+Up
  xdotool key ctrl+Down ctrl+Down
  order_soon 'C:\Eins\|C:\Drei\|C:\Zwei\*|' || fail "Ctrl+Up on the first job, then Ctrl+Down twice: $(jobs_order)"
  # Del, and the question answered by a click on "Ja" (6) or "Nein" (7).
  delete_answered() {
    xdotool key Delete
    probe wait-top "Tresoro Meldung" 10 >/dev/null || { fail "Del on a job asked nothing"; return 1; }
    click_widget "$1"
    check "the question stayed after the answer $1" probe wait-top-gone "Tresoro Meldung" 10
    probe idle 10 >/dev/null
  }
  delete_answered 7
  check "No deleted the job: $(jobs_order)" test "$(jobs_order)" = 'C:\Eins\|C:\Drei\|C:\Zwei\*|'
  click_row 50 2
  order_soon 'C:\Eins\|C:\Drei\|C:\Zwei\*|' || fail "a click did not select the third job: $(jobs_order)"
  delete_answered 6
  check "Yes did not delete the job: $(jobs_order)" test "$(jobs_order)" = 'C:\Eins\|C:\Drei\*|'
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
  local got
  got=$(awk '/^\[/ { section = $0 } section ~ /^\[(PATHS|EXCLUDES)\]/ && /^[0-9]+ = / { sub(/\r$/, ""); print }' "$DATA/Tresoro.ini" | tr '\n' '|')
  check "Tresoro.ini after the moves and the delete: $got" \
    test "$got" = '1 = 1001|C:\Eins\|E:\Eins\|1|0|0|3|0|0|2 = 1003|C:\Drei\|E:\Drei\|1|0|0|3|0|0|'
}

# Answers the start question of Backup item $1 with Yes, then waits up to
# 30 seconds for the run to have done what the rest of the arguments test,
# and for "Start" to be released.
start_by_question() {  # start_by_question ITEM COMMAND...
  local item=$1 i
  shift
  pick_menu 3 "$item" || { fail "the menu \"Backup\" did not drop down"; return 1; }
  probe wait-top "Tresoro Meldung" 10 >/dev/null || { fail "item $item of \"Backup\" asked nothing"; return 1; }
  click_widget 6  # "Ja"
  probe wait-top-gone "Tresoro Meldung" 10 || { fail "the question of item $item stayed"; return 1; }
  for ((i = 0; i < 150; i++)); do "$@" && break; sleep 0.2; done
  await_run_end || fail "the run of item $item did not end"
  probe idle 10 >/dev/null
}

# A job that is not due (a week's interval, run an hour ago) runs on each of
# the three questions answered Yes: normally with "@"; as IT job without
# "@" and without archiving; forced over a newer file of the destination.
scenario_start_questions() {
  rm -rf "$DRIVE_C/e2e"
  make_tree "$DRIVE_C/e2e/Quelle"
  local q=$DRIVE_C/e2e/Quelle z=$DRIVE_C/e2e/Ziel
  write_ini 'GCreateDest = 1' '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' "1 = 1001|C:\\e2e\\Quelle\\|C:\\e2e\\Ziel\\|1|7|0|3|7|$(($(date +%s) - 3600))"
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  start_by_question 1 test -s "$z/@/Tresoro.ini"
  check "\"Start - Intervall ignorieren\": the job that is not due did not run" diff -r -x @ "$q" "$z"
  check "\"Start - Intervall ignorieren\": no configuration copy in @" test -s "$z/@/Tresoro.ini"
  # A newer source file: normally its old version would go to "@".
  rm -rf "$z/@"
  printf 'Neue Notizen\r\n' >"$q/Notizen.txt"
  touch -d '2024-06-01 10:00' "$q/Notizen.txt"
  start_by_question 4 cmp -s "$q/Notizen.txt" "$z/Notizen.txt"
  check "IT-Job (manuell): the newer file was not copied" cmp -s "$q/Notizen.txt" "$z/Notizen.txt"
  check "IT-Job (manuell): an @ folder was made" test ! -e "$z/@"
  # A destination file newer than its source: only FORCE replaces it.
  printf 'im Ziel geändert\r\n' >"$z/Briefe/Übersicht.txt"
  touch -d '2025-01-01 10:00' "$z/Briefe/Übersicht.txt"
  start_by_question 5 cmp -s "$q/Briefe/Übersicht.txt" "$z/Briefe/Übersicht.txt"
  check "IT-Job (FORCE): the newer destination file was not replaced" \
    cmp -s "$q/Briefe/Übersicht.txt" "$z/Briefe/Übersicht.txt"
  check "IT-Job (FORCE): an @ folder was made" test ! -e "$z/@"
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
}
