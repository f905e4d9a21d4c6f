# Sourced by the scripts that run Tresoro under Wine. start_xvfb DIR: without
# a DISPLAY, starts Xvfb, which picks a free display itself and names it on
# the descriptor (kept in DIR/display); exports DISPLAY and sets XVFB_PID.
# False when Xvfb did not come up.
start_xvfb() {
  [ -n "${DISPLAY:-}" ] && return 0
  rm -f "$1/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$1/display" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || return 1
  export DISPLAY=:$(head -n1 "$1/display")
}
