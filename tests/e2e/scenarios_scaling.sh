# Scenarios of what Windows users have and Wine forgives, sourced by run.sh:
# every window at the display scalings 100, 125, 150 and 200 % (Wine's
# LogPixels) with no text cut and every window on the screen, the change
# of DPI a move to another monitor sends (WM_DPICHANGED through the probe),
# Enter, Escape and Tab in the dialogs as real key presses, and the
# shutdown after an unattended run, which other programs may refuse.

SCALING_SCENARIOS="scaling_96 scaling_120 scaling_144 scaling_192 dpi_changed dialog_keys shutdown_asks"

# Wine's display scaling; each process reads it when it starts.
set_log_pixels() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

# The fonts are Arial 9 pt but "Ausschlüsse" (52), Arial 12 pt; the probe
# measures each text with them at the window's DPI (or the one given).
# A window just opened or changed is given up to 10 seconds to settle.
check_fits() {  # check_fits WHAT [dpi=N]
  local out
  fits_now() { out=$(probe fits 9 52=12 "$@"); }
  until_ok 10 fits_now "${@:2}" || fail "$1:"$'\n'"$(sed 's/^/        /' <<<"$out")"
}
# Whether the control $1 has the keyboard focus.
focus_is() { [ "$(probe focus | cut -f1)" = "$1" ]; }

# Keys go to the window under the pointer (no window manager).
key_to_top() {  # key_to_top TITLE KEY...
  local line
  line=$(probe top "$1") || return 1
  box_of "$line"
  xdotool mousemove $((BX + BW / 2)) $((BY + 12))
  # The window under the pointer takes the keyboard once Wine has made it
  # the foreground window.
  in_front() { [[ $(probe top "$1") == *" foreground=1"* ]]; }
  until_ok 10 in_front "$1" || { fail "\"$1\" did not come to the front for the keys ${*:2}"; return 1; }
  xdotool key "${@:2}"
}

# "Standard Jobs dazu" from the menu: the hint about a proposed
# destination that comes over the window is closed; true once the window
# is open with no box over it for a second.
open_standard_setup() {
  local i quiet=0
  probe menu 13
  for ((i = 0; i < 60 && quiet < 5; i++)); do
    if probe close-top "Tresoro Meldung" >/dev/null 2>&1; then
      quiet=0
    elif probe top "Standard Datenbackups einrichten" >/dev/null 2>&1; then
      quiet=$((quiet + 1))
    fi
    sleep 0.2
  done
  [ "$quiet" -ge 5 ]
}

