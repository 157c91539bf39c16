#!/usr/bin/env bash
# The real program in a real X server: a first start in an empty folder writes the default
# catalogue at its close; a second copy started meanwhile says so and writes nothing.
# Usage: start_and_close.sh <tavrin executable>   (run under xvfb-run)
set -u
exe=$1
source "$(dirname "$0")/common.sh" "$exe" xdotool xxd
first='' second=''
trap 'kill $first $second 2>/dev/null; rm -rf "$work"' EXIT
export WINEPREFIX=$work/noprefix

fail() {
  echo "FAIL: $*"
  echo "windows named Tavrin: $(xdotool search --name Tavrin 2>/dev/null | tr '\n' ' ')"
  ps -o pid,stat,etime,args -C tavrin 2>/dev/null
  cat "$work/stderr" 2>/dev/null
  exit 1
}

"$work/app/tavrin" 2>>"$work/stderr" & first=$!
main=$(wait_for_window $first '^Tavrin$') || fail "main window did not appear"
[ -e "$work/app/data.ixo" ] && fail "data.ixo written before the close"

"$work/app/tavrin" 2>>"$work/stderr" & second=$!
box=$(wait_for_window $second '^Tavrin$') || fail "second copy showed nothing"
answer_and_end $second "$box" || fail "second copy did not end"
[ -e "$work/app/data.ixo" ] && fail "second copy wrote data.ixo"
[ -e "$work/app/Tavrin.ini" ] && fail "second copy wrote Tavrin.ini"
kill -0 $first 2>/dev/null || fail "first copy ended"

close_by_menu $first "$main" || fail "first copy did not close through its menu"
expected=$(printf 'IxO\x09\x0e\x00\x00\x00Tavrin\x0a\x0d\x0bRPG\x0a\x0d\x02\x00\x00\x00\x1e\x1e' | xxd -p)
actual=$(xxd -p "$work/app/data.ixo" | tr -d '\n')
[ "$actual" = "$expected" ] || fail "data.ixo is $actual"
[ -s "$work/app/Tavrin.ini" ] || fail "no Tavrin.ini after the close"
head -c 12 "$work/app/Tavrin.ini" | grep -q $'^\[B_Setting\]\r$' || fail "Tavrin.ini does not open with [B_Setting] and CR LF"

# A second start and close writes both files back byte for byte.
cp "$work/app/data.ixo" "$work/data.before"; cp "$work/app/Tavrin.ini" "$work/ini.before"
"$work/app/tavrin" 2>>"$work/stderr" & first=$!
main=$(wait_for_window $first '^Tavrin$') || fail "main window did not appear again"
close_by_menu $first "$main" || fail "second start did not close"
cmp -s "$work/data.before" "$work/app/data.ixo" || fail "data.ixo changed across a start and close"
cmp -s "$work/ini.before" "$work/app/Tavrin.ini" || { diff "$work/ini.before" "$work/app/Tavrin.ini"; fail "Tavrin.ini changed across a start and close"; }

# A prefix without drive Z: whose drive links loop: the program's own files are host files and
# do not depend on it.
export WINEPREFIX=$work/odd
mkdir -p "$WINEPREFIX/dosdevices"
ln -s c: "$WINEPREFIX/dosdevices/d:"
ln -s d: "$WINEPREFIX/dosdevices/c:"
printf 'Changed=1\r\n' >>"$work/app/Tavrin.ini"
cp "$work/app/Tavrin.ini" "$work/ini.before"
"$work/app/tavrin" 2>>"$work/stderr" & first=$!
main=$(wait_for_window $first '^Tavrin$') || fail "main window did not appear with an odd prefix"
close_by_menu $first "$main" || fail "the program did not close with an odd prefix"
cmp -s "$work/data.before" "$work/app/data.ixo" || fail "data.ixo changed with an odd prefix"
grep -q '^Changed=1' "$work/app/Tavrin.ini" || fail "Tavrin.ini was not read and kept with an odd prefix"
echo "1 passed, 0 failed"
