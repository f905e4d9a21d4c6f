#!/usr/bin/env bash
# Shows Tresoro at work on a Debian 12 machine: installs what is missing (as
# root), builds Tresoro.exe, makes an example folder with German names and
# a configuration with one job in a Wine prefix of its own, and runs the
# program unattended twice ("/S2": start after a short countdown, end 2 s
# after the run), under Xvfb when there is no display. Between the runs one
# file changes, so the second run archives its old version under "@".
# Prints the destination tree, the "@" archive and the month's log, and
# saves a screenshot of the main window during the second run, and says
# where the setup program for Windows users is.
#
#   tools/demo.sh           everything lands in build/demo/
#   tools/demo.sh --docs    also the idle window with a few jobs as
#                           docs/screenshots/main-window.png
set -euo pipefail
cd "$(dirname "$0")/.."

DOCS=0
[ "${1:-}" = --docs ] && DOCS=1
BUILD=${BUILD:-build/win}
DEMO=$PWD/build/demo
JOBS=${JOBS:-$(nproc)}

. "$(dirname "${BASH_SOURCE[0]}")/install-packages.sh"
install_packages cmake ninja-build python3 fp-utils googletest \
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev wine wine64 \
          xvfb imagemagick fonts-liberation nsis

echo "== building Tresoro.exe in $BUILD"
if [ ! -f "$BUILD/build.ninja" ]; then
  if [ "$BUILD" = build/win ]; then cmake --preset win >/dev/null; else cmake --preset win -B "$BUILD" >/dev/null; fi
fi
cmake --build "$BUILD" -j "$JOBS" --target Tresoro tresoro_probe TresoroSetup >/dev/null
EXE=$PWD/$BUILD/Tresoro.exe
PROBE=$PWD/$BUILD/tests/e2e/tresoro_probe.exe

export WINEPREFIX=$DEMO/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
mkdir -p "$DEMO"
XVFB_PID=
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
. tests/e2e/xvfb.sh
start_xvfb "$DEMO" || true

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== making a Wine prefix in $WINEPREFIX (once, about half a minute)"
  wineboot -i >/dev/null 2>&1 || true
  # Wine draws the window frame itself, so the screenshots show the title.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
fi
# One server for all runs, started anew so that it stays (-p).
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p || true
DATA=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/TresoroData
SOURCE=$WINEPREFIX/drive_c/Beispiel/Eigene\ Dateien
# Drive E: stands for the external disk the backups go to.
DISK=$DEMO/Laufwerk-E
DEST=$DISK/Sicherung
LOG=$DATA/Tresoro$(date +%-m).log
rm -rf "$DATA" "$WINEPREFIX/drive_c/Beispiel" "$DISK"
mkdir -p "$DISK"
ln -sfn "$DISK" "$WINEPREFIX/dosdevices/e:"

probe() { timeout 60 wine "$PROBE" "$@"; }

# Tresoro.ini as the program writes it: UTF-8 with BOM, CR LF.
write_ini() {
  mkdir -p "$DATA"
  { printf '\xEF\xBB\xBF\n'; printf '%s\n' "$@"; } | sed 's/$/\r/' >"$DATA/Tresoro.ini"
}

# The main window with its frame, cropped from the screen.
GEOMETRY=
remember_geometry() {
  local line
  line=$(probe window)
  GEOMETRY=$(sed -E 's/^x=(-?[0-9]+) y=(-?[0-9]+) outer_w=([0-9]+) outer_h=([0-9]+).*/\3x\4+\1+\2/' <<<"$line")
}
screenshot() { import -window root -crop "$GEOMETRY" +repage "$1"; }

echo "== example folder C:\\Beispiel\\Eigene Dateien\\"
mkdir -p "$SOURCE/Briefe/Behörden" "$SOURCE/Fotos/Urlaub Ostsee 2024" "$SOURCE/Finanzen"
printf 'Liebe Nachbarn,\r\nunser Sommerfest beginnt am Samstag um 14 Uhr.\r\n' >"$SOURCE/Briefe/Einladung Sommerfest.txt"
printf 'Antrag auf einen Anwohnerparkausweis für die Straße Am Mühlbach.\r\n' \
  >"$SOURCE/Briefe/Behörden/Antrag Anwohnerparkausweis.txt"
head -c 180000 /dev/urandom >"$SOURCE/Fotos/Urlaub Ostsee 2024/Strandkorb.jpg"
head -c 120000 /dev/urandom >"$SOURCE/Fotos/Urlaub Ostsee 2024/Möwe am Hafen.jpg"
printf 'Datum;Posten;Betrag\r\n2024-05-02;Bäckerei;4,80\r\n' >"$SOURCE/Finanzen/Haushaltsbuch 2024.csv"
printf 'Gießkanne zurückgeben\r\n' >"$SOURCE/Notizen.txt"
find "$SOURCE" -exec touch -d '2024-06-01 09:30' {} +
(cd "$SOURCE" && find . -type f | sed 's|^\./|    |' | sort)

