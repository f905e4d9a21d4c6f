# Scenarios of run.sh (sourced by it) about restoring: "/RESTORE" from the
# command line over a backup the program made itself in two runs. What
# comes back is compared with copies the host's own tools kept of the
# source, and the backup with a listing taken before the first restore.

# Files below a folder with size and last-write time, sorted: what a
# restore must give back (folders' own dates change as they fill; the
# mirror's copies carry the archive attribute alone, so the mode is not
# compared).
file_facts() { (cd "$1" && find . -type f -printf '%P|%s|%TY-%Tm-%Td %TH:%TM:%.2TS\n' | LC_ALL=C sort); }
# Everything below a folder, folders and their dates included: the backup,
# which a restore must leave exactly as it was.
tree_facts() { (cd "$1" && find . -printf '%P|%y|%s|%T@|%m\n' | LC_ALL=C sort); }

# Runs "Tresoro.exe /RESTORE ..." and waits for it; its exit code in RC.
restore_cmd() {
  timeout 90 wine "$EXE" /RESTORE "$@" >"$E2E/tresoro-$SCENARIO.out" 2>&1
  RC=$?
}

# Two unattended runs make the backup: the small tree as of March (kept in
# restore-march), then in April a changed note, a new file and a deleted
# letter (restore-april). The state as of 15 March is the first tree, the
# newest state the second.
restore_backup() {
  chmod -R u+w "$DRIVE_C/e2e" 2>/dev/null
  rm -rf "$DRIVE_C/e2e" "$E2E/restore-march" "$E2E/restore-april"
  local src=$DRIVE_C/e2e/Quelle dst=$DRIVE_C/e2e/Ziel
  make_tree "$src"
  cp -a "$src" "$E2E/restore-march"
  write_ini 'GBupBeiStartVerz = 0' '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|0|0|3|0|0'
  start_tresoro /S1
  wait_exit 90
  check "exit code $RC of the first run" test "$RC" = 0
  printf 'Notizen, neu\r\n' >"$src/Notizen.txt"
  printf 'neu im April\r\n' >"$src/Briefe/April.txt"
  rm "$src/Briefe/Übersicht.txt"
  touch -d '2024-04-01 10:00' "$src/Notizen.txt" "$src/Briefe/April.txt"
  cp -a "$src" "$E2E/restore-april"
  start_tresoro /S1
  wait_exit 90
  check "exit code $RC of the second run" test "$RC" = 0
  check "the old note is not in \"@\"" test -s "$dst/@/Notizen.txt"
}

