#!/usr/bin/env bash
# A real start of a game as a new user makes it: no Wine prefix yet, the project found by F3,
# F5. The runtime stand-in sets up DirectDraw as the real runtime does, which dies in Wine's
# default renderer: its window and its report prove the program prepared the prefix. Then the
# question before the start of a game that needs the RTP the prefix lacks, and the messages for
# a machine without Wine, without 32-bit Wine, and with a prefix made before it.
# Usage: game_start.sh <tavrin executable> <stand-in .exe>   (run under xvfb-run)
set -u
exe=$1
standin=${2:-}
[ -f "$standin" ] || { echo "FAIL: stand-in '$standin' not built (i686-w64-mingw32-g++?)"; exit 1; }
unset WINEPREFIX
source "$(dirname "$0")/common.sh" "$exe" xdotool xclip wine wineserver
pid=
trap 'kill $pid 2>/dev/null; end_prefix; rm -rf "$work"' EXIT
# xdotool matches the Japanese titles in the locale it inherits.
source "$(dirname "$0")/../wine/prefix.sh"
source "$(dirname "$0")/../wine/report.sh"
export WINEPREFIX=$work/prefix

game=$work/games/勇者
mkdir -p "$game"
cp "$standin" "$game/RPG_RT.EXE"
touch "$game/RPG_RT.lmt"
# It carries all it needs, so no question comes before its start.
ini() { # lines after the title
  printf '[RPG_RT]\r\nGameTitle=勇者の旅\r\n%s' "$1" | iconv -f UTF-8 -t CP932 >"$game/RPG_RT.ini"
}
ini $'FullPackageFlag=1\r\n'
# Window mode: Xvfb cannot switch to 640 x 480.
printf '[B_Setting]\r\nstartsize=1\r\n[RPGSearch]\r\nMatch_2k=1\r\n' >"$work/app/Tavrin.ini"

start() { # PATH for the program
  PATH=$1 "$work/app/tavrin" 2>>"$work/stderr" & pid=$!
  win=$(wait_for_window $pid '^Tavrin$') || fail "main window did not appear"
}
# A click in the list below its rows, then Home: the first row has the focus.
focus_first_row() {
  xdotool mousemove --window "$win" 400 300 click 1
  xdotool key --window "$win" Home
  sleep 0.3
}
stop() {
  close_by_menu $pid "$win" || fail "the program did not close through its menu"
}
# The play line of Tavrin.played counts `plays`, and at least `seconds` more than the count of
# the plays before; it may come a moment after the game's end.
last_seconds=0
played() { # plays seconds
  local secs count
  for _ in $(seq 1 50); do
    IFS=$'\t' read -r _ secs count _ < <(grep -a '^played' "$work/app/Tavrin.played")
    if [ "$count" = "$1" ] && ((secs >= last_seconds + $2)); then
      last_seconds=$secs
      return 0
    fi
    sleep 0.2
  done
  echo "Tavrin.played: $(cat "$work/app/Tavrin.played")" >&2
  return 1
}

start "$PATH"
xdotool windowfocus --sync "$win" key F3
form=$(wait_for_window $pid 'RPGツクール検索') || fail "F3 opened no options dialog"
xdotool windowfocus --sync "$form" type --delay 5 "$(windows "$work/games")"
xdotool key --clearmodifiers alt+s
search_ended $pid || fail "the search did not end"
focus_first_row

# F5 with no prefix: Wine makes it first, the window stays usable, then the game runs.
xdotool key --window "$win" F5
tavrins() { xdotool search --all --onlyvisible --pid $pid --name '^Tavrin$' 2>/dev/null | wc -l; }
for _ in $(seq 1 50); do (($(tavrins) >= 2)) && break; sleep 0.1; done
(($(tavrins) >= 2)) || fail "nothing shows that the prefix is being made"
choose_from_menu $pid "$win" f Escape || fail "the window is not usable while the prefix is made"
r=$(report "$game" RPG_RT.EXE) || fail "the game never started"
expect "$r" "args=[GamePlay][ShowTitle][Window]" "cwd=$(windows "$game")" "acp=932" "ddraw=ok"
xdotool search --name '^Tavrin stand-in RPG_RT.EXE$' >/dev/null || fail "no game window"
grep -q 'renderer"="gdi"' "$WINEPREFIX/user.reg" || fail "no renderer setting in user.reg"
game_ended || fail "the game did not end"

