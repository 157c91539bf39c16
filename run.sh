#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tavrin. Without a display it runs under Xvfb,
# saves a screenshot of the main window and closes the program.
# The program and what it needs, not the tests.
TAVRIN_BUILD_TARGET=tavrin
source "$(dirname "$0")/tools/setup.sh"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/tavrin
fi
exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash tools/screenshot.sh
