#!/usr/bin/env bash
# Games and the editor started from the real program through real Wine, in a scratch prefix: a
# stand-in Windows program writes down how it was started and what it reads of the project.
# Usage: launch.sh <tavrin executable> <stand-in .exe>   (run under xvfb-run)
set -u
exe=$1
standin=${2:-}
[ -f "$standin" ] || { echo "FAIL: stand-in '$standin' not built (i686-w64-mingw32-g++?)"; exit 1; }
# Never the user's own prefix, not even in the clean-up of a run that failed early.
unset WINEPREFIX
source "$(dirname "$0")/common.sh" "$exe" xdotool xxd import convert iconv wine wineboot wineserver
pid=
trap 'kill $pid 2>/dev/null; end_prefix; rm -rf "$work"' EXIT
# Not Japanese, so Tavrin gives Windows programs their locale; UTF-8, so xdotool matches
# Japanese titles.
unset LC_ALL
export LANG=C.UTF-8
source "$(dirname "$0")/../wine/prefix.sh"
source "$(dirname "$0")/../wine/report.sh"

make_prefix "$work/prefix" || fail "no Wine prefix"

# Two 2000 projects: a Japanese folder name whose last character ends in a 0x5C byte in
# Shift-JIS (表), and one whose path is kept in another letter case than on the disk.
base=$work/ゲーム
hero=$base/勇者表
other=$base/Other
mkdir -p "$hero" "$other" "$work/editor" "$work/busy"
cp "$standin" "$hero/RPG_RT.EXE"
cp "$standin" "$other/rpg_rt.exe"
# Both carry all they need, so no question comes before their start.
for p in "$hero" "$other"; do printf '[RPG_RT]\r\nFullPackageFlag=1\r\n' >"$p/RPG_RT.ini"; done
cp "$standin" "$work/editor/RPG2000.exe"
cp "$standin" "$work/busy/busy.exe"
hero_win=$(windows "$hero")
other_win=$(windows "$base")\\OTHER

LC_ALL=ja_JP.UTF-8 wine reg add 'HKCU\Software\Enterbrain\RPG2000' /v ApplicationPath \
  /t REG_SZ /d "$(windows "$work/editor")\\" /f >/dev/null 2>&1 || fail "reg add failed"
wineserver -w

write_catalogue "$work/app/data.ixo" "$hero_win\\" 勇者 "$other_win\\" other

"$work/app/tavrin" 2>>"$work/stderr" & pid=$!
win=$(wait_for_window $pid '^Tavrin$') || fail "main window did not appear"
shot=$work/shot.png
rows=()
for _ in $(seq 1 50); do
  import -window "$win" "$shot" 2>/dev/null && read -r -a rows <<<"$(list_row_middles "$shot" 620)"
  ((${#rows[@]} == 2)) && break
  sleep 0.1
done
((${#rows[@]} == 2)) || fail "list rows not found: ${rows[*]}"

clear_reports() { find "$work" -iname '*.exe.txt' -delete; }
# A report line compared without regard to letter case.
expect_i() { # report line
  grep -qixF -- "$2" <<<"$1" || fail "'$2' (any case) not in the report:"$'\n'"$1"
}
focus_row() { xdotool mousemove --window "$win" 250 "${rows[$1]}" click 1; sleep 0.3; }

# Game start with F5: the runtime in the project folder, under code page 932. Full screen is
# asked for, which Xvfb cannot switch to: said first, and No starts nothing.
focus_row 0
xdotool key --window "$win" F5
text=$(message_text $pid 'ゲーム実行' Escape)
[[ $text == *"640×480 に切り替えられない"*"ウインドウで起動しますか？"* ]] ||
  fail "the full-screen question reads: $text"
sleep 2
[ -z "$(find "$hero" -iname '*.exe.txt')" ] || fail "a full-screen start answered No went ahead"
focus_row 0
xdotool key --window "$win" F5
message_text $pid 'ゲーム実行' >/dev/null
r=$(report "$hero" RPG_RT.EXE) || fail "F5 started nothing in $hero"
expect "$r" "args=[GamePlay][ShowTitle][Window]" "cwd=$hero_win" "acp=932"
game_ended || fail "the game in $hero did not end"

focus_row 1
xdotool key --window "$win" F5
message_text $pid 'ゲーム実行' >/dev/null
r=$(report "$other" rpg_rt.exe) || fail "F5 started nothing in $other (path in another case)"
expect "$r" "args=[GamePlay][ShowTitle][Window]" "acp=932"
expect_i "$r" "cwd=$other_win"
game_ended || fail "the game in $other did not end"

editor_report() { # base-folder project-name
  local r
  r=$(report "$work/editor" RPG2000.exe) || fail "the editor did not start"
  expect "$r" "args=[0]" "cwd=$(windows "$work/editor")" "acp=932" \
    "reg.RPG2000.ProjectBasePath=$1" "reg.RPG2000.OpenedProjectFolder=$2" \
    "ini.ProjectBasePath=$1" "ini.OpenedProjectFolder=$2" \
    "reg.RPG2003.ProjectBasePath=(absent)" "reg.RPG2003.OpenedProjectFolder=(absent)"
}

# The editor while another program of the prefix runs, so its wineserver holds the registry.
touch "$work/busy/busy.exe.hold"
(cd "$work/busy" && exec wine "$(windows "$work/busy")\\busy.exe" >/dev/null 2>&1) &
report "$work/busy" busy.exe >/dev/null || fail "the busy program did not start"
focus_row 0
choose_from_menu $pid "$win" s e || fail "the start menu did not open"
editor_report "$(windows "$base")\\" 勇者表
rm "$work/busy/busy.exe.hold"

# The editor with no wineserver running: the registry is in user.reg alone.
wineserver -k
wineserver -w
clear_reports
focus_row 1
choose_from_menu $pid "$win" s e || fail "the start menu did not open"
editor_report "$(windows "$base")\\" OTHER

close_by_menu $pid "$win" || fail "the program did not close through its menu"
echo "1 passed, 0 failed"
