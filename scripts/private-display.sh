# Sourced by the test and check scripts: starts an X server of their own on a
# free display, exports DISPLAY and leaves its process id in xvfb_pid. Needs a
# work folder in $work for the pipe that tells the display number. Takes the
# screen size, 1280x800 when not given.
start_private_display() {
  local fifo=$work/display display_no
  mkfifo "$fifo"
  # -noreset: by default the server resets whenever its last client leaves,
  # and a program that connects during the reset is refused. Between one
  # short-lived client and the next that happens often enough to fail runs.
  Xvfb -displayfd 3 -screen 0 "${1:-1280x800}x24" -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display_no <"$fifo" || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$display_no"
  unset QT_QPA_PLATFORM
}
