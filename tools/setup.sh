# shellcheck shell=bash
# Sourced by run.sh and test.sh: installs what is missing and builds. The build folder is
# $TAVRIN_BUILD_DIR (default build/), configured with the extra arguments in TAVRIN_CMAKE_ARGS;
# TAVRIN_WERROR=ON makes warnings errors, as CI builds; TAVRIN_INSTALL_ONLY=1 stops before the
# build.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

PACKAGES=(cmake ninja-build g++ clang-format pkg-config qt6-base-dev qt6-translations-l10n libgtest-dev
          xvfb xauth xxd fonts-noto-cjk imagemagick xdotool locales wine wine64)
# The runtimes and editors are 32-bit, and so are the suite's stand-ins for them. Wine's 32-bit
# OpenGL (recommended by wine32, so every user has it) is what kills a runtime whose prefix
# lacks the GDI renderer; without it that fault would go unseen.
PACKAGES+=(wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 g++-mingw-w64-i686)
# The end-to-end tests read a message box's text from the clipboard, as a user copies it.
PACKAGES+=(xclip)
# The manual opens through xdg-open; the help test runs the real one.
PACKAGES+=(xdg-utils)
# The properties test runs on a session bus of its own.
PACKAGES+=(dbus-daemon)
# The Debian package and its checks: dpkg-shlibdeps (with file) computes the dependencies and
# dpkg-buildflags gives the hardening flags; appstreamcli checks the AppStream file, rsvg-convert
# draws the scalable icon to compare it with the drawn ones.
PACKAGES+=(dpkg-dev file desktop-file-utils lintian appstream librsvg2-bin)
# CI's checks besides clang-format, so that anyone can run them as CI does.
PACKAGES+=(clang-tidy shellcheck)
# The benchmarks that time the real program press its keys through the X server's XTest.
PACKAGES+=(libxcb-xtest0-dev)
# The find benchmark sees the list's answers as the areas the real program draws.
PACKAGES+=(libxcb-damage0-dev)
# The makers' XYZ pictures are zlib data.
PACKAGES+=(zlib1g-dev)
# Whether the display can give a full-screen game its 640 x 480 mode.
PACKAGES+=(libxcb-randr0-dev)
PACKAGES+=(${TAVRIN_EXTRA_PACKAGES[@]+"${TAVRIN_EXTRA_PACKAGES[@]}"})

add_i386=
[ "$(dpkg --print-architecture)" = i386 ] || dpkg --print-foreign-architectures | grep -qx i386 ||
  add_i386=1
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [ "$(id -u)" = 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    [ -z "$add_i386" ] || dpkg --add-architecture i386
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Run:"
    [ -z "$add_i386" ] || echo "  sudo dpkg --add-architecture i386 && sudo apt-get update"
    echo "  sudo apt-get install ${missing[*]}"
    exit 1
  fi
fi

# The sort tests collate Japanese paths under ja_JP.UTF-8; games run under the locale that gives
# Wine their own code page (932, 1252, 936, 950, 949, 1251, 1250).
LOCALES=(ja_JP de_DE zh_CN zh_TW ko_KR ru_RU pl_PL)
missing_locales=()
for l in "${LOCALES[@]}"; do
  locale -a 2>/dev/null | grep -qix "$l\.utf-\?8" || missing_locales+=("$l")
done
if ((${#missing_locales[@]})); then
  if [ "$(id -u)" = 0 ]; then
    touch /etc/locale.gen
    for l in "${missing_locales[@]}"; do
      sed -i "s/^# *\($l\.UTF-8 UTF-8\)\$/\1/" /etc/locale.gen
      grep -qx "$l.UTF-8 UTF-8" /etc/locale.gen || echo "$l.UTF-8 UTF-8" >>/etc/locale.gen
    done
    locale-gen >/dev/null
  else
    echo "The tests and the games need these locales. Run as root, or:"
    for l in "${missing_locales[@]}"; do
      echo "  sudo sh -c \"echo '$l.UTF-8 UTF-8' >>/etc/locale.gen\""
    done
    echo "  sudo locale-gen"
  fi
fi

if [ "${TAVRIN_INSTALL_ONLY:-}" = 1 ]; then
  [ "${BASH_SOURCE[0]}" = "$0" ] || return 0
  exit 0
fi

TAVRIN_BUILD_DIR=${TAVRIN_BUILD_DIR:-build}
# Given each time, so a build folder that CI's setting reached once does not keep it.
cmake -S . -B "$TAVRIN_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DTAVRIN_WERROR="${TAVRIN_WERROR:-OFF}" \
      ${TAVRIN_CMAKE_ARGS[@]+"${TAVRIN_CMAKE_ARGS[@]}"} >/dev/null
# run.sh names the program alone; the tests are built by test.sh.
cmake --build "$TAVRIN_BUILD_DIR" --parallel "$(nproc)" \
      ${TAVRIN_BUILD_TARGET:+--target "$TAVRIN_BUILD_TARGET"}
