# shellcheck shell=bash
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

# True while the process has fewer than n visible windows, for at most three seconds.
wait_for_windows() { # pid n
  for _ in $(seq 1 30); do
    (($(xdotool search --all --onlyvisible --pid "$1" "" 2>/dev/null | wc -l) >= $2)) && return 0
    sleep 0.1
  done
  return 1
}

# File menu, Exit, as a person closes the window: the menu is seen open before its key goes.
close_by_menu() { # pid window
  local shown
  for _ in 1 2 3; do
    shown=$(xdotool search --all --onlyvisible --pid "$1" "" 2>/dev/null | wc -l)
    xdotool windowfocus --sync "$2" key --clearmodifiers alt+f 2>/dev/null
    if wait_for_windows "$1" $((shown + 1)); then
      xdotool key x
      gone "$1" && return 0
    fi
    xdotool key Escape
  done
  gone "$1"
}

# A message box answered with Return, pressed again until its process ends: a key that arrives
# before the box takes keys is lost.
answer_and_end() { # pid box
  for _ in 1 2 3 4 5; do
    xdotool windowfocus --sync "$2" key Return 2>/dev/null
    for _ in $(seq 1 20); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  done
  return 1
}

# "y colour" for each pixel of column x of a picture.
pixel_column() { # picture x
  convert "$1" -crop "1x10000+$2+0" -depth 8 txt:- |
    sed -n 's/^[0-9]*,\([0-9]*\):.*\(#[0-9A-F]\{6\}\).*/\1 \2/p'
}

# The middles of the list's rows in a picture of the main window, top to bottom: the white
# insides of rows between the grid lines, in a column x that crosses the list.
list_row_middles() { # picture x
  pixel_column "$1" "$2" | awk '$1 > 40 {
    if ($2 == "#FFFFFF") { if (a == "") a = $1; b = $1 }
    else if (a != "") { if (b - a >= 10 && b - a < 60) printf "%d ", (a + b) / 2; a = "" } }'
}

# An entry of a menu bar menu chosen by its access keys, once the menu is seen open.
choose_from_menu() { # pid window menu-key entry-key
  local shown
  for _ in 1 2 3; do
    shown=$(xdotool search --all --onlyvisible --pid "$1" "" 2>/dev/null | wc -l)
    xdotool windowfocus --sync "$2" key --clearmodifiers "alt+$3" 2>/dev/null
    if wait_for_windows "$1" $((shown + 1)); then
      xdotool key "$4"
      return 0
    fi
    xdotool key Escape
  done
  return 1
}

# The search has ended once neither dialog has been seen for a few looks in a row: the options
# close before the progress dialog opens, so one look alone proves nothing.
search_ended() { # pid
  local quiet=0
  for _ in $(seq 1 200); do
    if xdotool search --all --onlyvisible --pid "$1" --name 'RPGSearch|RPGツクール検索' >/dev/null 2>&1; then
      quiet=0
    else
      quiet=$((quiet + 1))
      ((quiet >= 5)) && return 0
    fi
    sleep 0.1
  done
  return 1
}
