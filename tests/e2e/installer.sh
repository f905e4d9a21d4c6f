#!/usr/bin/env bash
# End-to-end test of the setup program TresoroSetup-<version>.exe under Wine,
# in a fresh Wine prefix, as a deployment script would use it: silent
# install; the program, the Start-menu shortcut and every value of the
# uninstall entry where they belong; the installed program's unattended
# "/S1" run; installing again over it; the autostart switch; the refusal to
# replace or remove a running Tresoro.exe; the silent uninstall through the
# registered QuietUninstallString, which leaves the configuration and the
# backup byte for byte as they were; and the same with the configuration
# kept beside the program, which stays. Shortcuts are read with lnk_info.py
# beside this file, the registry with Wine's own reg.exe.
#
#   tests/e2e/installer.sh [BUILD_DIR]     (default build/win)
#
# Uses the display in DISPLAY or starts its own Xvfb. Prints PASS or FAIL per
# step and exits non-zero when any failed. The prefix is made anew in
# BUILD_DIR/e2e-installer/prefix (E2E_DIR/installer/prefix) on every run.
set -uo pipefail
cd "$(dirname "$0")/../.."

BUILD=${1:-build/win}
WORK=${E2E_DIR:+$E2E_DIR/installer}
WORK=${WORK:-$PWD/$BUILD/e2e-installer}
EXE=$PWD/$BUILD/Tresoro.exe
PROBE=$PWD/$BUILD/tests/e2e/tresoro_probe.exe
VERSION=$(sed -nE 's/^project\(Tresoro VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
SETUP=$PWD/$BUILD/TresoroSetup-$VERSION.exe
LNK_INFO=$PWD/tests/e2e/lnk_info.py

export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8

cmake --build "$BUILD" --target TresoroSetup tresoro_probe >/dev/null || { echo "FAIL build"; exit 1; }

XVFB_PID=
RUNNING_PID=
cleanup() {
  [ -n "$RUNNING_PID" ] && kill "$RUNNING_PID" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT

rm -rf "$WORK"
mkdir -p "$WORK"
. tests/e2e/xvfb.sh
start_xvfb "$WORK" || { echo "FAIL Xvfb did not start"; exit 1; }

t0=$SECONDS
wineboot -i >/dev/null 2>&1
wineserver -w
wineserver -p
USER_DIR=$WINEPREFIX/drive_c/users/$(id -un)
WIN_USER_DIR="C:\\users\\$(id -un)"
DATA=$USER_DIR/AppData/Roaming/TresoroData
PROGRAMS=$USER_DIR/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs
MENU_LNK=$PROGRAMS/Tresoro.lnk
# Wine spells the folder "StartUp", Windows "Startup".
STARTUP_LNK=$(find "$PROGRAMS" -maxdepth 1 -iname startup -print -quit)/Tresoro.lnk
INSTALLED=$USER_DIR/AppData/Local/Programs/Tresoro
WIN_INSTALLED="$WIN_USER_DIR\\AppData\\Local\\Programs\\Tresoro"
KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tresoro'
MONTH=$(date +%-m)
echo "== fresh Wine prefix in $((SECONDS - t0)) s ($WINEPREFIX), display $DISPLAY"

# --- helpers ---------------------------------------------------------------

STEP=
FAILURES=0
OK=1
fail() { echo "    - $*"; OK=0; }
check() {  # check "what" command...
  local what=$1
  shift
  "$@" || fail "$what"
}
run_step() {  # run_step NAME: runs step_NAME and prints PASS or FAIL
  STEP=$1
  OK=1
  local t=$SECONDS
  "step_$1"
  if [ "$OK" = 1 ]; then
    echo "PASS $1 ($((SECONDS - t)) s)"
  else
    echo "FAIL $1 ($((SECONDS - t)) s)"
    FAILURES=$((FAILURES + 1))
  fi
}

RC=
setup() {  # setup ARGS...: runs the setup program, its exit code in RC
  timeout 120 wine "$SETUP" "$@" >"$WORK/setup-$STEP.out" 2>&1
  RC=$?
}

reg_value() {  # reg_value NAME: one value of the uninstall entry as reg.exe prints it
  wine reg query "$KEY" /v "$1" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$1 +REG_[A-Z_]+ +(.*)$/\1/p"
}
key_exists() { wine reg query "$KEY" >/dev/null 2>&1; }

# The uninstaller's last file goes once it has ended (a copy of it in the
# temporary folder deletes it): waits up to 15 seconds for PATH to go.
await_gone() {  # await_gone PATH
  local i
  for ((i = 0; i < 150; i++)); do [ -e "$1" ] || return 0; sleep 0.1; done
  return 1
}

lnk_field() {  # lnk_field FILE KEY
  python3 "$LNK_INFO" "$1" | sed -n "s/^$2=//p"
}

# The uninstall entry of an installation in the Windows folder $1.
check_entry() {
  local dir=$1 name want got
  while IFS='|' read -r name want; do
    got=$(reg_value "$name")
    check "$name is \"$got\", want \"$want\"" test "$got" = "$want"
  done <<EOF
DisplayName|Tresoro
DisplayVersion|$VERSION
DisplayIcon|$dir\\Tresoro.exe,0
Publisher|Tresoro
InstallLocation|$dir
UninstallString|"$dir\\Deinstallieren.exe" _?=$dir
QuietUninstallString|"$dir\\Deinstallieren.exe" /S _?=$dir
NoModify|0x1
NoRepair|0x1
EOF
  # The size in KB of what the setup puts there: the program, give or take.
  local size kb
  size=$(reg_value EstimatedSize)
  kb=$(($(stat -c %s "$EXE") / 1024))
  check "EstimatedSize $size is not about ${kb} KB" \
    test -n "$size" -a "$((size))" -ge "$kb" -a "$((size))" -le "$((kb + 64))"
}

# Runs the registered QuietUninstallString as a deployment script would:
# the quoted program, then its parameters ("_?=" takes the rest).
uninstall_quietly() {
  local line program rest
  line=$(reg_value QuietUninstallString)
  program=${line#\"}
  program=${program%%\"*}
  rest=${line#"\"$program\" "}
  if [ -z "$line" ] || [ "$rest" = "$line" ]; then
    fail "no QuietUninstallString to run: \"$line\""
    RC=
    return
  fi
  # shellcheck disable=SC2086  # "/S _?=C:\..." without blanks in the folder
  timeout 120 wine "$program" $rest >"$WORK/uninstall-$STEP.out" 2>&1
  RC=$?
}

# Tresoro.ini as the program writes it: UTF-8 with BOM, CR LF.
write_ini() {  # write_ini FILE LINES...
  local file=$1
  shift
  mkdir -p "$(dirname "$file")"
  { printf '\xEF\xBB\xBF\n'; printf '%s\n' "$@"; } | sed 's/$/\r/' >"$file"
}

make_tree() {  # make_tree DIR
  mkdir -p "$1/Briefe/Ämter" "$1/Fotos"
  printf 'Sehr geehrte Damen und Herren,\r\n' >"$1/Briefe/Ämter/Anschreiben Straße.txt"
  head -c 50000 /dev/urandom >"$1/Fotos/Strand.jpg"
  printf 'Notizen\r\n' >"$1/Notizen.txt"
  find "$1" -exec touch -d '2024-03-01 10:00' {} +
}

# An unattended run of an installed Tresoro.exe; its exit code in RC.
run_installed() {  # run_installed DIR ARGS...
  local dir=$1
  shift
  timeout 90 wine "$dir/Tresoro.exe" "$@" >"$WORK/tresoro-$STEP.out" 2>&1
  RC=$?
}

# --- steps -----------------------------------------------------------------

step_install() {
  setup /S
  check "exit code $RC of the silent install" test "$RC" = 0
  check "Tresoro.exe is not the program of the build" cmp -s "$EXE" "$INSTALLED/Tresoro.exe"
  check "no uninstaller in the program folder" test -s "$INSTALLED/Deinstallieren.exe"
  check "only the program and its uninstaller belong in the folder: $(ls "$INSTALLED" | tr '\n' ' ')" \
    test "$(ls "$INSTALLED" | tr '\n' ' ')" = "Deinstallieren.exe Tresoro.exe "
  check "no Start-menu shortcut \"Tresoro\"" test -s "$MENU_LNK"
  check "the Start-menu shortcut starts \"$(lnk_field "$MENU_LNK" target)\"" \
    test "$(lnk_field "$MENU_LNK" target)" = "$WIN_INSTALLED\\Tresoro.exe"
  check "the Start-menu shortcut passes \"$(lnk_field "$MENU_LNK" arguments)\"" \
    test -z "$(lnk_field "$MENU_LNK" arguments)"
  check "an autostart entry although it was not asked for" test ! -e "$STARTUP_LNK"
  check_entry "$WIN_INSTALLED"
  check "the setup touched TresoroData" test ! -e "$DATA"
}

# The installed program, started as the autostart entry would, with no
# delay configured: the run starts at once, the program ends 1 s after it.
step_backup_run() {
  rm -rf "$WINEPREFIX/drive_c/Quelle" "$WINEPREFIX/drive_c/Sicherung"
  make_tree "$WINEPREFIX/drive_c/Quelle"
  write_ini "$DATA/Tresoro.ini" '[GENERAL]' 'INIVersion = 110708' 'GStdAuto = 0' 'GBupBeiStartVerz = 0' \
    '[PATHS]' '1 = 1001|C:\Quelle\|C:\Sicherung\|1|0|0|3|0|0'
  run_installed "$INSTALLED" /S1
  check "exit code $RC of the installed program's /S1 run" test "$RC" = 0
  check "the backup differs from the source" diff -r -x @ "$WINEPREFIX/drive_c/Quelle" "$WINEPREFIX/drive_c/Sicherung"
  check "Tresoro$MONTH.log not written" test -s "$DATA/Tresoro$MONTH.log"
}

step_install_over() {
  rm -rf "$WORK/data-before"
  cp -a "$DATA" "$WORK/data-before"
  printf 'alte Version' >"$INSTALLED/Tresoro.exe"
  setup /S
  check "exit code $RC of the install over the old one" test "$RC" = 0
  check "Tresoro.exe was not replaced" cmp -s "$EXE" "$INSTALLED/Tresoro.exe"
  check "TresoroData changed" diff -r "$WORK/data-before" "$DATA"
  check "no Start-menu shortcut" test -s "$MENU_LNK"
  check "an autostart entry although it was not asked for" test ! -e "$STARTUP_LNK"
  check_entry "$WIN_INSTALLED"
}

step_install_autostart() {
  setup /S /AUTOSTART
  check "exit code $RC of the install with /AUTOSTART" test "$RC" = 0
  check "no autostart entry" test -s "$STARTUP_LNK"
  check "the autostart entry starts \"$(lnk_field "$STARTUP_LNK" target)\"" \
    test "$(lnk_field "$STARTUP_LNK" target)" = "$WIN_INSTALLED\\Tresoro.exe"
  check "the autostart entry passes \"$(lnk_field "$STARTUP_LNK" arguments)\"" \
    test "$(lnk_field "$STARTUP_LNK" arguments)" = "/S60 /M"
  # A later install without the switch keeps the entry.
  setup /S
  check "exit code $RC of the install without /AUTOSTART" test "$RC" = 0
  check "installing again removed the autostart entry" test -s "$STARTUP_LNK"
}

# Starts a Tresoro.exe and waits for its window.
start_running() {  # start_running EXE
  wine "$1" >"$WORK/tresoro-running.out" 2>&1 &
  RUNNING_PID=$!
  timeout 60 wine "$PROBE" wait-window 60 >/dev/null || { fail "the window of $1 did not appear"; return 1; }
}
stop_running() {
  timeout 60 wine "$PROBE" close >/dev/null
  timeout 30 tail --pid="$RUNNING_PID" -f /dev/null
  kill "$RUNNING_PID" 2>/dev/null
  wait "$RUNNING_PID" 2>/dev/null
  RUNNING_PID=
}

# Neither the setup nor the uninstaller replaces or removes a running
# Tresoro.exe; silently they fail with a non-zero exit code.
step_refuse_running() {
  touch -d '2020-01-01 12:00' "$INSTALLED/Tresoro.exe"
  local before
  before=$(stat -c %Y "$INSTALLED/Tresoro.exe")
  if start_running "$INSTALLED/Tresoro.exe"; then
    setup /S
    check "the setup over a running Tresoro.exe ended with exit code $RC" test "$RC" != 0 -a "$RC" != 124
    check "the setup replaced the running Tresoro.exe" test "$(stat -c %Y "$INSTALLED/Tresoro.exe")" = "$before"
    uninstall_quietly
    check "the uninstall of a running Tresoro.exe ended with exit code $RC" test "$RC" != 0 -a "$RC" != 124
    check "the uninstall removed the running Tresoro.exe" test -e "$INSTALLED/Tresoro.exe"
    check "the uninstall removed the entry of a running Tresoro.exe" key_exists
    check "the program stopped" kill -0 "$RUNNING_PID"
  fi
  stop_running
  # Wine itself refuses to overwrite a running program file; a Tresoro
  # running from another folder shows that the setup asks the program's
  # mutex first.
  local other=$WINEPREFIX/drive_c/Zweitkopie
  mkdir -p "$other"
  cp "$INSTALLED/Tresoro.exe" "$other/"
  if start_running "$other/Tresoro.exe"; then
    setup /S
    check "the setup went on while Tresoro ran from another folder (exit code $RC)" test "$RC" != 0 -a "$RC" != 124
    check "the setup replaced Tresoro.exe while Tresoro ran" test "$(stat -c %Y "$INSTALLED/Tresoro.exe")" = "$before"
  fi
  stop_running
  rm -rf "$other"
}

step_uninstall() {
  rm -rf "$WORK/data-before" "$WORK/backup-before"
  cp -a "$DATA" "$WORK/data-before"
  cp -a "$WINEPREFIX/drive_c/Sicherung" "$WORK/backup-before"
  uninstall_quietly
  check "exit code $RC of the silent uninstall" test "$RC" = 0
  await_gone "$INSTALLED" || fail "the program folder is still there: $(ls "$INSTALLED" | tr '\n' ' ')"
  check "the Start-menu shortcut is still there" test ! -e "$MENU_LNK"
  check "the autostart entry is still there" test ! -e "$STARTUP_LNK"
  check "the uninstall entry is still there" eval '! key_exists'
  check "TresoroData changed" diff -r "$WORK/data-before" "$DATA"
  check "the backup changed" diff -r "$WORK/backup-before" "$WINEPREFIX/drive_c/Sicherung"
}

# With INIinPrgPath 1 the configuration lives beside the program; the
# uninstaller removes only its own files and leaves the folder to the user.
step_config_beside() {
  local dir=$WINEPREFIX/drive_c/TresoroPortabel
  rm -rf "$dir"
  setup /S '/D=C:\TresoroPortabel'
  check "exit code $RC of the install with /D=" test "$RC" = 0
  check "/D= did not install there" cmp -s "$EXE" "$dir/Tresoro.exe"
  check_entry 'C:\TresoroPortabel'
  write_ini "$dir/Tresoro.ini" '[GENERAL]' 'INIVersion = 110708' 'INIinPrgPath = 1' 'GStdAuto = 0' \
    'GBupBeiStartVerz = 1' '[PATHS]' '1 = 1002|C:\Quelle\|C:\Sicherung2\|1|0|0|3|0|0'
  run_installed "$dir" /S1
  check "exit code $RC of the /S1 run with the configuration beside the program" test "$RC" = 0
  check "the backup differs from the source" diff -r -x @ "$WINEPREFIX/drive_c/Quelle" "$WINEPREFIX/drive_c/Sicherung2"
  check "the run did not record the job in the Tresoro.ini beside the program" \
    awk -F'|' '/^1 = 1002\|/ { found = $9 + 0 > 0 } END { exit !found }' "$dir/Tresoro.ini"
  cp -p "$dir/Tresoro.ini" "$WORK/ini-beside"
  uninstall_quietly
  check "exit code $RC of the silent uninstall" test "$RC" = 0
  await_gone "$dir/Deinstallieren.exe" || fail "the uninstaller is still in the program folder"
  check "Tresoro.ini beside the program changed or went" cmp -s "$WORK/ini-beside" "$dir/Tresoro.ini"
  check "the program folder holds more than Tresoro.ini: $(ls "$dir" 2>&1 | tr '\n' ' ')" \
    test "$(ls "$dir" | tr '\n' ' ')" = "Tresoro.ini "
  check "the uninstall entry is still there" eval '! key_exists'
  check "the Start-menu shortcut is still there" test ! -e "$MENU_LNK"
}

test -f "$SETUP" || { echo "FAIL no $SETUP"; exit 1; }
echo "== $SETUP ($(stat -c %s "$SETUP") bytes)"
for s in install backup_run install_over install_autostart refuse_running uninstall config_beside; do
  run_step "$s"
done
echo "== installer: $FAILURES failed, $((SECONDS - t0)) s in all"
[ "$FAILURES" = 0 ]
