# Sourced by the check scripts: starts an X server of their own on a free
# display, exports DISPLAY and leaves its process id in xvfb_pid. Needs a
# work folder in $work for the pipe that tells the display number.
start_private_display() {
  local fifo=$work/display display_no
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display_no <"$fifo" || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$display_no"
  unset QT_QPA_PLATFORM
}
