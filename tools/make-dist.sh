#!/usr/bin/env bash
# Packs the portable release archive:  tools/make-dist.sh ORDFALK.EXE OUT-DIR
# Writes OUT-DIR/Ordfalk-<version>-win64.zip with one folder Ordfalk-<version>
# holding the program, the user guides (with their pictures) and the licence.
# The same inputs give the same archive, byte for byte: every file gets the
# time of the last commit (or SOURCE_DATE_EPOCH), fixed permissions, and its
# place in a sorted list; zip stores no extra attributes and no folders.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 ORDFALK.EXE OUT-DIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")

version=$(sed -n 's/^project(Ordfalk VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=Ordfalk-$version
archive=$out/$name-win64.zip
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
# A zip file cannot hold times before 1980.
[ "$SOURCE_DATE_EPOCH" -ge 315532800 ] || SOURCE_DATE_EPOCH=315532800

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir=$stage/$name
mkdir "$dir"

# Text files for Windows: CR LF line ends; the guides start with a UTF-8
# byte order mark so that every Notepad shows the Swedish letters.
crlf() { sed 's/$/\r/' "$1"; }
cp "$exe" "$dir/Ordfalk.exe"
crlf "$root/LICENSE" >"$dir/LICENSE.txt"
for language in en sv; do
  { printf '\357\273\277'; crlf "$root/docs/GUIDE.$language.md"; } >"$dir/GUIDE-$language.txt"
  cp "$root/docs/window-$language.png" "$dir/"
done

chmod 644 "$dir"/*
chmod 755 "$dir/Ordfalk.exe"
find "$dir" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
rm -f "$archive"
(cd "$stage" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q -9 "$archive" -@)
echo "$archive"
