# Under Xvfb: start the program, photograph its main window, close it through its menu.
set -uo pipefail
mkdir -p screenshots
build/tavrin & pid=$!
win=""
for _ in $(seq 1 100); do
  win=$(xdotool search --onlyvisible --name '^Tavrin$' 2>/dev/null | head -n 1) && [ -n "$win" ] && break
  sleep 0.1
done
if [ -z "$win" ]; then
  echo "The main window did not appear." >&2
  kill "$pid" 2>/dev/null
  exit 1
fi
sleep 1
shot="$PWD/screenshots/main.png"
import -window "$win" "$shot"
echo "Screenshot of the main window: $shot"
# File menu, Exit: the same close a user makes, so the shutdown writes as it should.
for _ in 1 2 3; do
  xdotool windowfocus --sync "$win" key --clearmodifiers alt+f 2>/dev/null
  sleep 0.4
  xdotool key x
  for _ in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break 2; sleep 0.1; done
  xdotool key Escape
done
if kill -0 "$pid" 2>/dev/null; then
  echo "The program did not close by its menu; ending it." >&2
  kill "$pid"
fi
wait "$pid" 2>/dev/null
exit 0
