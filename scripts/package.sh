#!/bin/bash
# Builds the Debian package of Zorvex: build-package/zorvex_<version>_<arch>.deb.
# Installs the Debian packages the build needs when any is missing (through sudo when you are
# not root). Install the result with: sudo apt-get install ./build-package/zorvex_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build-package"

"$root/scripts/setup.sh" cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
    dpkg-dev file fp-utils

# The package installs under /usr; the desktop entry and its launcher name each other by that
# path. Warnings stay warnings here, so a newer compiler cannot stop a package build. Debian's
# hardening flags (fortified functions, read-only relocations, bind now) as any package has them.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DZORVEX_WERROR=OFF -DZORVEX_REQUIRE_HELP=ON >/dev/null
cmake --build "$dir" -j "$(nproc)"
rm -f "$dir"/zorvex_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/zorvex_*.deb)
echo "Built $deb"
