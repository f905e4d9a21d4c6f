# "Prüfen" in the real Tresoro.exe, sourced by run.sh: "/VERIFY" from the
# command line over a mirror damaged where size and date cannot tell (exit
# code 1, repaired, the old copies in "@"), then again (exit code 0,
# nothing archived); and the menu item "Prüfen (Inhalt vergleichen)"
# answered Yes.

VERIFY_SCENARIOS="verify_command_line verify_menu"

# The small tree and a mirror of it as a former run left it (dates kept),
# then damaged: a mirror copy with other bytes of the same size and its
# date put back, and one zeroed as a power cut leaves it. The damaged
# copies are kept in $E2E/damaged for the comparison with "@".
damaged_mirror() {
  rm -rf "$DRIVE_C/e2e" "$E2E/damaged"
  make_tree "$DRIVE_C/e2e/Quelle"
  cp -a "$DRIVE_C/e2e/Quelle" "$DRIVE_C/e2e/Ziel"
  local z=$DRIVE_C/e2e/Ziel
  printf 'Größe: 4 Zimmer\r\n' >"$z/Briefe/Übersicht.txt"
  head -c 70000 /dev/zero >"$z/Fotos/Urlaub 2023/Strand.jpg"
  touch -d '2024-03-01 10:00' "$z/Briefe/Übersicht.txt" "$z/Fotos/Urlaub 2023/Strand.jpg"
  mkdir -p "$E2E/damaged"
  cp -p "$z/Briefe/Übersicht.txt" "$z/Fotos/Urlaub 2023/Strand.jpg" "$E2E/damaged/"
  # Not due: a week's interval, run an hour ago.
  write_ini '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' "1 = 1001|C:\\e2e\\Quelle\\|C:\\e2e\\Ziel\\|1|7|0|3|7|$(($(date +%s) - 3600))"
}

# What a verify run over the damaged mirror must leave.
check_repaired() {  # check_repaired WHAT
  local q=$DRIVE_C/e2e/Quelle z=$DRIVE_C/e2e/Ziel
  check "$1: the mirror differs from the source" diff -r -x @ "$q" "$z"
  check "$1: the damaged copy of Übersicht.txt is not in @" cmp -s "$E2E/damaged/Übersicht.txt" "$z/@/Briefe/Übersicht.txt"
  check "$1: the zeroed Strand.jpg is not in @" cmp -s "$E2E/damaged/Strand.jpg" "$z/@/Fotos/Urlaub 2023/Strand.jpg"
  check "$1: no hint \"Inhalt abweichend\"" \
    grep -qF 'Inhalt abweichend: C:\e2e\Quelle\Briefe\Übersicht.txt' "$DATA/TresoroHinw$MONTH.log"
}

scenario_verify_command_line() {
  damaged_mirror
  probe watch 18 50 >"$E2E/statusline.txt" &
  local watcher=$!
  # "/S5" and "/P" must neither count down nor shut down after "/VERIFY".
  start_tresoro /S5 /VERIFY /P
  wait_exit 90
  wait "$watcher"
  check "exit code $RC of /VERIFY over a damaged mirror (1 expected)" test "$RC" = 1
  check_repaired "/VERIFY"
  check "no closing line \"Geprüft:\"" grep -qF 'Geprüft: 4 Dateien (0 MB), abweichend: 2' "$DATA/Tresoro$MONTH.log"
  check "an end countdown was shown" bash -c "! grep -q 'beendet (stoppen\|herunterfahren (stoppen' '$E2E/statusline.txt'"
  check "no error log expected" test ! -e "$DATA/TresoroErr$MONTH.log"
  local archived
  archived=$(find "$DRIVE_C/e2e/Ziel/@" -type f | sort | md5sum)
  start_tresoro /VERIFY
  wait_exit 90
  check "exit code $RC of a second /VERIFY (0 expected)" test "$RC" = 0
  check "the second /VERIFY changed \"@\"" test "$(find "$DRIVE_C/e2e/Ziel/@" -type f | sort | md5sum)" = "$archived"
  check "no closing line \"Geprüft:\" of the second run" \
    grep -qF 'Geprüft: 4 Dateien (0 MB), abweichend: 0' "$DATA/Tresoro$MONTH.log"
}

scenario_verify_menu() {
  damaged_mirror
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  start_by_question 2 test -s "$DRIVE_C/e2e/Ziel/@/Tresoro.ini"
  check_repaired "Prüfen"
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
}
