#!/usr/bin/env bash
# Runs a command with a private Wine prefix on a private virtual display
# (Xvfb), and tears both down afterwards:  tools/with-wine.sh COMMAND...
# Exports WINEPREFIX, DISPLAY, WINE (the launcher) and ORDFALK_ROOT.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
export ORDFALK_ROOT=$root
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINE=/usr/lib/wine/wine64
export PATH=/usr/lib/wine:$PATH

display=
for n in $(seq 91 160); do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "with-wine: no free X display number" >&2; exit 1; }

# Tall enough for the main window at 192 dots per inch with its frame.
Xvfb :$display -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=:$display

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
[ -e /tmp/.X11-unix/X$display ] || { echo "with-wine: Xvfb did not start" >&2; exit 1; }

mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "with-wine: creating the Wine prefix $WINEPREFIX"
  "$WINE" wineboot -i >/dev/null 2>&1
  # No window manager runs on the virtual display: let Wine draw the window
  # frames and captions itself, as they look on Windows.
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  # The desktop process started while the prefix was made read the old
  # settings: end it, so that this run already works as every later one.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
fi
# Wine here does not find the fonts it ships with: give the prefix Marlett
# for the caption buttons' symbols (else they show as 0, 1 and r), and
# Fixedsys and Tahoma, which stand nearest to the fonts of a Windows desktop.
fonts=$WINEPREFIX/drive_c/windows/Fonts
for font in marlett.ttf fixedsys.ttf tahoma.ttf tahomabd.ttf; do
  [ -f "$fonts/$font" ] || cp "/usr/share/wine/fonts/$font" "$fonts/" 2>/dev/null || true
done
# Keep one wineserver for the whole run, so programs started one after the
# other share the desktop, the tray, the clipboard and the atom table.
wineserver -p >/dev/null 2>&1 || true
"$WINE" wineboot >/dev/null 2>&1 || true

"$@"