# One job: the example folder to E:\Sicherung\, archiving every change
# with up to 3 versions; start 3 s after the program.
write_ini '[GENERAL]' 'INIVersion = 110708' 'GStdAuto = 0' 'GBupBeiStartVerz = 3' \
  '[PATHS]' '1 = 1717225800|C:\Beispiel\Eigene Dateien\|E:\Sicherung\|1|0|0|3|0|0'

run_tresoro() {  # run_tresoro N: one unattended run, waits for its end
  local t=$SECONDS rc=0
  echo
  echo "== run $1: wine Tresoro.exe /S2"
  timeout 180 wine "$EXE" /S2 >"$DEMO/run$1.out" 2>&1 || rc=$?
  echo "   Tresoro.exe ended itself after $((SECONDS - t)) s, exit code $rc"
  [ "$rc" = 0 ] || { echo "   the program did not end normally; see $DEMO/run$1.out"; exit 1; }
}

show_tree() {  # files under a folder, with sizes
  (cd "$1" && find . -type f -printf '%8s  %P\n' | sort -k2)
}

run_tresoro 1
echo
echo "== destination E:\\Sicherung\\ after run 1"
show_tree "$DEST"

echo
echo "== changing Briefe\\Einladung Sommerfest.txt"
printf 'Liebe Nachbarn,\r\nunser Sommerfest beginnt am Samstag um 15 Uhr (nicht 14 Uhr).\r\nBitte Salate mitbringen!\r\n' \
  >"$SOURCE/Briefe/Einladung Sommerfest.txt"

# During the second run the window is caught while it shows the finished
# run and counts down to its end.
(
  probe wait-window 60 >/dev/null && remember_geometry &&
    probe wait-text 18 "Programm wird beendet" 50 >/dev/null && screenshot "$DEMO/main-window.png"
) &
shooter=$!
run_tresoro 2
wait "$shooter" || echo "   (no screenshot: the window was not caught during its end countdown)"

echo
echo "== destination E:\\Sicherung\\ after run 2"
show_tree "$DEST"
echo
echo "== the archive E:\\Sicherung\\@\\: the old version of the changed file, and the configuration"
show_tree "$DEST/@"
echo "   -- @\\Briefe\\Einladung Sommerfest.txt (archived):"
tr -d '\r' <"$DEST/@/Briefe/Einladung Sommerfest.txt" | sed 's/^/      /'
echo "   -- Briefe\\Einladung Sommerfest.txt (current):"
tr -d '\r' <"$DEST/Briefe/Einladung Sommerfest.txt" | sed 's/^/      /'

echo
echo "== the month's log, $(basename "$LOG") in TresoroData (newest lines first)"
tail -c +4 "$LOG" | tr -d '\r' | sed 's/^/   /'

if [ "$DOCS" = 1 ]; then
  echo
  echo "== idle window with a few jobs for docs/screenshots/main-window.png"
  mkdir -p "$WINEPREFIX/drive_c/Beispiel/Eigene Dateien/Temp" "$DISK/Fotos-Archiv"
  write_ini '[GENERAL]' 'INIVersion = 110708' 'GStdAuto = 0' \
    '[PATHS]' \
    '1 = 1717225800|C:\Beispiel\Eigene Dateien\|E:\Sicherung\|1|7|6|3|0|1717236000' \
    '2 = 1717225801|C:\Beispiel\Eigene Dateien\Fotos\|E:\Fotos-Archiv\|1|0|0|-1|7|1717236000' \
    '3 = 1717225802|D:\Vereinskasse\|E:\Verein\|2|0|0|0|30|0' \
    '[EXCLUDES]' \
    '1 = 1717225800|C:\BEISPIEL\EIGENE DATEIEN\TEMP\' \
    '2 = 1717225800|C:\BEISPIEL\EIGENE DATEIEN\FINANZEN\HAUSHALTSBUCH 2024.CSV'
  # In German where the locale is there, as a German Windows shows it.
  german=C.UTF-8
  locale -a | grep -qix 'de_DE.utf8' && german=de_DE.UTF-8
  LC_ALL=$german wine "$EXE" >"$DEMO/idle.out" 2>&1 &
  idle=$!
  probe wait-window 60 >/dev/null
  sleep 2
  remember_geometry
  mkdir -p docs/screenshots
  screenshot docs/screenshots/main-window.png
  probe close
  wait "$idle" || true
  echo "   saved docs/screenshots/main-window.png ($(stat -c %s docs/screenshots/main-window.png) bytes)"
fi

echo
[ -s "$DEMO/main-window.png" ] && echo "== screenshot of the second run: $DEMO/main-window.png"
echo "== the setup program for Windows: $(ls "$PWD/$BUILD"/TresoroSetup-*.exe)"
echo "== done in ${SECONDS} s; the example lives in $DEMO"
