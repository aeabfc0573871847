# Shell functions for the end-to-end scripts that drive the show's window on the
# test X server (sourced, not run).
#
# Every xdotool call is one X connection, which the server may reset when
# clients come and go quickly: both functions poll instead of relying on one
# call (such as xdotool's --sync).

# Prints the id of the show's window (process $1, title "Lattice Bloom", or the
# title pattern $2) once it is mapped; prints nothing if the process ends first
# or after 60 s.
find_show_window() {
  local found="" title=${2:-^Lattice Bloom\$}
  for _ in $(seq 1 600); do
    found=$(xdotool search --all --pid "$1" --name "$title" 2>/dev/null | head -n 1)
    [ -n "$found" ] && break
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  printf '%s' "$found"
}

# Prints the id of a window titled exactly $1 once one exists (for windows that
# carry no process id: SDL's message boxes, Wine's windows), looked up in the
# whole window tree; prints nothing if process $2 ends first or after 60 s.
# (xdotool's name search misses a message box whose WM_NAME is UTF-8 typed.)
find_window_titled() {
  local found=""
  for _ in $(seq 1 600); do
    found=$(xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\":" '{ for (i = 2; i <= NF; ++i) if ($i == t || index($0, " " t) > 0) { print $1; exit } }')
    [ -n "$found" ] && break
    kill -0 "$2" 2>/dev/null || break
    sleep 0.1
  done
  printf '%s' "$found"
}

# Presses Escape in window $2 of process $1 every half second until the process
# ends; returns 1 if it is still running after 30 s. The show polls events only
# once loading is done, and focus can only go to a mapped window, hence the
# repeats.
press_escape_until_exit() {
  for _ in $(seq 1 60); do
    xdotool windowfocus "$2" 2>/dev/null
    xdotool key --clearmodifiers Escape 2>/dev/null
    sleep 0.5
    kill -0 "$1" 2>/dev/null || return 0
  done
  ! kill -0 "$1" 2>/dev/null
}

# Sends window $2 of process $1 a window-manager close request (the close button,
# Alt-F4) with the send_close program $3 every half second until the process
# ends; returns 1 if it is still running after 30 s. Repeated for the same
# reason as Escape above: events are read only once loading is done.
request_close_until_exit() {
  for _ in $(seq 1 60); do
    "$3" "$2" 2>/dev/null
    sleep 0.5
    kill -0 "$1" 2>/dev/null || return 0
  done
  ! kill -0 "$1" 2>/dev/null
}
