#!/usr/bin/env bash
# Under Xvfb: start the program, photograph its main window, close it through its menu.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/xdriver.sh"
mkdir -p screenshots
build/tavrin & pid=$!
if ! win=$(wait_for_window "$pid" '^Tavrin$'); then
  echo "The main window did not appear." >&2
  kill "$pid" 2>/dev/null
  exit 1
fi
sleep 1
shot="$PWD/screenshots/main.png"
import -window "$win" "$shot"
echo "Screenshot of the main window: $shot"
# The same close a user makes, so the shutdown writes as it should.
if ! close_by_menu "$pid" "$win"; then
  echo "The program did not close by its menu; ending it." >&2
  kill "$pid"
fi
wait "$pid" 2>/dev/null
exit 0
