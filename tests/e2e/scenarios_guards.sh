# Scenarios of the guards, sourced by run.sh: an unattended "/S" run over a
# source that was emptied, and over a source whose files an encrypting
# program rewrote. Each must end with exit code 1, leave the mirror as it
# was, and show the balloon at the tray icon, read back by the probe from
# the balloon window of Wine's notification area.

GUARD_SCENARIOS="guard_empty_source guard_mass_change"

# A mirror of three folders of 100 files, as an earlier run left it: the
# job counted 303 entries and ran a day ago.
guard_setup() {
  rm -rf "$DRIVE_C/e2e" "$E2E/ziel-before"
  make_many "$DRIVE_C/e2e/Quelle" 3
  cp -a "$DRIVE_C/e2e/Quelle" "$DRIVE_C/e2e/Ziel"
  cp -a "$DRIVE_C/e2e/Ziel" "$E2E/ziel-before"
  # Sid|Src|Dest|Flags|ArcInterval|EntryCount|ArcVersions|BupInterval|LastBup
  GUARD_LASTBUP=$(($(date +%s) - 86400))
  write_ini 'GBupBeiStartVerz = 1' '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' "1 = 1001|C:\\e2e\\Quelle\\|C:\\e2e\\Ziel\\|1|0|303|1|0|$GUARD_LASTBUP"
}

# "/S" stays open after the run: the balloon is read, then the window is
# closed and the exit code taken. $1 is the line the error log must hold.
guard_run_held_back() {  # guard_run_held_back ERRORLINE
  start_tresoro /S
  check "main window did not appear" probe wait-window 60 >/dev/null
  local text
  text=$(probe balloon 60)
  check "balloon: '$text'" test "$text" = "Backup mit Fehlern beendet - 1 Fehler, 1 Job zurückgehalten"
  probe close
  wait_exit 30
  check "exit code $RC of a run that held its job back" test "$RC" = 1
  check "the mirror changed" diff -r -x @ "$E2E/ziel-before" "$DRIVE_C/e2e/Ziel"
  check "something was archived: $(find "$DRIVE_C/e2e/Ziel/@" -type f ! -name Tresoro.ini | head -3)" \
    test -z "$(find "$DRIVE_C/e2e/Ziel/@" -type f ! -name Tresoro.ini)"
  check "no line '$1' in the error log" grep -qF "$1" "$DATA/TresoroErr$MONTH.log"
  check "LastBup of the held-back job changed" grep -q "|$GUARD_LASTBUP"$'\r'"\$" "$DATA/Tresoro.ini"
}

scenario_guard_empty_source() {
  guard_setup
  rm -rf "$DRIVE_C/e2e/Quelle/"*
  guard_run_held_back 'QUELLE IST LEER: C:\e2e\Quelle\ - Ziel enthält 303 Einträge, Job übersprungen'
}

# Every file rewritten with a newer date: noticed in the first folder,
# before anything moved.
scenario_guard_mass_change() {
  guard_setup
  local f
  find "$DRIVE_C/e2e/Quelle" -type f | while read -r f; do printf 'verschlüsselt\r\n' >"$f"; done
  find "$DRIVE_C/e2e/Quelle" -exec touch -d '2024-03-05 10:00' {} +
  guard_run_held_back 'MASSENÄNDERUNG: C:\e2e\Quelle\ - 300 Einträge zurückgehalten, mehr als die Hälfte der 303 Einträge würde archiviert oder ersetzt'
}
