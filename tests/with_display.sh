#!/usr/bin/env bash
# with_display.sh COMMAND...: runs a Windows test program under Wine with an
# X display for its windows: the session's own, or a private Xvfb started for
# the run. Before the Xvfb goes, the Wine session of the prefix is waited
# out, so that no process of it is left holding a display that is gone.
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
start_xvfb "$scratch" || { echo "Xvfb did not start"; exit 1; }
"$@"