# Every window at LogPixels $1: the main window, the job editor with its
# lower part, the path chooser over it, the standard set-up and the info
# window, each looked at by the probe and photographed.
scaling_at() {  # scaling_at DPI
  local dpi=$1
  set_log_pixels "$dpi"
  rm -rf "$DRIVE_C/e2e"
  mkdir -p "$DRIVE_C/e2e/Quelle" "$DRIVE_C/e2e/Ziel"
  write_ini '[Window]' 'GDMScale = -1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|7|0|3|0|0'
  LC_ALL=de_DE.UTF-8 start_tresoro
  if ! probe wait-window 60 >/dev/null; then
    fail "main window did not appear"
    set_log_pixels 96
    return
  fi
  check_fits "main window at $dpi dpi"
  import -window root -crop "$(probe window | sed -nE 's/^x=(-?[0-9]+) y=(-?[0-9]+) outer_w=([0-9]+) outer_h=([0-9]+).*/\3x\4+\1+\2/p')" \
    +repage -strip "$E2E/main-window-$dpi.png"
  [ "$dpi" = 96 ] || keep_for_docs "$E2E/main-window-$dpi.png" "main-window-$dpi.png"
  click_row 50 0 2
  if probe wait-top "Set bearbeiten" 10 >/dev/null; then
    click_widget 1011  # "Mehr...": the lower part
    check_fits "job editor at $dpi dpi"
    shoot_top "Set bearbeiten" "$E2E/job-editor-$dpi.png"
    click_widget 1001
    if probe wait-top "Quellpfad wählen" 10 >/dev/null; then
      check_fits "path chooser at $dpi dpi"
      shoot_top "Quellpfad wählen" "$E2E/path-chooser-$dpi.png"
      click_widget 1106
      check "\"Abbrechen\" did not close the path chooser" probe wait-top-gone "Quellpfad wählen" 10
      probe idle 10 >/dev/null
    else
      fail "\"Quelle:\" did not open the path chooser at $dpi dpi"
    fi
    if ! click_to_close 1015 "Set bearbeiten" '"Abbrechen"'; then
      probe click 1015
      probe wait-top-gone "Set bearbeiten" 10
    fi
  else
    fail "the job editor did not open at $dpi dpi"
  fi
  probe idle 10 >/dev/null
  if open_standard_setup; then
    check_fits "standard set-up at $dpi dpi"
    shoot_top "Standard Datenbackups einrichten" "$E2E/standard-setup-$dpi.png"
    click_widget 1306
    probe wait-top-gone "Standard Datenbackups einrichten" 10 >/dev/null
  else
    fail "the standard set-up did not open at $dpi dpi"
  fi
  probe idle 10 >/dev/null
  probe menu 26  # "Über"
  if probe wait-top "Tresoro 1.09" 10 >/dev/null; then
    check_fits "info window at $dpi dpi"
    shoot_top "Tresoro 1.09" "$E2E/info-window-$dpi.png"
    click_widget 1402
    probe wait-top-gone "Tresoro 1.09" 10 >/dev/null
  else
    fail "the info window did not open at $dpi dpi"
  fi
  probe close
  wait_exit 30
  set_log_pixels 96
  check "exit code $RC after the close box" test "$RC" = 0
}
scenario_scaling_96() { scaling_at 96; }
scenario_scaling_120() { scaling_at 120; }
scenario_scaling_144() { scaling_at 144; }
scenario_scaling_192() { scaling_at 192; }

# Windows moves the main window to a monitor of 144 dpi: the suggested
# rectangle is taken and every widget laid out for 144 dpi exactly as a
# window made there (the design table at 1.5), with the fonts of 144 dpi;
# a dialog opened then is laid out for it too; and back to 96.
scenario_dpi_changed() {
  write_ini '[Window]' 'GDMScale = -1.000000' 'GMainWinXD = 750' 'GMainWinYD = 550' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|7|0|3|0|0'
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  check "window not at 750 x 550 before" await_window inner_w=750 inner_h=550
  check "WM_DPICHANGED did not arrive" probe dpi-changed 96 144 >/dev/null
  check "the suggested rectangle was not taken" await_window inner_w=1125 inner_h=825
  probe list >"$E2E/list-$SCENARIO.txt"
  local diffs
  # The path field shows the job's source, which the design leaves empty.
  diffs=$(compare_design "$E2E/list-$SCENARIO.txt" 1.5 | grep -v '^widget 54: text')
  [ -z "$diffs" ] || fail "layout at 144 dpi differs from the design at 1.5:"$'\n'"$(sed 's/^/        /' <<<"$diffs")"
  check_fits "main window after the change to 144 dpi" dpi=144
  click_row 50 0 2
  if probe wait-top "Set bearbeiten" 10 >/dev/null; then
    check "the source field of the editor opened after the change is not 445 x 1.5 wide" \
      test "$(probe list "Set bearbeiten" | awk -F'\t' '$1 == 1002 { print $6 }')" = 668
    check_fits "job editor opened at 144 dpi" dpi=144
    click_widget 1015
    probe wait-top-gone "Set bearbeiten" 10 >/dev/null
  else
    fail "the job editor did not open after the change"
  fi
  probe idle 10 >/dev/null
  check "WM_DPICHANGED back to 96 did not arrive" probe dpi-changed 144 96 >/dev/null
  check "back at 96 dpi the window is not 750 x 550" await_window inner_w=750 inner_h=550
  probe list >"$E2E/list-$SCENARIO-back.txt"
  diffs=$(compare_design "$E2E/list-$SCENARIO-back.txt" 1.0 | grep -v '^widget 54: text')
  [ -z "$diffs" ] || fail "layout back at 96 dpi differs from the design:"$'\n'"$(sed 's/^/        /' <<<"$diffs")"
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
  check "the remembered size is not in design units" grep -q $'^GMainWinXD = 750\r$' "$DATA/Tresoro.ini"
}

