#!/bin/bash
# Installs the Debian packages Zorvex needs to build, run and test, when any is missing; given
# package names, installs those instead.
set -euo pipefail

packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(
    cmake ninja-build g++ pkg-config git
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-ipafont-gothic
    xvfb xauth imagemagick
    at-spi2-core dbus
    orca speech-dispatcher speech-dispatcher-espeak-ng gsettings-desktop-schemas jwm xdotool
    clang-format
    fp-utils # chmcmd: the help, which the tests compile and look up
    strace python3 # scripts/crash-states.sh
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
