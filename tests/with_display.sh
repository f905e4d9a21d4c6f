#!/usr/bin/env bash
# with_display.sh COMMAND...: runs a Windows test program under Wine with an
# X display for its windows: the session's own, or a private Xvfb started for
# the run. The prefix's Wine session is waited out before (one started
# without a display, its desktop process included, would make every window
# fail) and after (so that none of it holds a display that is gone).
set -u
. "$(dirname "${BASH_SOURCE[0]}")/e2e/xvfb.sh"
scratch=$(mktemp -d)
XVFB_PID=
cleanup() {
  wineserver -w 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
wineserver -w 2>/dev/null || true
start_xvfb "$scratch" || { echo "Xvfb did not start"; exit 1; }
# Without a window manager Wine would take a managed window that nobody
# maximised on the X side for restored again; unmanaged, Wine keeps the
# windows' states itself, as Windows does.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$@"
