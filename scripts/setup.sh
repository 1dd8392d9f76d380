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
    # the Debian package build (scripts/package.sh), its checks and the manual pages
    dpkg-dev
    file
    debhelper
    fakeroot
    lintian
    scdoc
    man-db
    desktop-file-utils
    appstream
    ccache
    # the terminal player's message catalogues, and the Russian locale they are shown under
    gettext
    locales
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    if [[ "$status" != "install ok installed" ]]; then
        missing+=("$p")
    fi
done

# tarvik-cli speaks Russian only under a Russian locale that the system has generated.
need_locale=0
if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
    need_locale=1
fi

if [[ ${#missing[@]} -eq 0 && $need_locale -eq 0 ]]; then
    exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup: installing packages (${missing[*]}) or the ru_RU.UTF-8 locale needs root" >&2
    exit 1
fi

if [[ ${#missing[@]} -gt 0 ]]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${as_root[@]}" apt-get update
    "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [[ $need_locale -eq 1 ]]; then
    echo "setup: generating the ru_RU.UTF-8 locale"
    # Listed in locale.gen, the locale survives the next locale-gen.
    if command -v locale-gen >/dev/null 2>&1 && [[ -f /etc/locale.gen ]]; then
        grep -qx 'ru_RU.UTF-8 UTF-8' /etc/locale.gen ||
            echo 'ru_RU.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
        "${as_root[@]}" locale-gen
    else
        "${as_root[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
    fi
fi
