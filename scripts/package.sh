#!/usr/bin/env bash
# Builds the Debian package the Debian way (debian/, dpkg-buildpackage) from a clean copy of the source tree
# and writes tarvik_<version>_<arch>.deb into dist/, or into the folder given.
#
#   bash scripts/package.sh [OUT]
#
# The copy is built in build-package/ (TARVIK_PACKAGE_WORK names another folder). Its path stays the same from
# run to run, so ccache, when installed, finds the compiled objects again. The package's build runs no tests:
# scripts/test.sh runs them, this package's own test included.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh

out=$(mkdir -p "${1:-$root/dist}" && cd "${1:-$root/dist}" && pwd)
work=${TARVIK_PACKAGE_WORK:-$root/build-package}
version=$(dpkg-parsechangelog -l debian/changelog -S Version)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
src=$work/tarvik-$version

# A clean tree: what git tracks or would track, as it is in the working tree; without git, all but build output.
rm -rf "$src"
mkdir -p "$src"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
        tar --null --ignore-failed-read -T - -cf - | tar -xf - -C "$src"
else
    tar --exclude='./build*' --exclude=./dist --exclude=./.git -cf - . | tar -xf - -C "$src"
fi
rm -f "$work"/tarvik_"$version"_*

if command -v ccache >/dev/null 2>&1 && [[ -d /usr/lib/ccache ]]; then
    export PATH=/usr/lib/ccache:$PATH
    # debhelper gives the build a HOME of its own, so the cache is named before it starts.
    export CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
    export CCACHE_BASEDIR=$work
fi
export DEB_BUILD_OPTIONS="nocheck noautodbgsym ${DEB_BUILD_OPTIONS:-}"
(cd "$src" && dpkg-buildpackage -us -uc -b -Pnocheck -Jauto)

deb=$work/tarvik_${version}_${arch}.deb
mv -f "$deb" "$out/"
echo "package: $out/$(basename "$deb")"
