#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the build and the tests need, only those that are missing.
# Usage: scripts/install-deps.sh [run|test]   ("run" needs less than "test").
set -euo pipefail

what="${1:-test}"
packages=(cmake g++ make pkg-config qt6-base-dev libqt6opengl6-dev libsqlite3-dev)
if [ "$what" = "test" ]; then
    packages+=(googletest libgtest-dev libgmock-dev xvfb xauth xclip xdotool xdg-utils locales
               imagemagick x11-utils util-linux
               wine wine64 g++-mingw-w64-x86-64-posix mingw-w64-tools
               clang libclang-rt-14-dev valgrind strace)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests check number formatting under a locale with a decimal comma.
if [ "$what" = "test" ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "warning: could not generate de_DE.UTF-8" >&2
fi
