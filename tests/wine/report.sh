# shellcheck shell=bash
# Sourced after common.sh (for `fail`): what the stand-in wrote down about how it was started.

windows() { echo "Z:${1//\//\\}"; } # host path -> Windows path through Z:

# The report of the stand-in in a folder, whatever the letter case Wine gave its name; waited
# for, as Wine may first have to start its server.
report() { # folder exe-name
  local f
  for _ in $(seq 1 600); do
    f=$(find "$1" -maxdepth 1 -iname "$2.txt" | head -n 1)
    [ -n "$f" ] && { cat "$f"; return 0; }
    sleep 0.1
  done
  return 1
}

# Every line given stands in the report, whole.
expect() { # report line...
  local r=$1 l
  shift
  for l in "$@"; do
    grep -qxF -- "$l" <<<"$r" || fail "'$l' not in the report:"$'\n'"$r"
  done
}

# A game's window covers the list while it runs, so a click waits until it is gone.
game_ended() {
  for _ in $(seq 1 100); do
    xdotool search --name '^Tavrin stand-in ' >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
