#!/usr/bin/env bash
# Checks that a release is reproducible: builds Ordfalk.exe once more from a
# clean build folder of another name, with the flags of the windows preset,
# and packs the release archive from each of the two programs. Both the
# programs and the archives must be equal, byte for byte.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
first=build/windows/bin/Ordfalk.exe
[ -f "$first" ] || { echo "reproducible: $first is missing; build it with 'make windows'" >&2; exit 1; }

scratch=$(mktemp -d "$root/build/reproducible.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# Packed before the second build, so that the two archives are made at
# clearly different times.
a=$(tools/make-dist.sh "$first" "$scratch/a")
cmake --preset windows -B "$scratch/build" -DORDFALK_TESTS=OFF >/dev/null
cmake --build "$scratch/build" --target Ordfalk -j "$(nproc)" >/dev/null
second=$scratch/build/bin/Ordfalk.exe
b=$(tools/make-dist.sh "$second" "$scratch/b")
status=0
for pair in "$first $second" "$a $b"; do
  set -- $pair
  if cmp -s "$1" "$2"; then
    echo "reproducible: $(basename "$1") $(sha256sum <"$1" | cut -c1-16) from both builds"
  else
    echo "reproducible: FAIL: $1 and $2 differ:" >&2
    cmp -l "$1" "$2" | head -5 >&2 || true
    status=1
  fi
done
exit $status
