# Scenarios of run.sh (sourced by it) about the files themselves: paths the
# plain Win32 spelling cannot reach, a file another program holds open, and
# names changed only in case.
# The trees are made and checked with the host's own tools, so the result
# is judged by something other than the program's file layer.

# A tree of names that only the literal path form reaches: nine directories
# of 95 characters each below the source, a 240-character file name, names
# ending in a dot or a blank, and a folder "Alt.".
odd_tree() {  # odd_tree DIR TAG DATE
  local deep=$1 letters=bcdefghij i
  for ((i = 1; i <= 9; i++)); do deep+=/$(printf '%094d' 0 | tr 0 "${letters:i-1:1}")$i; done
  mkdir -p "$deep" "$1/Alt."
  printf 'tief %s\r\n' "$2" >"$deep/tief.txt"
  printf 'lang %s\r\n' "$2" >"$1/$(printf '%0236d' 0 | tr 0 L).txt"
  printf 'Bericht %s\r\n' "$2" >"$1/Bericht."
  printf 'Notiz %s\r\n' "$2" >"$1/Notiz "
  printf 'innen %s\r\n' "$2" >"$1/Alt./innen.txt"
  find "$1" -exec touch -d "$3" {} +
}

# Temporary copies and set-aside versions anywhere below a folder.
leftovers() { find "$1" -name '*.tresoro-tmp' -o -name '*.arc2del'; }

# Two unattended runs over the odd tree: the first mirrors every name
# exactly, the second (after each file changed) puts every old version into
# "@" under its own name, and neither leaves an error or a temporary file.
scenario_odd_paths() {
  rm -rf "$DRIVE_C/e2e" "$E2E/odd-first"
  local src=$DRIVE_C/e2e/Quelle dst=$DRIVE_C/e2e/Ziel
  odd_tree "$src" alt '2024-03-01 10:00'
  check "the deep file is not past 800 characters below the source" \
    test "$(find "$src" -name tief.txt | awk -v n=${#src} '{ print length($0) - n }')" -gt 800
  cp -a "$src" "$E2E/odd-first"
  write_ini 'GBupBeiStartVerz = 1' '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|0|0|3|0|0'
  start_tresoro /S1
  wait_exit 90
  check "exit code $RC of the first run" test "$RC" = 0
  check "the mirror differs from the source after the first run" diff -r -x @ "$src" "$dst"
  check "an error log after the first run" test ! -e "$DATA/TresoroErr$MONTH.log"

  odd_tree "$src" neu '2024-04-01 10:00'
  start_tresoro /S1
  wait_exit 90
  check "exit code $RC of the second run" test "$RC" = 0
  check "the mirror differs from the source after the second run" diff -r -x @ "$src" "$dst"
  check "\"@\" does not hold the first versions under their names" \
    diff -r -x Tresoro.ini -x @ "$E2E/odd-first" "$dst/@"
  check "temporary files left: $(leftovers "$dst")" test -z "$(leftovers "$dst")"
  check "an error log after the second run" test ! -e "$DATA/TresoroErr$MONTH.log"
}

