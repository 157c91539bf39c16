#!/usr/bin/env bash
# Help in the real program, beside a copy of the manual, opened by the real xdg-open as on a
# desktop that has no opener of its own: the program chosen for HTML through a .desktop file
# (one that writes down the file it is given) opens the contents for F1 in the main window, and
# the topic's anchor for F1 or "ヘルプ(&H)" in the search options, in each page of the settings
# dialog and in each page of the customisation dialog. With nothing chosen for HTML, F1 says
# so.
# Usage: help.sh <tavrin executable>   (run under xvfb-run)
set -u
exe=$1
source "$(dirname "$0")/common.sh" "$exe" xdotool xdg-open xclip file
pid=
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
export WINEPREFIX=$work/noprefix

cp -r "$(dirname "$0")/../../help" "$work/app/help"
manual=file://$work/app/help
own_desktop "$work/none/browser"
mkdir -p "$work/bin"
cat >"$work/bin/recorder" <<RECORDER
#!/bin/sh
printf '%s|%s\n' "\$#" "\$1" >>'$work/opened.txt'
RECORDER
chmod +x "$work/bin/recorder"
handler=$XDG_DATA_HOME/applications/recorder.desktop
printf '[Desktop Entry]\nType=Application\nName=Recorder\nExec=%s %%u\nMimeType=text/html;\n' \
  "$work/bin/recorder" >"$handler"
printf '[Default Applications]\ntext/html=recorder.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
: >"$work/opened.txt"

# The address the browser ends at for the file it was given: a page that sends it on to another
# address leads there.
destination() { # path
  local to
  to=$(sed -n 's/.*<meta http-equiv="refresh" content="0; url=\([^"]*\)">.*/\1/p' "$1")
  if [ -n "$to" ]; then echo "${to//&amp;/&}"; else echo "file://$1"; fi
}

# Waits for the n-th address and checks it; a key lost before a window took it is pressed again
# once.
opened=0
expect_opened() { # window key expected
  opened=$((opened + 1))
  for _ in 1 2; do
    xdotool windowfocus --sync "$1" key --clearmodifiers "$2"
    for _ in $(seq 1 50); do
      if (($(wc -l <"$work/opened.txt") >= opened)); then
        local got
        got=$(sed -n "${opened}p" "$work/opened.txt")
        [ "${got%%|*}" = 1 ] || fail "$2 gave the HTML program '$got'"
        got=$(destination "${got#*|}")
        [ "$got" = "$3" ] || fail "$2 opened '$got', not '$3'"
        return 0
      fi
      sleep 0.1
    done
  done
  fail "$2 opened nothing, expected $3"
}

"$work/app/tavrin" 2>>"$work/stderr" & pid=$!
win=$(wait_for_window $pid '^Tavrin$') || fail "main window did not appear"

expect_opened "$win" F1 "$manual/index.html"

# Search options: F1 and the help button.
xdotool windowfocus --sync "$win" key F3
form=$(wait_for_window $pid 'RPGツクール検索') || fail "F3 opened no options dialog"
expect_opened "$form" F1 "$manual/search.html#help-21"
expect_opened "$form" alt+h "$manual/search.html#help-21"
xdotool windowfocus --sync "$form" key --clearmodifiers alt+o
dialog_closed() { # title
  for _ in $(seq 1 50); do
    xdotool search --all --onlyvisible --pid $pid --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
dialog_closed 'RPGツクール検索' || fail "the options dialog did not close"

# 編集, 環境設定(&S)...: the menu's last entry, reached by Up from a freshly opened menu, since
# its access key is shared with the first.
open_from_menu() { # menu-key title keys...
  local key=$1 title=$2 shown w
  shift 2
  for _ in 1 2 3; do
    shown=$(xdotool search --all --onlyvisible --pid $pid "" 2>/dev/null | wc -l)
    xdotool windowfocus --sync "$win" key --clearmodifiers "alt+$key" 2>/dev/null
    if wait_for_windows $pid $((shown + 1)); then
      xdotool key "$@"
      w=$(wait_for_window $pid "$title") && { echo "$w"; return 0; }
    fi
    xdotool key Escape Escape
  done
  return 1
}
settings=$(open_from_menu e '^環境設定$' Up Return) || fail "環境設定 did not open"
# The dialog opens at 体験版設定, the page it was designed on.
expect_opened "$settings" F1 "$manual/settings.html#help-60"
xdotool windowfocus --sync "$settings" key --clearmodifiers alt+b
expect_opened "$settings" alt+h "$manual/settings.html#help-32"
xdotool windowfocus --sync "$settings" key --clearmodifiers alt+l
# Alt+H is also a check box's key on this page: F1 only.
expect_opened "$settings" F1 "$manual/settings.html#help-33"
xdotool windowfocus --sync "$settings" key --clearmodifiers alt+t
expect_opened "$settings" alt+h "$manual/settings.html#help-60"
xdotool windowfocus --sync "$settings" key --clearmodifiers alt+o
dialog_closed '^環境設定$' || fail "the settings dialog did not close"

# 表示, ツールバー(&R), カスタマイズ(&C)...: by their access keys.
custom=$(open_from_menu v '^カスタマイズ$' r c) || fail "カスタマイズ did not open"
expect_opened "$custom" F1 "$manual/customize.html#help-56"
xdotool windowfocus --sync "$custom" key --clearmodifiers alt+g
expect_opened "$custom" alt+h "$manual/customize.html#help-58"
xdotool windowfocus --sync "$custom" key --clearmodifiers alt+a
expect_opened "$custom" alt+h "$manual/customize.html#help-56"
xdotool windowfocus --sync "$custom" key --clearmodifiers alt+o
dialog_closed '^カスタマイズ$' || fail "the customisation dialog did not close"

# No help opened twice for one key, and no message box on the way.
sleep 0.5
(($(wc -l <"$work/opened.txt") == opened)) || fail "more addresses than keys: $(cat "$work/opened.txt")"
xdotool search --all --onlyvisible --pid $pid --name '^ヘルプ$' >/dev/null 2>&1 &&
  fail "a help message box is open"

# Nothing chosen for HTML any more: F1 says why the manual does not open.
rm "$handler" "$XDG_CONFIG_HOME/mimeapps.list"
xdotool windowfocus --sync "$win" key F1
text=$(message_text $pid 'ヘルプ')
[ "$text" = "ヘルプ ファイル $work/app/help/index.html を開けません。
HTML ファイルを開くアプリケーションがありません。" ] || fail "F1 with nothing for HTML said '$text'"
close_by_menu $pid "$win" || fail "the program did not close through its menu"
echo "1 passed, 0 failed"
