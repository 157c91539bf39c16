#!/usr/bin/env bash
# Games in their own code page, through real Wine and real locales. The runtime stand-in reads
# its files through the ANSI calls, as the real runtime does: RPG_RT.ini from its own folder,
# then the files its data names. A German game (its data in code page 1252) plays in a folder
# named with an umlaut and in one with a Japanese name; a Japanese game plays in a folder whose
# name Shift-JIS cannot spell; a game whose files are named in a code page nothing tells fails
# at once, and that is told with what it said, and no start is recorded.
# A 2003 runtime that loads Harmony.dll at run time is asked about first, for the 2003 RTP although
# the 2000 one is there, and for Harmony.dll; started all the same, its failure is told.
# Usage: code_page.sh <tavrin executable> <stand-in .exe> <2003 stand-in .exe>  (under xvfb-run)
set -u
exe=$1
standin=${2:-}
standin2003=${3:-}
for s in "$standin" "$standin2003"; do
  [ -f "$s" ] || { echo "FAIL: stand-in '$s' not built (i686-w64-mingw32-g++?)"; exit 1; }
done
unset WINEPREFIX
source "$(dirname "$0")/common.sh" "$exe" xdotool xclip xxd iconv wine wineboot wineserver
pid=
trap 'kill $pid 2>/dev/null; end_prefix; rm -rf "$work"' EXIT
# Tavrin chooses each game's locale itself; xdotool matches Japanese titles in a UTF-8 one.
unset LC_ALL
export LANG=C.UTF-8
source "$(dirname "$0")/../wine/prefix.sh"
source "$(dirname "$0")/../wine/report.sh"
for l in de_DE ja_JP; do
  locale -a | grep -qix "$l\.utf-\?8" || fail "the locale $l.UTF-8 is not generated"
done
make_prefix "$work/prefix" || fail "no Wine prefix"

# A game whose database names one picture, `name` (UTF-8), in code page `cp`; the runtime opens
# it by that name.
game() { # folder cp name
  local bytes
  mkdir -p "$1/Picture"
  cp "$standin" "$1/RPG_RT.EXE"
  touch "$1/RPG_RT.lmt" "$1/Picture/$3.png"
  printf '[RPG_RT]\r\nGameTitle=Spiel\r\nFullPackageFlag=1\r\n' >"$1/RPG_RT.ini"
  bytes=$(printf '%s' "$3" | iconv -f UTF-8 -t "$2" | xxd -p | tr -d '\n')
  # The picture's name as a field of a record of the database's pictures.
  local size
  size=$(printf %02x $((${#bytes} / 2)))
  { printf '\x0bLcfDataBase\x14'; printf '%02x0101%s%s00' "$((${#bytes} / 2 + 4))" "$size" "$bytes" | xxd -r -p; } >"$1/RPG_RT.ldb"
  { printf '%s' "Picture\\"; echo -n "$bytes" | xxd -r -p; printf '.png\n'; } >"$1/RPG_RT.opens"
}
umlaut=$work/games/Fröhliche\ Piratenweihnacht
kaizoku=$work/games/海賊
ueberfall=$work/games/Überfall
falsch=$work/games/Falsch
game "$umlaut" CP1252 Ausdrücke
game "$kaizoku" CP1252 Ausdrücke
game "$ueberfall" CP932 タイトル
game "$falsch" CP1252 Ausdrücke
rm "$falsch/RPG_RT.ldb"
drei=$work/games/Drei
mkdir -p "$drei" "$work/rtp2000"
cp "$standin2003" "$drei/RPG_RT.EXE"
touch "$drei/RPG_RT.lmt"
printf '[RPG_RT]\r\nGameTitle=Drei\r\n' >"$drei/RPG_RT.ini"
wine reg add 'HKCU\Software\ASCII\RPG2000' /v RuntimePackagePath /t REG_SZ \
  /d "$(windows "$work/rtp2000")\\" /f >/dev/null 2>&1 || fail "reg add failed"
wineserver -w
printf '[B_Setting]\r\nstartsize=1\r\n' >"$work/app/Tavrin.ini"
# A name Shift-JIS cannot spell is kept in the catalogue as its code point.
z=$(windows "$work/games")
write_catalogue "$work/app/data.ixo" "$z\\Fr<U+00F6>hliche Piratenweihnacht\\" a "$z\\海賊\\" b \
  "$z\\<U+00DC>berfall\\" c "$z\\Falsch\\" d "$z\\Drei\\" e

"$work/app/tavrin" 2>>"$work/stderr" & pid=$!
win=$(wait_for_window $pid '^Tavrin$') || fail "main window did not appear"
row() { # index: focused by keys, as a user moves in the list
  xdotool mousemove --window "$win" 400 300 click 1
  xdotool key --window "$win" Up Up Up Up Up
  for _ in $(seq 1 "$1"); do xdotool key --window "$win" Down; done
  sleep 0.3
}

row 0
xdotool key --window "$win" F5
r=$(report "$umlaut" RPG_RT.EXE) || fail "the German game in $umlaut never started"
expect "$r" "acp=1252" "ini.found=yes" "opens=ok" "ddraw=ok" "cwd=$(windows "$umlaut")"
game_ended || fail "the game did not end"

# 1252 cannot spell the folder: the game runs through a link of ours in drive C:.
row 1
xdotool key --window "$win" F5
r=$(report "$kaizoku" RPG_RT.EXE) || fail "the German game in $kaizoku never started"
expect "$r" "acp=1252" "ini.found=yes" "opens=ok" "ddraw=ok"
grep -qx 'cwd=C:\\Tavrin\\[0-9a-f]*' <<<"$r" || fail "not started through a link: $r"
game_ended || fail "the game did not end"

row 2
xdotool key --window "$win" F5
r=$(report "$ueberfall" RPG_RT.EXE) || fail "the Japanese game in $ueberfall never started"
expect "$r" "acp=932" "ini.found=yes" "opens=ok" "ddraw=ok"
game_ended || fail "the game did not end"

# Nothing tells this game's code page: under 932 it cannot open its picture and ends at once.
row 3
xdotool key --window "$win" F5
text=$(message_text $pid 'ゲーム実行')
[[ $text == *"RPG_RT.EXE を起動できませんでした（終了コード 1）"*"The file Picture"*"cannot be opened."* ]] ||
  fail "the failure reads: $text"

row 4
xdotool key --window "$win" F5
text=$(message_text $pid 'ゲーム実行')
[[ $text == *"RPGツクール2003 の RTP"*"Harmony.dll が見つかりません。"*"このまま起動しますか？"* ]] ||
  fail "the question reads: $text"
text=$(message_text $pid 'ゲーム実行')
[[ $text == *"終了コード 1"*"Harmony.dll not found."* ]] || fail "the failure reads: $text"
r=$(report "$drei" RPG_RT.EXE) || fail "the 2003 game never started"
expect "$r" "rtp=absent" "harmony=missing"
close_by_menu $pid "$win" || fail "the program did not close through its menu"

played=$(iconv -f CP932 -t UTF-8 "$work/app/Tavrin.played") || fail "no Tavrin.played"
for g in 海賊 "Fr<U+00F6>hliche Piratenweihnacht" "<U+00DC>berfall"; do
  grep -qF "$g" <<<"$played" || fail "no start recorded for $g: $played"
done
! grep -q 'Falsch\|Drei' <<<"$played" || fail "a start that failed was recorded: $played"
echo PASS
