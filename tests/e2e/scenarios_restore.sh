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

# Two unattended runs make the backup: the small tree as of March, then in April a changed note, a new file and a
# deleted letter. The state as of 15 March is the first tree, the newest
# state the second. Every form of "/RESTORE" is then asked for: from the
# source path and from the mirror path, with and without "/ASOF" and
# "/TO", on an empty configuration through "@\Tresoro.ini", with the
# backup write-protected, while the program is open, and with malformed
# arguments, which write nothing.
scenario_restore_command() {
  chmod -R u+w "$DRIVE_C/e2e" 2>/dev/null
  rm -rf "$DRIVE_C/e2e" "$E2E/restore-march" "$E2E/restore-april"
  local src=$DRIVE_C/e2e/Quelle dst=$DRIVE_C/e2e/Ziel log=$DATA/Tresoro$MONTH.log
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
