#!/usr/bin/env bash
# Renews the window pictures of the user guide, docs/window-en.png and
# docs/window-sv.png, from the screenshots that the layout test takes at
# 96 dots per inch on the virtual display.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/with-wine.sh sh -c '"$WINE" build/windows/bin/program_tests.exe --gtest_filter="ScreenSettings/*_96"'
for language in en sv; do
  # No time chunks: the same window gives the same file.
  convert "build/windows/screenshots/window-$language-96.bmp" -strip \
    -define png:exclude-chunks=date,time "docs/window-$language.png"
done
ls -l docs/window-*.png
