#!/usr/bin/env bash
# A search in the real program: F3, a start folder typed in, "検索開始(&S)"; the projects of a
# prepared tree are in the list and, after the close, in data.ixo. Then a folder dropped on
# the window is searched without the options dialog.
# Usage: search.sh <tavrin executable>   (run under xvfb-run)
set -u
exe=$1
source "$(dirname "$0")/common.sh" "$exe" xdotool xxd
pid=
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
export WINEPREFIX=$work/noprefix

# A 2000 project with a backup copy inside it, and a 95 work.
tree=$work/tree
mkdir -p "$tree/A/Backup" "$tree/B"
touch "$tree/A/RPG_RT.lmt" "$tree/A/Backup/RPG_RT.lmt" "$tree/B/GAME.EXE" "$tree/B/Hero.RPG"
printf '[RPG_RT]\r\nGameTitle=Alpha\r\n' >"$tree/A/RPG_RT.ini"
printf 'gametitle=Old\r\n' >"$tree/A/Backup/RPG_RT.ini"
printf '[RPGSearch]\r\nMatch_2k=1\r\nMatch_95=1\r\n' >"$work/app/Tavrin.ini"
win_tree="Z:${tree//\//\\}"

"$work/app/tavrin" 2>>"$work/stderr" & pid=$!
win=$(wait_for_window $pid '^Tavrin$') || fail "main window did not appear"

# F3 opens the options with the start folder's text selected: typing replaces it.
xdotool windowfocus --sync "$win" key F3
form=$(wait_for_window $pid 'RPGツクール検索') || fail "F3 opened no options dialog"
xdotool windowfocus --sync "$form" type --delay 5 "$win_tree"
xdotool key --clearmodifiers alt+s
search_ended $pid || fail "the search did not end"

close_by_menu $pid "$win" || fail "the program did not close through its menu"
data=$(xxd -p "$work/app/data.ixo" | tr -d '\n')
item() { printf '%s\x1c%s\x1c%s\x1d' "$1" "$2" "$3" | xxd -p | tr -d '\n'; }
backup=$(item "$win_tree\\A\\Backup\\" Old $'\x01')
alpha=$(item "$win_tree\\A\\" Alpha $'\x01')
hero=$(item "$win_tree\\B\\" Hero $'\x02')
for found in "$backup" "$alpha" "$hero"; do
  [[ $data == *"$found"* ]] || fail "data.ixo lacks $(echo "$found" | xxd -r -p | tr '\034\035' '|;')"
done
rest=${data#*"$backup"}
[[ $rest == *"$alpha"* ]] || fail "A\\Backup\\ was not found before A\\"
echo "1 passed, 0 failed"
