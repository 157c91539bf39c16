# Sourced: drives the program in an X server as a person would, with xdotool.

# The first visible window of a process with a title matching a pattern, waited for.
wait_for_window() { # pid pattern
  local w
  for _ in $(seq 1 150); do
    w=$(xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -n 1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}

# True once the process has ended, within ten seconds.
gone() { # pid
  for _ in $(seq 1 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

# File menu, Exit, as a person closes the window; tried again should a key arrive before the
# menu opens.
close_by_menu() { # pid window
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$2" key --clearmodifiers alt+f 2>/dev/null
    sleep 0.4
    xdotool key x
    for _ in $(seq 1 30); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    xdotool key Escape
  done
  gone "$1"
}