# A file another program holds open without sharing: the run cannot copy
# it, logs the system's text for it, counts it and copies everything else,
# a second job included; once the other program lets go, the next run
# copies it.
scenario_locked_file() {
  rm -rf "$DRIVE_C/e2e"
  local src=$DRIVE_C/e2e/Quelle dst=$DRIVE_C/e2e/Ziel
  make_tree "$src"
  make_tree "$DRIVE_C/e2e/Zweite"
  printf 'gesperrt\r\n' >"$src/Briefe/Gesperrt.txt"
  touch -d '2024-03-01 10:00' "$src/Briefe/Gesperrt.txt"
  write_ini '[Window]' 'GDMScale = 1.000000' '[PATHS]' \
    '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|0|0|3|0|0' \
    '2 = 1002|C:\e2e\Zweite\|C:\e2e\Ziel2\|1|0|0|3|0|0'
  # Emptied first: the holder's own redirection comes only once it runs,
  # and the word of an earlier run must not count.
  : >"$E2E/hold.out"
  wine "$PROBE" hold 'C:\e2e\Quelle\Briefe\Gesperrt.txt' 120 >"$E2E/hold.out" 2>&1 &
  local holder=$! i
  for ((i = 0; i < 300; i++)); do grep -q held "$E2E/hold.out" && break; sleep 0.1; done
  check "the probe does not hold the file: $(cat "$E2E/hold.out")" grep -q held "$E2E/hold.out"
  # The system's own text for what stops the copy, as Wine's command
  # interpreter reports it when it tries the same.
  local text
  text=$(wine cmd /c 'copy C:\e2e\Quelle\Briefe\Gesperrt.txt C:\e2e\Versuch.txt' 2>&1 | tr -d '\r' | head -n1)
  check "Wine's copy did not fail with a text: \"$text\"" test -n "$text" -a ! -e "$DRIVE_C/e2e/Versuch.txt"

  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  click_widget 10
  check "the first run did not end with its error" probe wait-text 18 "Backup mit Fehler abgeschlossen" 60 >/dev/null
  kill "$holder" 2>/dev/null
  wait "$holder" 2>/dev/null
  local errlog=$DATA/TresoroErr$MONTH.log
  local want="Kopierfehler: C:\\e2e\\Quelle\\Briefe\\Gesperrt.txt"$'\t\t'"($text)"
  check "the error log lacks \"$want\"" grep -qF "$want" "$errlog"
  check "the error is not counted" grep -qF "ES SIND FEHLER AUFGETRETEN: 1" "$DATA/Tresoro$MONTH.log"
  check "the rest of the first job was not copied" diff -r -x @ -x Gesperrt.txt "$src" "$dst"
  check "the held file or a part of it reached the mirror" test -z "$(ls "$dst/Briefe" | grep Gesperrt)"
  check "the second job did not run" diff -r -x @ "$DRIVE_C/e2e/Zweite" "$DRIVE_C/e2e/Ziel2"

  click_widget 10
  check "the second run did not end without errors" probe wait-text 18 "Backup ohne Fehler abgeschlossen" 60 >/dev/null
  check "the file let go of is not copied by the next run" diff -r -x @ "$src" "$dst"
  check "temporary files left: $(leftovers "$dst")" test -z "$(leftovers "$dst")"
  check "the second run logged an error" test "$(grep -cF "Kopierfehler: " "$errlog")" = 1
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
}

# Names changed only in case in the source, of files and of a folder: the
# next run gives the mirror the new spellings (as the host's case-sensitive
# diff sees them) by renaming its entries, the same files as before (their
# inodes), and neither copies nor archives anything for them.
scenario_case_renames() {
  rm -rf "$DRIVE_C/e2e"
  local src=$DRIVE_C/e2e/Quelle dst=$DRIVE_C/e2e/Ziel
  make_tree "$src"
  write_ini 'GBupBeiStartVerz = 1' '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|0|0|3|0|0'
  start_tresoro /S1
  wait_exit 90
  check "exit code $RC of the first run" test "$RC" = 0
  local before
  before=$(stat -c %i "$dst/Notizen.txt" "$dst/Fotos/Urlaub 2023/Strand.jpg" "$dst/Briefe/Übersicht.txt")
  mv "$src/Notizen.txt" "$src/notizen.TXT"
  mv "$src/Fotos" "$src/FOTOS"
  mv "$src/Briefe/Übersicht.txt" "$src/Briefe/ÜBERSICHT.txt"
  start_tresoro /S1
  wait_exit 90
  check "exit code $RC of the second run" test "$RC" = 0
  check "the mirror keeps an old spelling" diff -r -x @ "$src" "$dst"
  check "the mirror's files were copied anew, not renamed" test "$before" = \
    "$(stat -c %i "$dst/notizen.TXT" "$dst/FOTOS/Urlaub 2023/Strand.jpg" "$dst/Briefe/ÜBERSICHT.txt")"
  check "versions went to \"@\": $(find "$dst/@" -path "$dst/@/@" -prune -o -type f ! -name Tresoro.ini -print)" \
    test -z "$(find "$dst/@" -path "$dst/@/@" -prune -o -type f ! -name Tresoro.ini -print)"
  check "temporary files left: $(leftovers "$dst")" test -z "$(leftovers "$dst")"
  check "an error log after the second run" test ! -e "$DATA/TresoroErr$MONTH.log"
}