# Every form of "/RESTORE": from the source path and from the mirror path,
# with and without "/ASOF" and "/TO", on an empty configuration through
# "@\Tresoro.ini", with the backup write-protected, while the program is
# open, and with malformed arguments, which write nothing.
scenario_restore_command() {
  local src=$DRIVE_C/e2e/Quelle dst=$DRIVE_C/e2e/Ziel log=$DATA/Tresoro$MONTH.log
  restore_backup
  local backup
  backup=$(tree_facts "$dst")

  # A folder deleted by mistake comes back from the newest state, while the
  # program is open.
  rm -rf "$src/Fotos"
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  restore_cmd 'C:\e2e\Quelle\Fotos'
  check "exit code $RC of the folder from the source path" test "$RC" = 0
  check "the folder did not come back as it was" \
    diff <(file_facts "$E2E/restore-april/Fotos") <(file_facts "$src/Fotos")
  check "no line \"Wiederhergestellt: C:\\e2e\\Quelle\\Fotos - 1 Datei wiederhergestellt\"" \
    grep -qF 'Wiederhergestellt: C:\e2e\Quelle\Fotos - 1 Datei wiederhergestellt' "$log"
  probe close
  wait_exit 30
  check "exit code $RC of the open program" test "$RC" = 0

  # The March note by its mirror path: the April note at its place differs,
  # stays, and the old one goes beside it.
  restore_cmd 'C:\e2e\Ziel\Notizen.txt' /ASOF '2024-03-15 00:00'
  check "exit code $RC of a version put beside a different file (want 1)" test "$RC" = 1
  check "the newer note was overwritten" cmp -s "$E2E/restore-april/Notizen.txt" "$src/Notizen.txt"
  check "the March note is not beside it" \
    cmp -s "$E2E/restore-march/Notizen.txt" "$src/Notizen (Stand 01.03.2024 10.00).txt"
  check "no line about the version beside the note" \
    grep -qF 'Wiederhergestellt neben vorhandener Datei: C:\e2e\Quelle\Notizen (Stand 01.03.2024 10.00).txt' "$log"

  # The whole job as of March into a new folder, and as of now by the
  # destination itself.
  restore_cmd 'C:\e2e\Quelle\' /ASOF '2024-03-15 00:00' /TO 'C:\e2e\Maerz'
  check "exit code $RC of the job as of March" test "$RC" = 0
  check "the job as of March differs from the March tree" \
    diff <(file_facts "$E2E/restore-march") <(file_facts "$DRIVE_C/e2e/Maerz/Quelle")
  restore_cmd 'C:\e2e\Ziel' /TO 'C:\e2e\Jetzt'
  check "exit code $RC of the newest state by the destination" test "$RC" = 0
  check "the newest state differs from the April tree" \
    diff <(file_facts "$E2E/restore-april") <(file_facts "$DRIVE_C/e2e/Jetzt/Quelle")
  # An empty folder counts from when the mirror has it: in the newest
  # state, not in March (the backup was made later).
  check "the empty folder did not come back" test -d "$DRIVE_C/e2e/Jetzt/Quelle/Leer"
  check "the empty folder came back as of March, before the backup had it" test ! -e "$DRIVE_C/e2e/Maerz/Quelle/Leer"

  # No configuration at all: the job comes from "@\Tresoro.ini" beside the
  # backup, and no configuration is written.
  rm -rf "$DATA"
  restore_cmd 'C:\e2e\Ziel\Briefe\' /ASOF '2024-03-15 00:00:00' /TO 'C:\e2e\Neu'
  check "exit code $RC through \"@\\Tresoro.ini\"" test "$RC" = 0
  check "the letters as of March differ" \
    diff <(file_facts "$E2E/restore-march/Briefe") <(file_facts "$DRIVE_C/e2e/Neu/Briefe")
  check "a configuration was written" test ! -e "$DATA/Tresoro.ini"

  # Write-protected, the backup is only read.
  write_ini '[Window]' 'GDMScale = 1.000000' '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|0|0|3|0|0'
  local writable
  writable=$(cd "$dst" && find . -perm -u=w)
  chmod -R a-w "$dst"
  restore_cmd 'C:\e2e\Quelle\Briefe' /ASOF '2024-03-15 00:00' /TO 'C:\e2e\Schutz'
  check "exit code $RC from a write-protected backup" test "$RC" = 0
  check "the letters from the write-protected backup differ" \
    diff <(file_facts "$E2E/restore-march/Briefe") <(file_facts "$DRIVE_C/e2e/Schutz/Briefe")
  restore_cmd 'C:\e2e\Quelle' /TO 'C:\e2e\Ziel\Falsch'
  check "exit code $RC for a target in the backup (want 2)" test "$RC" = 2
  (cd "$dst" && xargs -d '\n' chmod u+w <<<"$writable")

  # Malformed or impossible: exit code 2, nothing written where the restore
  # would go.
  refused() {  # refused WHAT ARGS...
    local what=$1
    shift
    restore_cmd "$@"
    check "exit code $RC for $what (want 2)" test "$RC" = 2
  }
  refused "a date of another form" 'C:\e2e\Quelle\Briefe' /ASOF '15.03.2024 10:00' /TO 'C:\e2e\Falsch'
  refused "a date that does not exist" 'C:\e2e\Quelle\Briefe' /ASOF '2024-02-30 10:00' /TO 'C:\e2e\Falsch'
  refused "a /TO that is a file" 'C:\e2e\Quelle\Briefe' /TO 'C:\e2e\Quelle\Notizen.txt'
  refused "a switch twice" 'C:\e2e\Quelle\Briefe' /TO 'C:\e2e\Falsch' /TO 'C:\e2e\Falsch'
  refused "a path in no job" 'C:\e2e\Sonstwo' /TO 'C:\e2e\Falsch'
  refused "a missing disk" 'Q:\Ziel\Briefe' /TO 'C:\e2e\Falsch'
  check "a refused restore wrote its target" test ! -e "$DRIVE_C/e2e/Falsch" -a ! -e "$dst/Falsch"
  check "\"Notizen.txt\" changed" cmp -s "$E2E/restore-april/Notizen.txt" "$src/Notizen.txt"
  check "the backup changed during the restores" diff <(echo "$backup") <(tree_facts "$dst")
  check "the error log lacks the refusals" grep -qF 'Wiederherstellen nicht möglich: ' "$DATA/TresoroErr$MONTH.log"
}

# The cells of a list of the restore window, one row a line, "|" between.
cells() { probe rows "$1" | cut -f4- | tr '\t' '|'; }
row_named() { probe rows "$1" | awk -F'\t' -v n="$2" '$4 == n { print $1; exit }'; }
cells_are() { [ "$(cells "$1" | tr '\n' '/')" = "$2" ]; }