# Test play in the same prefix.
find "$game" -iname '*.txt' -delete
focus_first_row
choose_from_menu $pid "$win" s t || fail "the start menu did not open"
r=$(report "$game" RPG_RT.EXE) || fail "test play never started"
expect "$r" "args=[TestPlay][ShowTitle][Window]" "ddraw=ok"
game_ended || fail "the test play did not end"
stop
played 2 0 || fail "the game and the test play were not both counted"

# Without the flag it needs the RTP, which the prefix lacks: F5 asks first. The stand-in's DLLs
# are all Wine's own, so the RTP is all the question names.
find "$game" -iname '*.txt' -delete
ini ''
start "$PATH"
focus_first_row
xdotool key --window "$win" F5
text=$(message_text $pid 'ゲーム実行' Escape)
[[ $text == *"RTP (ランタイムパッケージ) がインストールされていません。"*"このまま起動しますか？"* ]] ||
  fail "the question reads: $text"
[[ $text != *dll* ]] || fail "Wine's own DLLs taken for missing ones: $text"
sleep 2
[ -z "$(find "$game" -iname '*.txt')" ] || fail "the start answered No went ahead"
focus_first_row
# It plays past the watch that tells whether it ran, and is counted when it ends.
touch "$game/RPG_RT.EXE.hold"
xdotool key --window "$win" F5
message_text $pid 'ゲーム実行' >/dev/null
r=$(report "$game" RPG_RT.EXE) || fail "the start answered Yes never came"
expect "$r" "args=[GamePlay][ShowTitle][Window]"
sleep 12
rm "$game/RPG_RT.EXE.hold"
game_ended || fail "the game did not end"
played 3 12 || fail "a game that played past its watch was not counted"
# Closed while a game runs, Tavrin counts the play up to its close.
find "$game" -iname '*.txt' -delete
touch "$game/RPG_RT.EXE.hold"
focus_first_row
xdotool key --window "$win" F5
message_text $pid 'ゲーム実行' >/dev/null
report "$game" RPG_RT.EXE >/dev/null || fail "the last game never started"
sleep 11
stop
rm "$game/RPG_RT.EXE.hold"
game_ended || fail "the game did not end"
played 4 11 || fail "a game running at the close was not counted"

# F5 with the program started on this PATH shows a box whose copied text holds `says`.
refused_with() { # PATH says
  start "$1"
  focus_first_row
  xdotool key --window "$win" F5
  text=$(message_text $pid 'ゲーム実行')
  [[ $text == *"$2"* ]] || fail "the message for '$2' reads: $text"
  stop
}

# No Wine on PATH at all.
find "$game" -iname '*.txt' -delete
refused_with "$work/empty" "sudo apt-get install wine"

# Debian's launcher beside the 64-bit loader only, as on a machine without wine32:i386.
fake=$work/wine64only
mkdir -p "$fake/bin" "$fake/lib/wine"
ln -s /usr/lib/wine/wine64 "$fake/lib/wine/wine64"
sed "s|^wine32=.*|wine32=$fake/lib/wine/wine|; s|^wine64=.*|wine64=$fake/lib/wine/wine64|" \
  "$(command -v wine)" >"$fake/bin/wine"
chmod +x "$fake/bin/wine"
refused_with "$fake/bin:$PATH" "apt-get install wine32:i386"

# A prefix that Wine made while only its 64-bit half was there: made by the launcher above, its
# 32-bit system folder then lacks the DLLs that only Wine's i386 libraries hold (here they are
# installed, so they go again).
export WINEPREFIX=$work/prefix64
PATH="$fake/bin:$PATH" wine wineboot -i >/dev/null 2>&1
wineserver -w
rm -rf "$WINEPREFIX/drive_c/windows/syswow64"
refused_with "$PATH" "wineboot -u"
[ -z "$(find "$game" -iname '*.txt')" ] || fail "a refused start started the game"
echo "1 passed, 0 failed"
