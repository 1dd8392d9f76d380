#!/usr/bin/env bash
# Sets up, builds and starts the player on the bundled demo quest: the desktop window when a display is
# available, the terminal player otherwise (or when --terminal is given; other arguments go to tarvik-cli).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh

terminal=0
if [[ "${1:-}" == "--terminal" ]]; then
    terminal=1
    shift
fi
if [[ $# -gt 0 || ( -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ) ]]; then
    terminal=1
fi

# Build messages go to stderr so that the player's own output (a --dump, say) stays clean.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_BUILD_GUI=ON >&2
if [[ $terminal -eq 1 ]]; then
    cmake --build build -j2 --target tarvik-cli >&2
    exec build/src/tarvik-cli play quests/demo.qst "$@"
fi
cmake --build build -j2 --target tarvik >&2
exec build/src/shell/tarvik quests/demo.qst
