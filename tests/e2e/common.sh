# shellcheck shell=bash
# Sourced first by each end-to-end test: checks the tools it names, makes a scratch folder
# $work with a copy of the program in $work/app, and gives fail(). A missing tool fails.
# Usage: source common.sh <tavrin executable> <tool>...
e2e_exe=$1
shift
for tool in "$@"; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool missing"; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no display"; exit 1; }

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run XDG_CACHE_HOME=$work/cache
mkdir -p "$work/app" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cp "$e2e_exe" "$work/app/tavrin"
unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/xdriver.sh"

fail() {
  echo "FAIL: $*"
  cat "$work/stderr" 2>/dev/null
  exit 1
}

# data.ixo with root R, folder S1 (selected at start) holding 2000 projects by path and title
# (UTF-8, written as CP932), and folder S2, empty.
write_catalogue() { # file path title [path title]...
  local file=$1 tree items
  shift
  le32() { printf '%b' "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x00\\x00"; }
  tree=$(printf 'R\n\r\vS1\n\r\vS2\n\r' | xxd -p | tr -d '\n')
  items=$( {
    printf '\x1e'
    while (($# >= 2)); do printf '%s\x1c%s\x1c\x01\x1d' "$1" "$2"; shift 2; done
    printf '\x1e\x1e'
  } | iconv -f UTF-8 -t CP932 | xxd -p | tr -d '\n')
  [ -n "$items" ] || fail "the catalogue's paths are not Shift-JIS"
  {
    printf 'IxO\x09'; le32 $((${#tree} / 2)); echo -n "$tree" | xxd -r -p
    le32 $((${#items} / 2)); echo -n "$items" | xxd -r -p
  } >"$file"
}

# The text of the message box captioned $2, copied as a user would: a click into the text,
# select all, copy. The box is then answered with Return, or with the key $3.
message_text() { # pid caption [key]
  local box width
  box=$(wait_for_window "$1" "^$2\$") || fail "no message box '$2'"
  width=$(xdotool getwindowgeometry --shell "$box" | sed -n 's/^WIDTH=//p')
  xdotool mousemove --window "$box" $((width / 2)) 30 click 1
  xdotool key --clearmodifiers ctrl+a ctrl+c
  sleep 0.3
  xclip -o -selection clipboard 2>/dev/null
  xdotool windowfocus --sync "$box" key --clearmodifiers "${3:-Return}"
}

# A desktop of the test's own for xdg-open: no desktop environment, nothing chosen for any type,
# no mailcap entry, and $1 as the browser.
own_desktop() { # browser
  unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
  export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_DATA_DIRS=$work/none \
    XDG_CONFIG_DIRS=$work/none BROWSER=$1 MAILCAPS=$work/none/mailcap
  mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
}
