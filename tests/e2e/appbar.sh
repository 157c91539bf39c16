#!/usr/bin/env bash
# The application and Gaz soft bars in the real program: a Windows program chosen for a button
# shows its own icon there, pixel for pixel, and a click starts it through real Wine with "0"; a
# host script starts in its folder without it, and a web address goes to the browser through the
# real xdg-open. actview learns the focused project from its settings file and starts by its
# extensionless path.
# Usage: appbar.sh <tavrin executable> <painted.exe> <painted.ico>   (run under xvfb-run)
set -u
exe=$1
painted=${2:-}
ico=${3:-}
[[ -f $painted && -f $ico ]] ||
  { echo "FAIL: '$painted' or '$ico' not built (MinGW windres, ImageMagick?)"; exit 1; }
# Never the user's own prefix, not even in the clean-up of a run that failed early.
unset WINEPREFIX
source "$(dirname "$0")/common.sh" "$exe" xdotool xxd import convert compare iconv wine \
  wineboot wineserver xdg-open
pid=
trap 'kill $pid 2>/dev/null; end_prefix; rm -rf "$work"' EXIT
unset LC_ALL LANG
source "$(dirname "$0")/../wine/prefix.sh"
source "$(dirname "$0")/../wine/report.sh"

make_prefix "$work/prefix" || fail "no Wine prefix"

mkdir -p "$work/tools" "$work/gaz" "$work/games/勇者"
cp "$painted" "$work/tools/painted.exe"
cp "$painted" "$work/gaz/actview.exe"
hero_win=$(windows "$work/games/勇者")
# What a native program and the browser are given, one line each.
cat >"$work/tools/note.sh" <<NOTE
#!/bin/sh
printf 'args=[%s] cwd=%s\n' "\$*" "\$(pwd)" >>'$work/note.txt'
NOTE
cat >"$work/tools/browser" <<BROWSER
#!/bin/sh
printf '%s\n' "\$*" >>'$work/browsed.txt'
BROWSER
chmod +x "$work/tools/note.sh" "$work/tools/browser"
own_desktop "$work/tools/browser"

le32() { printf '%b' "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x00\\x00"; }
tree=$(printf 'R\n\r' | xxd -p | tr -d '\n')
items=$(printf '%s\\\x1c%s\x1c\x01\x1d\x1e' "$hero_win" 勇者 | iconv -f UTF-8 -t CP932 |
  xxd -p | tr -d '\n')
[ -n "$items" ] || fail "the catalogue's paths are not Shift-JIS"
{
  printf 'IxO\x09'; le32 $((${#tree} / 2)); echo -n "$tree" | xxd -r -p
  le32 $((${#items} / 2)); echo -n "$items" | xxd -r -p
} >"$work/app/data.ixo"
# The bars side by side in the first row, clear of the standard bar.
printf '%s\r\n' '[ToolBar]' 'Nml=1' 'Apl=1' 'Gaz=1' '[AplBar]' \
  "AplButton1=$(windows "$work/tools")\\painted.exe" 'AplChk1=1' \
  "AplButton2=$(windows "$work/tools")\\note.sh" 'AplChk2=1' 'AplButton3=http://example.org/a?b=1' \
  'AplChk3=1' '[GazBar]' \
  "act_Path=$(windows "$work/gaz")" '[ToolBarPos]' 'NmlPosx=0' 'NmlPosy=0' 'AplPosx=300' \
  'AplPosy=0' 'GazPosx=480' 'GazPosy=0' | iconv -f UTF-8 -t CP932 >"$work/app/Tavrin.ini" ||
  fail "the settings file is not Shift-JIS"

convert "$ico" "$work/icon.png" || fail "the icon cannot be read"

"$work/app/tavrin" 2>>"$work/stderr" & pid=$!
win=$(wait_for_window $pid '^Tavrin$') || fail "main window did not appear"
shot=$work/shot.png

# The icon's place in a strip of the window (left, width), found when every pixel matches.
find_icon() { # left width
  local out
  for _ in $(seq 1 50); do
    if import -window "$win" "$shot" 2>/dev/null; then
      convert "$shot" -crop "${2}x90+${1}+0" +repage "$work/strip.png"
      out=$(compare -metric AE -subimage-search "$work/strip.png" "$work/icon.png" null: 2>&1)
      if [[ $out =~ ^0\ .*@\ ([0-9]+),([0-9]+) ]]; then
        echo "$((BASH_REMATCH[1] + $1 + 8)) $((BASH_REMATCH[2] + 8))"
        return 0
      fi
    fi
    sleep 0.1
  done
  echo "$out" >&2
  return 1
}

read -r ax ay <<<"$(find_icon 280 190)" || fail "the program's icon is not on the application bar"
xdotool mousemove --window "$win" "$ax" "$ay" click 1
r=$(report "$work/tools" painted.exe) || fail "the application button started nothing"
expect "$r" "args=[0]" "cwd=$(windows "$work/tools")" "acp=932"

# The next two buttons: the script, then the address.
waited() { # file
  for _ in $(seq 1 50); do [ -s "$1" ] && { cat "$1"; return 0; }; sleep 0.1; done
  return 1
}
xdotool mousemove --window "$win" $((ax + 25)) "$ay" click 1
note=$(waited "$work/note.txt") || fail "the script's button started nothing"
[ "$note" = "args=[] cwd=$work/tools" ] || fail "the script was started with $note"
xdotool mousemove --window "$win" $((ax + 50)) "$ay" click 1
browsed=$(waited "$work/browsed.txt") || fail "the address's button opened nothing"
[ "$browsed" = "http://example.org/a?b=1" ] || fail "the browser was given '$browsed'"

# actview gets the same icon from its own file; with a row focused, its settings name the
# project without the trailing backslash.
read -r gx gy <<<"$(find_icon 470 230)" || fail "actview's icon is not on the Gaz soft bar"
rows=()
read -r -a rows <<<"$(list_row_middles "$shot" 620)"
((${#rows[@]} == 1)) || fail "list row not found: ${rows[*]}"
xdotool mousemove --window "$win" 250 "${rows[0]}" click 1
sleep 0.3
xdotool mousemove --window "$win" "$gx" "$gy" click 1
r=$(report "$work/gaz" actview.exe) || fail "the actview button started nothing"
expect "$r" "args=[0]" "cwd=$(windows "$work/gaz")"
ini=$(iconv -f CP932 -t UTF-8 <"$work/gaz/actview.ini") || fail "actview.ini is not Shift-JIS"
[ "$ini" = $'[System]\r\nPath='"$hero_win"$'\r' ] || fail "actview.ini holds: $ini"

close_by_menu $pid "$win" || fail "the program did not close through its menu"
echo "1 passed, 0 failed"
