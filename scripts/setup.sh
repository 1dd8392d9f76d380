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
    # read aloud (Qt's text to speech through speech-dispatcher; its CMake files need QmlIntegration)
    qt6-speech-dev
    qt6-speech-speechd-plugin
    qt6-declarative-dev
    # what a screen reader user hears: Orca and the player under Xvfb on a private AT-SPI bus
    xvfb
    xdotool
    orca
    speech-dispatcher
    at-spi2-core
    dbus-x11
    python3-pyatspi
    libao4
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
