#!/usr/bin/env bash
# Starts the built Ordfalk.exe under Wine. On a desktop it runs on your
# display until you quit it. Without a display it shows that the program
# runs: it starts it on a private virtual display, opens the window from the
# tray icon, saves a screenshot, and ends it again.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
exe=$root/build/windows/bin/Ordfalk.exe
[ -f "$exe" ] || { echo "run: $exe is missing; build it with 'make windows'" >&2; exit 1; }

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix-desktop}
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  echo "Starting Ordfalk on $DISPLAY. Double-click its tray icon to edit the texts;"
  echo "File > Quit (Ctrl+Q) ends it. Arguments: /SWEDISH or /ENGLISH."
  cd "$(dirname "$exe")"
  exec /usr/lib/wine/wine64 Ordfalk.exe "$@"
fi

echo "No display found: starting Ordfalk on a private virtual display instead."
shot=$root/build/run-screenshot.png
ORDFALK_ARGS="$*" ORDFALK_SHOT=$shot timeout 120 "$root/tools/with-wine.sh" bash -c '
  set -euo pipefail
  folder=$(mktemp -d)
  cp "$ORDFALK_ROOT/build/windows/bin/Ordfalk.exe" "$folder/"
  cd "$folder"
  "$WINE" Ordfalk.exe $ORDFALK_ARGS &
  pid=$!
  # Wait for the tray icon, then double-click it as a user would.
  for _ in $(seq 100); do
    "$WINE" cmd /c "tasklist" 2>/dev/null | grep -qi ordfalk && break
    sleep 0.1
  done
  sleep 1
  xdotool mousemove 13 32 click --repeat 2 --delay 80 1
  sleep 1.5
  import -window root "$ORDFALK_SHOT"
  "$WINE" taskkill /IM Ordfalk.exe >/dev/null 2>&1 || true
  wait $pid && code=0 || code=$?
  echo "Ordfalk ran and ended with exit code $code; settings it stored:"
  sed "s/^/  /" "$folder/Ordfalk.INI"
  rm -rf "$folder"
'
echo "Screenshot of the window: $shot"
