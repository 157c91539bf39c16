#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack from this build, its menu entry and
# AppStream file valid, and nothing for lintian to say, hints and hardening included. Unpacked,
# the program in its read-only bin folder keeps its files in $XDG_CONFIG_HOME/Tavrin, reads them
# back at the next start, loads the Japanese Qt translation it brings and opens the manual it
# brings. A user folder that cannot be made is reported.
# Usage: package.sh <tavrin executable> <build folder> hardened|unhardened   (under xvfb-run)
set -u
exe=$1
build=$2
hardened=$3
source "$(dirname "$0")/common.sh" "$exe" xdotool cpack dpkg-deb desktop-file-validate lintian \
  appstreamcli rsvg-convert import convert identify compare
pid=
trap 'kill $pid 2>/dev/null; chmod -R u+w "$work"; rm -rf "$work"' EXIT

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg") \
  >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/pkg/tavrin_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "cpack made no tavrin_*.deb"
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"

# The package's metadata and files. Depends holds both the computed libraries and xdg-utils,
# since F1 opens the manual through xdg-open.
[ "$(dpkg-deb -f "$deb" Recommends)" = "wine, wine32:i386" ] || fail "32-bit Wine is not recommended"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *xdg-utils* ]] || fail "Depends lacks Qt or xdg-utils: $depends"
share=$root/usr/share
for size in 16 32 48 64 128 256; do
  icon=$share/icons/hicolor/${size}x${size}/apps/tavrin.png
  [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${size}x${size}" ] || fail "$icon is not a ${size}x${size} PNG"
done
for f in tavrin/translations/qtbase_ja.qm tavrin/help/index.html doc/tavrin/copyright \
  doc/tavrin/changelog.gz man/man1/tavrin.1.gz metainfo/org.example.tavrin.metainfo.xml \
  icons/hicolor/scalable/apps/tavrin.svg; do
  [ -s "$share/$f" ] || fail "the package lacks /usr/share/$f"
done
# gzip -9n: no time stamp, and the flag byte of the best compression.
for gz in doc/tavrin/changelog.gz man/man1/tavrin.1.gz; do
  gzip -t "$share/$gz" || fail "$gz is not gzip"
  [ "$(od -An -tx1 -j4 -N5 "$share/$gz" | tr -d ' ')" = 0000000002 ] || fail "$gz is not made by gzip -9n"
done
# CMake's version, written by hand in three files.
version=$(dpkg-deb -f "$deb" Version)
if ! zcat "$share/doc/tavrin/changelog.gz" | head -n 1 | grep -q "^tavrin ($version) " ||
  ! grep -q "<release version=\"$version\"" "$share/metainfo/org.example.tavrin.metainfo.xml" ||
  ! zcat "$share/man/man1/tavrin.1.gz" | head -n 1 | grep -q "\"Tavrin $version\""; then
  fail "the changelog, the AppStream file and the manual page do not all name version $version"
fi
# The scalable icon is drawn by hand: it must still look like the pictures the program draws.
rsvg-convert -w 64 -h 64 "$share/icons/hicolor/scalable/apps/tavrin.svg" -o "$work/svg.png" ||
  fail "the scalable icon does not render"
rmse=$(compare -metric RMSE "$work/svg.png" "$share/icons/hicolor/64x64/apps/tavrin.png" null: 2>&1 |
  sed -n 's/.*(\(.*\))$/\1/p')
awk -v d="$rmse" 'BEGIN { exit !(d != "" && d < 0.02) }' ||
  fail "the scalable icon differs from the drawn one (RMSE '$rmse')"

# Not even a hint from the validators; lintian's one overridden tag is explained in the README.
if ! desktop-file-validate "$share/applications/tavrin.desktop" >"$work/validate.txt" 2>&1 ||
  [ -s "$work/validate.txt" ]; then
  cat "$work/validate.txt"
  fail "desktop-file-validate finds fault with the entry"
fi
if ! appstreamcli validate-tree --pedantic --strict --no-net "$root" >"$work/appstream.txt" 2>&1 ||
  grep -q '^ *P: ' "$work/appstream.txt"; then
  cat "$work/appstream.txt"
  fail "appstreamcli finds fault with the AppStream file"
fi
lintian --pedantic --display-info --display-experimental "$deb" >"$work/lintian.tags" 2>"$work/lintian.err"
lintian_rc=$?
if [ "$hardened" = hardened ]; then
  cp "$work/lintian.tags" "$work/lintian.txt"
else
  grep -v -E '^I: tavrin: hardening-no-(bindnow|fortify-functions) ' "$work/lintian.tags" >"$work/lintian.txt"
fi
[ ! -s "$work/lintian.txt" ] || { cat "$work/lintian.txt"; fail "lintian has something to say"; }
((lintian_rc == 0)) || { cat "$work/lintian.err"; fail "lintian failed ($lintian_rc)"; }

# The installed program, as a user starts it, with the manual opened by a stand-in xdg-open.
bin=$root/usr/bin
chmod a-w "$bin"
export HOME=$work/home XDG_CONFIG_HOME=$work/config WINEPREFIX=$work/noprefix
config=$XDG_CONFIG_HOME/Tavrin
mkdir -p "$work/tools"
cat >"$work/tools/xdg-open" <<OPENER
#!/bin/sh
printf '%s\n' "\$1" >>'$work/opened.txt'
OPENER
chmod +x "$work/tools/xdg-open"
export PATH=$work/tools:$PATH

"$bin/tavrin" 2>>"$work/stderr" & pid=$!
main=$(wait_for_window $pid '^Tavrin$') || fail "the installed program showed no window"
grep -q " $share/tavrin/translations/qtbase_ja.qm\$" /proc/$pid/maps ||
  fail "the installed program did not load its own qtbase_ja.qm: $(grep -o '/[^ ]*\.qm$' /proc/$pid/maps)"
opened=
for _ in 1 2; do
  xdotool windowfocus --sync "$main" key F1
  for _ in $(seq 1 30); do
    opened=$(head -n 1 "$work/opened.txt" 2>/dev/null)
    [ -n "$opened" ] && break 2
    sleep 0.1
  done
done
[ "$opened" = "file://$share/tavrin/help/index.html" ] || fail "F1 opened '$opened'"
close_by_menu $pid "$main" || fail "the installed program did not close through its menu"

[ -s "$config/data.ixo" ] || fail "no data.ixo in $config"
[ -s "$config/Tavrin.ini" ] || fail "no Tavrin.ini in $config"
[ "$(stat -c %a "$config")" = 700 ] || fail "$config has mode $(stat -c %a "$config")"
beside=$(find "$bin" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort)
[ "$beside" = tavrin ] || fail "files beside the executable: $(tr '\n' ' ' <<<"$beside")"

# A list colour set in the file shows at the next start, and the close writes the file back.
sed -i 's/^bgcolor=0\r$/bgcolor=1\r/; s/^BGColor=16777215\r$/BGColor=3170496\r/' "$config/Tavrin.ini"
grep -q $'^BGColor=3170496\r$' "$config/Tavrin.ini" || fail "no list colour to change in Tavrin.ini"
cp "$config/Tavrin.ini" "$work/ini.before"
"$bin/tavrin" 2>>"$work/stderr" & pid=$!
main=$(wait_for_window $pid '^Tavrin$') || fail "the installed program showed no window again"
coloured=0
for _ in $(seq 1 20); do
  import -window "$main" "$work/shot.png" 2>/dev/null &&
    coloured=$(pixel_column "$work/shot.png" 300 | grep -c '#C06030')
  ((coloured > 20)) && break
  sleep 0.2
done
((coloured > 20)) || fail "the list is not in the colour of Tavrin.ini"
close_by_menu $pid "$main" || fail "the second start did not close"
cmp -s "$work/ini.before" "$config/Tavrin.ini" || { diff "$work/ini.before" "$config/Tavrin.ini"; fail "Tavrin.ini changed across a start and close"; }

# A user folder that cannot be made: the program says so and ends, making nothing.
touch "$work/plain"
XDG_CONFIG_HOME=$work/plain/config "$bin/tavrin" 2>>"$work/stderr" & pid=$!
box=$(wait_for_window $pid '^Tavrin$') || fail "no message for a user folder that cannot be made"
answer_and_end $pid "$box" || fail "the program did not end after its message"
[ "$(ls -A "$bin")" = tavrin ] || fail "files beside the executable after the failed start"
[ ! -e "$work/plain/config" ] || fail "something was made under a file"
echo "1 passed, 0 failed"