# Enter is the dialog's OK, Escape its "Abbrechen" or close box, Tab moves
# on; real key presses in the job editor, the path chooser, the standard
# set-up and the info window.
scenario_dialog_keys() {
  rm -rf "$DRIVE_C/e2e"
  mkdir -p "$DRIVE_C/e2e/Quelle" "$DRIVE_C/e2e/Anders" "$DRIVE_C/e2e/Ziel"
  write_ini '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|7|0|3|0|0'
  start_tresoro
  check "main window did not appear" probe wait-window 60 >/dev/null
  # The info window: Enter on it, Escape on it and Escape in its text.
  local how
  for how in Return Escape text; do
    probe menu 26  # "Über"
    if ! probe wait-top "Tresoro 1.09" 10 >/dev/null; then
      fail "the info window did not open ($how)"
      continue
    fi
    if [ "$how" = text ]; then
      click_widget 1401
      check "a click into the info text did not give it the focus" until_ok 10 focus_is 1401
      xdotool key Escape
    else
      key_to_top "Tresoro 1.09" "$how"
    fi
    check "$how did not close the info window" probe wait-top-gone "Tresoro 1.09" 10
    probe idle 10 >/dev/null
  done
  # The job editor: Escape drops a typed interval, Tab moves from the
  # source field on, Enter stores it.
  click_row 50 0 2
  if probe wait-top "Set bearbeiten" 10 >/dev/null; then
    click_widget 1013
    xdotool key ctrl+a
    xdotool type --delay 30 '5'
    check "the typed interval did not reach the field" probe wait-text 1013 5 5 >/dev/null
    key_to_top "Set bearbeiten" Escape
    check "Escape did not close the job editor" probe wait-top-gone "Set bearbeiten" 10
    probe idle 10 >/dev/null
    check "Escape stored the interval" grep -qxF $'1 = 1001|C:\\e2e\\Quelle\\|C:\\e2e\\Ziel\\|1|7|0|3|0|0\r' "$DATA/Tresoro.ini"
  else
    fail "the job editor did not open"
  fi
  click_row 50 0 2
  if probe wait-top "Set bearbeiten" 10 >/dev/null; then
    click_widget 1002
    check_soon "the source field has not the focus after a click" focus_is 1002
    xdotool key Tab
    check_soon "Tab did not move from the source field to \"Ziel:\"" focus_is 1003
    xdotool key shift+Tab
    check_soon "Shift+Tab did not move back to the source field" focus_is 1002
    # The path chooser from "Quelle:": Escape keeps the field, Enter takes
    # the typed path.
    click_widget 1001
    if probe wait-top "Quellpfad wählen" 10 >/dev/null; then
      key_to_top "Quellpfad wählen" Escape
      check "Escape did not close the path chooser" probe wait-top-gone "Quellpfad wählen" 10
      probe idle 10 >/dev/null
      check "Escape changed the source to $(probe text 1002)" test "$(probe text 1002)" = 'C:\e2e\Quelle\'
    else
      fail "\"Quelle:\" did not open the path chooser"
    fi
    click_widget 1001
    if probe wait-top "Quellpfad wählen" 10 >/dev/null; then
      click_widget 1103
      xdotool key End shift+Home
      xdotool type --delay 30 'C:\e2e\Anders\'
      probe wait-text 1103 'Anders' 5 >/dev/null
      xdotool key Return
      check "Enter did not close the path chooser" probe wait-top-gone "Quellpfad wählen" 10
      check "Enter did not take the typed path" probe wait-text 1002 'C:\e2e\Anders\' 5 >/dev/null
    else
      fail "\"Quelle:\" did not open the path chooser again"
    fi
    click_widget 1002
    xdotool key Return
    check "Enter did not close the job editor" probe wait-top-gone "Set bearbeiten" 10
    check "Enter did not store the chosen source" await_line 10 "$DATA/Tresoro.ini" \
      '1 = 1001|C:\e2e\Anders\|C:\e2e\Ziel\|1|7|0|3|0|0'
  else
    fail "the job editor did not open again"
  fi
  probe idle 10 >/dev/null
  # The standard set-up: Escape is "Abbrechen", which keeps the automatic
  # set-up; Enter is "OK", which asks for a valid destination first.
  if open_standard_setup; then
    key_to_top "Standard Datenbackups einrichten" Escape
    check "Escape did not close the standard set-up" probe wait-top-gone "Standard Datenbackups einrichten" 10
  else
    fail "the standard set-up did not open"
  fi
  probe idle 10 >/dev/null
  # Without a destination OK says so in a box and stays; with one it
  # closes. Either way Enter was OK.
  if open_standard_setup; then
    key_to_top "Standard Datenbackups einrichten" Return
    local i said=0
    for ((i = 0; i < 25; i++)); do
      probe top "Standard Datenbackups einrichten" >/dev/null 2>&1 || break
      if probe top "Tresoro Meldung" >/dev/null 2>&1; then
        said=1
        probe close-top "Tresoro Meldung"
        probe idle 5 >/dev/null
        key_to_top "Standard Datenbackups einrichten" Escape
      fi
      sleep 0.2
    done
    check "Enter was not OK in the standard set-up" probe wait-top-gone "Standard Datenbackups einrichten" 10
    echo "    standard set-up: Enter $([ "$said" = 1 ] && echo "asked for a destination" || echo "took the proposal")"
    # Each standard job taken is searched for exclusions, and the close box
    # during that work is its "Abbrechen", not the program's end (on a busy
    # machine the close below came while it still searched the profile).
    check "the exclusion search of the standard jobs did not end" await_run_end
  else
    fail "the standard set-up did not open again"
  fi
  probe idle 10 >/dev/null
  probe close
  wait_exit 30
  check "exit code $RC after the close box" test "$RC" = 0
}

