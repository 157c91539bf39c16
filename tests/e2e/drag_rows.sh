#!/usr/bin/env bash
# Rows dragged with the mouse in the real program: one onto the first row of its list, one onto
# another folder of the tree; both moves are in the catalogue written at the close.
# Usage: drag_rows.sh <tavrin executable>   (run under xvfb-run)
set -u
exe=$1
source "$(dirname "$0")/common.sh" "$exe" xdotool xxd import convert
pid=
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
export WINEPREFIX=$work/noprefix

# Root R with folders S1 (rows A to D, selected at start) and S2 (empty).
le32() { printf '%b' "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x00\\x00"; }
row() { printf '%s\x1c%s\x1c\x01\x1d' "$1" "$2"; }
tree=$(printf 'R\n\r\vS1\n\r\vS2\n\r' | xxd -p | tr -d '\n')
items_hex() { xxd -p | tr -d '\n'; }
before=$( { printf '\x1e'; row A a; row B b; row C c; row D d; printf '\x1e\x1e'; } | items_hex)
{
  printf 'IxO\x09'; le32 $((${#tree} / 2)); echo -n "$tree" | xxd -r -p
  le32 $((${#before} / 2)); echo -n "$before" | xxd -r -p
} >"$work/app/data.ixo"

"$work/app/tavrin" 2>>"$work/stderr" & pid=$!
win=$(wait_for_window $pid '^Tavrin$') || fail "main window did not appear"

# Where the rows stand, read off the window as drawn: the white insides of the list's rows
# between its grid lines, and the tree's highlighted row (S1).
shot=$work/shot.png
s1_top=
for _ in $(seq 1 50); do
  import -window "$win" "$shot" 2>/dev/null &&
    read -r s1_top s1_bottom <<<"$(pixel_column "$shot" 120 | awk '$2 == "#308CC6" { if (t == "") t = $1; b = $1 } END { print t, b }')"
  [ -n "$s1_top" ] && break
  sleep 0.1
done
[ -n "$s1_top" ] || fail "the selected folder was never drawn"
read -r -a list_rows <<<"$(list_row_middles "$shot" 400)"
((${#list_rows[@]} == 4)) || fail "list rows not found: ${list_rows[*]}"
s2_y=$((s1_bottom + 1 + (s1_bottom - s1_top + 1) / 2))

# A press on a row, a move past the drag distance, a slow move to the target and a release.
drag() { # x1 y1 x2 y2
  xdotool mousemove --window "$win" "$1" "$2" mousedown 1
  local steps=8 i
  for i in $(seq 1 $steps); do
    xdotool mousemove --window "$win" $(($1 + ($3 - $1) * i / steps)) $(($2 + ($4 - $2) * i / steps))
    sleep 0.05
  done
  xdotool mousemove --window "$win" "$3" "$(($4 + 1))" mouseup 1
  # The drop runs in the drag's own event loop; a press that comes before it has ended is
  # lost, which a slow build (the sanitizers) makes likely.
  sleep 1
}

# C onto the first row: C A B D.
drag 250 "${list_rows[2]}" 250 "${list_rows[0]}"
# D onto folder S2: S1 keeps C A B.
drag 250 "${list_rows[3]}" 60 "$s2_y"

close_by_menu $pid "$win" || fail "the program did not close through its menu"
after=$( { printf '\x1e'; row C c; row A a; row B b; printf '\x1e'; row D d; printf '\x1e'; } | items_hex)
actual=$(xxd -p "$work/app/data.ixo" | tr -d '\n')
[ "${actual: -${#after}}" = "$after" ] || fail "data.ixo ends in ${actual: -${#after}}, not $after"
echo "1 passed, 0 failed"
