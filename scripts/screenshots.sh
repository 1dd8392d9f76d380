#!/usr/bin/env bash
# Renders PNG screenshots of the desktop player with the demo quest into docs/screenshots/ (normal and DOS
# colour modes with the inventory shown, the input line, and the hut's pictures). Needs no display: it draws
# offscreen.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${BUILD_DIR:-build-screenshots}
out=${1:-docs/screenshots}

# An existing build folder (BUILD_DIR) keeps its own build type.
if [[ -f "$build/CMakeCache.txt" ]]; then
  cmake -S . -B "$build" -DTARVIK_BUILD_GUI=ON >&2
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_BUILD_GUI=ON >&2
fi
cmake --build "$build" -j2 --target tarvik_screenshots >&2

mkdir -p "$out"
TARVIK_SCREENSHOT_DIR=$(cd "$out" && pwd) QT_QPA_PLATFORM=offscreen \
  "$build/tests/shell/tarvik_screenshots"
ls -l "$out"/*.png
