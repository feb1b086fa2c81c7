#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and runs it. Without a display it writes
# the report to standard output.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DVELLUMO_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target VellumoDiagnostic vellumo-reg -j"$(nproc)"
exec build/release/src/VellumoDiagnostic "$@"
