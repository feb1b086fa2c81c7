#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the build and the tests need, only those that are missing.
# Works on Debian 12 and later and on the Ubuntu LTS releases; needs root or sudo only when
# something is missing.
# Usage: scripts/install-deps.sh [run|test]   ("run" needs less than "test").
set -euo pipefail

what="${1:-test}"
packages=(cmake g++ make pkg-config qt6-base-dev libqt6opengl6-dev libsqlite3-dev libxcb1-dev
          nlohmann-json3-dev libcli11-dev)
if [ "$what" = "test" ]; then
    # locales brings localedef and the locale sources the tests compile their locales from.
    # xdg-utils finds a file's type with file(1) and the shared MIME database when no desktop runs.
    # openbox is the window manager of the window tests that need one (title bar, frame, focus).
    packages+=(googletest libgtest-dev libgmock-dev xvfb xauth xclip xdotool xdg-utils file
               shared-mime-info locales
               imagemagick x11-utils util-linux openbox
               wine g++-mingw-w64-x86-64-posix mingw-w64-tools
               clang clang-format valgrind strace
               dpkg-dev lintian desktop-file-utils appstream man-db nsis)
fi
# Wanted where the release has them: the 64-bit Wine loader is its own package on some releases
# and part of "wine" on others.
optional=()
if [ "$what" = "test" ]; then
    # clang-format 14 is the version the sources are formatted with (scripts/check-format.sh).
    optional+=(wine64 clang-format-14)
fi

# Root rights are needed only when something is to be installed: once everything is there, an
# ordinary user without sudo runs the build and the tests.
can_install() {
    [ "$(id -u)" -eq 0 ] || command -v sudo >/dev/null
}
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "install-deps: missing packages need root or sudo to install: ${pending[*]}" >&2
        exit 1
    fi
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

pending=()
updated=0
update_lists() {
    [ "$updated" = 1 ] || { as_root apt-get update -qq; updated=1; }
}
apt_install() {
    pending=("$@")
    update_lists
    echo "Installing: $*"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}

available() {
    [ -n "$(apt-cache policy "$1" 2>/dev/null | sed -n 's/^ *Candidate: *//p' | grep -v '(none)')" ]
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    apt_install "${missing[@]}"
fi

# Optional packages are looked for only where they can be installed.
extra=()
for p in "${optional[@]}"; do
    if ! installed "$p" && can_install; then
        pending=("$p")
        update_lists
        available "$p" && extra+=("$p")
    fi
done

# The fuzzers and the sanitizer runtime must come from the clang that is installed: its runtime
# package carries its major version (libclang-rt-14-dev with clang 14, -18- with clang 18). Older
# releases ship the runtime inside libclang-common-N-dev, which clang already depends on.
if [ "$what" = "test" ]; then
    clang_major="$(clang -dumpversion | cut -d. -f1)"
    runtime="libclang-rt-${clang_major}-dev"
    if ! installed "$runtime"; then
        pending=("$runtime")
        update_lists
        available "$runtime" && extra+=("$runtime")
    fi
fi

if [ "${#extra[@]}" -gt 0 ]; then
    apt_install "${extra[@]}"
fi
