#!/usr/bin/env bash
# The Windows build: installs what is missing (MinGW-w64, Wine, Xvfb), cross-compiles the
# program, its tools and the Windows test suite into build/windows, and runs the suite under Wine
# (a fresh Wine prefix per test program). vellumo-pack.exe is compared with the Linux tool of
# build/test (or $VELLUMO_LINUX_PACK; built into build/linux-pack when neither exists), and
# registry scripts go through vellumo-reg.exe and the Linux vellumo-reg (or $VELLUMO_LINUX_REG).
#
#   scripts/test-windows.sh [ctest arguments...]
#   scripts/test-windows.sh --screenshot    docs/window-win32.png: the installed program under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

screenshot=0
if [ "${1:-}" = "--screenshot" ]; then
    screenshot=1
    shift
fi

scripts/install-deps.sh test

jobs=2
build="$root/build/windows"

linux_pack="${VELLUMO_LINUX_PACK:-$root/build/test/tools/pack/vellumo-pack}"
linux_reg="${VELLUMO_LINUX_REG:-$root/build/test/tools/reg/vellumo-reg}"
if [ ! -x "$linux_pack" ] || [ ! -x "$linux_reg" ]; then
    cmake -S . -B build/linux-pack -DCMAKE_BUILD_TYPE=Release -DVELLUMO_WITH_QT=OFF \
        -DVELLUMO_BUILD_TESTS=OFF >/dev/null
    cmake --build build/linux-pack --target vellumo-pack vellumo-reg -j"$jobs"
    [ -x "$linux_pack" ] || linux_pack="$root/build/linux-pack/tools/pack/vellumo-pack"
    [ -x "$linux_reg" ] || linux_reg="$root/build/linux-pack/tools/reg/vellumo-reg"
fi

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVELLUMO_BUILD_TESTS=ON -DVELLUMO_LINUX_PACK="$linux_pack" \
    -DVELLUMO_LINUX_REG="$linux_reg" \
    >/dev/null
cmake --build "$build" -j"$jobs"

# The installer the end-to-end test installs.
cmake --build "$build" --target package

if [ "$screenshot" = "1" ]; then
    template="$build/wine-template"
    [ -f "$template/prefix/system.reg" ] || cmake/wine-run.sh --make-template "$template"
    VELLUMO_INSTALLER_SCREENSHOT="$root/docs/window-win32.png" tests/windows/installer_test.sh \
        "$build"/package/VellumoDiagnostic-*-setup.exe "$build/tests/adodb/fake-adodb-28.dll" \
        "$build/tests/adodb/fake-adodb-21.dll" "$template"
    echo "docs/window-win32.png written"
    exit 0
fi

ctest --test-dir "$build" --output-on-failure -j"$jobs" "$@"