# "Herunterfahren wenn fertig" after an unattended run: Windows is asked to
# power off so that programs may refuse (EWX_POWEROFF | EWX_FORCEIFHUNG,
# 0x18) with a planned reason (application, maintenance: 0x80040001). Under
# Wine that ends the session as wineboot --end-session: a program with
# unsaved work is asked and, refusing, stays; with EWX_FORCE it would be
# killed unasked. Wine's relay trace names the flags and the reason.
scenario_shutdown_asks() {
  rm -rf "$DRIVE_C/e2e"
  make_tree "$DRIVE_C/e2e/Quelle"
  write_ini 'GBupBeiStartVerz = 1' '[Window]' 'GDMScale = 1.000000' \
    '[PATHS]' '1 = 1001|C:\e2e\Quelle\|C:\e2e\Ziel\|1|0|0|3|0|0'
  wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'user32.ExitWindowsEx' /f >/dev/null 2>&1
  probe unsaved 90 >"$E2E/unsaved.out" 2>&1 &
  local editor=$!
  for _ in $(seq 50); do grep -q open "$E2E/unsaved.out" && break; sleep 0.2; done
  probe wait-gone 10 >/dev/null 2>&1 || true
  WINEDEBUG=+relay wine "$EXE" /S1 /P >"$E2E/tresoro-$SCENARIO.out" 2>&1 &
  TRESORO_PID=$!
  wait_exit 90
  check "the unattended run did not end the program (exit code $RC)" test "$RC" != 124
  check "the destination is not a copy of the source" diff -r -x @ "$DRIVE_C/e2e/Quelle" "$DRIVE_C/e2e/Ziel"
  local call
  call=$(grep -o 'Call user32.ExitWindowsEx([^)]*)' "$E2E/tresoro-$SCENARIO.out" | head -n1)
  check "ExitWindowsEx was not called with 0x18 and 0x80040001 (relay: ${call:-none})" \
    test "$call" = 'Call user32.ExitWindowsEx(00000018,80040001)'
  # wineboot asks the windows after the program has gone.
  for _ in $(seq 100); do grep -q 'asked to end' "$E2E/unsaved.out" && break; sleep 0.2; done
  check "the window with unsaved work was not asked (its output: $(tr '\n' ' ' <"$E2E/unsaved.out"))" \
    grep -q 'asked to end the session: refused' "$E2E/unsaved.out"
  check "the window with unsaved work is gone" kill -0 "$editor"
  kill "$editor" 2>/dev/null
  wait "$editor" 2>/dev/null
  wine reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null 2>&1
}
