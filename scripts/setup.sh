#!/usr/bin/env bash
# Installs everything Tarvik needs to build and test, from Debian packages (Debian 12).
# Safe to run again: when every package is present it only checks and returns.
set -euo pipefail

packages=(
    build-essential
    cmake
    ninja-build
    g++
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    clang
    libclang-rt-14-dev
    clang-format
    python3
    qt6-base-dev
    libgl-dev
    fonts-dejavu-core
    zlib1g-dev
    # pictures in every format Qt reads, and Qt's own Russian dialogs
    qt6-image-formats-plugins
    qt6-translations-l10n
    # music and sounds; a General MIDI soundfont so MIDI tunes sound on a fresh machine
    libsdl2-mixer-dev
    pkg-config
    timgm6mb-soundfont
    # the network include
    libcurl4-openssl-dev
    # quest maps drawn with Graphviz, and shown in the window with Qt SVG
    libgraphviz-dev
    qt6-svg-dev
    # the Debian package build
    dpkg-dev
    file
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    if [[ "$status" != "install ok installed" ]]; then
        missing+=("$p")
    fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "setup: installing ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
