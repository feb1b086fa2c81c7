#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole suite: the Linux tests, the same
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, valgrind on the registry store and
# the report path, a short run of every fuzz target, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

echo "== Linux build and tests"
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMO_BUILD_TESTS=ON >/dev/null
cmake --build build/test -j"$(nproc)"
ctest --test-dir build/test --output-on-failure -j"$(nproc)" "$@"

echo "== Sanitizers and valgrind"
VALGRIND_BUILD_DIR=build/test scripts/test-sanitizers.sh all

echo "== Fuzz smoke run"
scripts/fuzz-smoke.sh

echo "== Windows build under Wine"
VELLUMO_LINUX_PACK="$PWD/build/test/tools/pack/vellumo-pack" scripts/test-windows.sh
