#!/usr/bin/env bash
# Sets up, builds and starts the player on the bundled demo quest.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh

# Build messages go to stderr so that the player's own output (a --dump, say) stays clean.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_BUILD_GUI=OFF >&2
cmake --build build -j2 --target tarvik-cli >&2

exec build/src/tarvik-cli play quests/demo.qst "$@"
