# shellcheck shell=bash
# Sourced: a scratch Wine prefix for a test, never the user's own ~/.wine.

# Quiet Wine: no debug output, and no offer to install Mono or Gecko, which would open a dialog.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Makes a prefix in the given folder, exports WINEPREFIX, and waits until its wineserver has
# saved the registry and ended.
make_prefix() { # folder
  case "$1" in /*) ;; *) echo "make_prefix: not an absolute path: $1" >&2; return 1 ;; esac
  [ "$1" = "$HOME/.wine" ] && { echo "make_prefix: refusing ~/.wine" >&2; return 1; }
  for tool in wine wineboot wineserver; do
    command -v $tool >/dev/null || { echo "make_prefix: $tool missing" >&2; return 1; }
  done
  mkdir -p "$1" || return 1
  export WINEPREFIX=$1
  # wineboot's status says little (a 64-bit-only Wine reports a missing 32-bit helper): the
  # prefix is judged by what it holds, and made once more should the first try leave it short.
  local _
  for _ in 1 2; do
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # A boot cut short leaves a 64-bit prefix without its 32-bit half, where no stand-in runs.
    [ -f "$WINEPREFIX/user.reg" ] && [ -e "$WINEPREFIX/dosdevices/z:" ] &&
      { ! grep -qs '^#arch=win64' "$WINEPREFIX/system.reg" ||
        [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; } && return 0
    rm -f "$WINEPREFIX/.update-timestamp"
  done
  echo "make_prefix: wineboot left no user.reg, drive Z: or 32-bit half in $WINEPREFIX" >&2
  return 1
}

# Ends every program of the prefix and its wineserver.
end_prefix() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null
  return 0
}