# The window "Daten Wiederherstellen" by the mouse and the keyboard, as a
# user would: the newest state with a deleted folder marked, a file's
# versions newest first, the older one opened and restored beside the
# different file at its place; then "Stand vom" 15 March, where the
# deleted letter is back and marked, and that folder into a new folder
# through the path chooser.
scenario_restore_window() {
  local src=$DRIVE_C/e2e/Quelle dst=$DRIVE_C/e2e/Ziel
  restore_backup
  local backup
  backup=$(tree_facts "$dst")
  rm -rf "$src/Fotos"
  # Windows opens a text file with its editor; this Wine's prefix knows the
  # editor's class but not the extension.
  check "the prefix did not take .txt as a text file" wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  pick_menu 3 3 || fail "the menu \"Backup\" did not drop down"
  if ! probe wait-top "Daten Wiederherstellen" 10 >/dev/null; then
    fail "\"Wiederherstellen\" did not open \"Daten Wiederherstellen\""
    probe close
    wait_exit 30
    return
  fi
  local want='Briefe\|||/Fotos\|||nicht mehr da/Leer\|||/Notizen.txt|14|01.04.2024 10:00:00|/'
  until_ok 10 cells_are 1609 "$want" || fail "the newest state's root:"$'\n'"$(cells 1609 | sed 's/^/        /')"
  shoot_top "Daten Wiederherstellen" "$E2E/restore-window.png" && keep_for_docs "$E2E/restore-window.png" restore-window.png

  click_row 1609 "$(row_named 1609 Notizen.txt)"
  want='01.04.2024 10:00:00|14|Spiegel|im Stand/01.03.2024 10:00:00|9|@\Notizen.txt|/'
  until_ok 5 cells_are 1611 "$want" || fail "the note's versions:"$'\n'"$(cells 1611 | sed 's/^/        /')"
  click_row 1611 1
  click_widget 1613
  local beside='Notizen (Stand 01.03.2024 10.00).txt' opened
  until_ok 10 probe wait-text 1619 "Geöffnet: " 1 >/dev/null || fail "\"Öffnen\" said: $(probe text 1619)"
  opened=$(probe text 1619 | sed 's/^Geöffnet: //')
  check "the copy opened is not the March note: $opened" \
    cmp -s "$E2E/restore-march/Notizen.txt" "$(winepath -u "$opened" 2>/dev/null)"
  check "no program window on the copy: $(probe toplevel | tr '\t\n' ' /')" \
    until_ok 20 bash -c "timeout 60 wine '$PROBE' toplevel | grep -qF '$beside'"
  local viewer
  viewer=$(probe toplevel | cut -f2 | grep -F "$beside" | head -n1)
  [ -n "$viewer" ] && probe close-top "$viewer" >/dev/null
  until_ok 10 bash -c "! timeout 60 wine '$PROBE' toplevel | grep -qF '$beside'" || fail "the viewer did not close"
  # The window takes clicks again once it is in front.
  until_ok 10 bash -c "timeout 60 wine '$PROBE' top 'Daten Wiederherstellen' | grep -q 'enabled=1 foreground=1'" ||
    fail "the window did not come back to the front"

  click_widget 1614
  check "the result line after restoring beside: $(probe text 1619)" \
    probe wait-text 1619 "1 Datei wiederhergestellt, davon 1 neben vorhandener Datei" 30 >/dev/null
  check "the April note at its place was overwritten" cmp -s "$E2E/restore-april/Notizen.txt" "$src/Notizen.txt"
  check "the March note is not beside it" cmp -s "$E2E/restore-march/Notizen.txt" "$src/$beside"

  click_widget 1605
  xdotool key End shift+Home
  xdotool type --delay 30 '15.03.2024 00:00'
  xdotool key Return
  until_ok 10 probe wait-text 1608 "Stand 15.03.2024 00:00:00" 1 >/dev/null ||
    fail "Enter in \"Stand vom\" did not show 15 March: $(probe text 1608)"
  click_row 1609 "$(row_named 1609 'Briefe\')" 2
  want='..|||/Ämter\|||/Übersicht.txt|19|01.03.2024 10:00:00|nicht mehr da/'
  until_ok 5 cells_are 1609 "$want" || fail "the letters as of March:"$'\n'"$(cells 1609 | sed 's/^/        /')"
  click_row 1609 0
  click_widget 1615
  if probe wait-top "Wiederherstellen nach" 10 >/dev/null; then
    click_widget 1103
    xdotool key End shift+Home
    xdotool type --delay 30 'C:\e2e\Neu\'
    probe wait-text 1103 'C:\e2e\Neu\' 5 >/dev/null || fail "the path did not reach the chooser's field"
    click_widget 1105
    check "\"OK\" did not close the chooser" probe wait-top-gone "Wiederherstellen nach" 10
    check "the result line after the folder: $(probe text 1619)" \
      probe wait-text 1619 'wiederhergestellt - C:\e2e\Neu\Briefe' 30 >/dev/null
    check "the letters as of March differ" \
      diff <(file_facts "$E2E/restore-march/Briefe") <(file_facts "$DRIVE_C/e2e/Neu/Briefe")
  else
    fail "\"Wiederherstellen nach...\" did not open the path chooser"
  fi
  xdotool key Escape
  check "Escape did not close the window" probe wait-top-gone "Daten Wiederherstellen" 10
  check "the backup changed" diff <(echo "$backup") <(tree_facts "$dst")
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
}
