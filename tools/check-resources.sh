#!/usr/bin/env bash
# Links resources/Ordfalk.rc into a small MinGW program that loads every
# resource the way Ordfalk does, and runs it under Wine:
#   tools/check-resources.sh      (after changing the .rc, the images or the manifest)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/resource-check
mkdir -p "$out"

x86_64-w64-mingw32-windres -O coff -DUNICODE -D_UNICODE \
  "$root/resources/Ordfalk.rc" "$out/Ordfalk.res.o"
x86_64-w64-mingw32-g++-posix -std=c++17 -municode -Wall -Wextra -Wshadow -Wpedantic -Werror \
  -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -D_WIN32_WINNT=0x0601 -I"$root/resources" \
  "$root/tools/resource-check/ResourceCheck.cpp" "$out/Ordfalk.res.o" \
  -static -o "$out/ResourceCheck.exe" -lcomctl32 -lversion -lgdi32

"$root/tools/with-wine.sh" /usr/lib/wine/wine64 "$out/ResourceCheck.exe"
