#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each one for a short while on a copy
# of its seed corpus (docs/reliability.md). A crash, a sanitizer finding, a leak or a timeout
# fails the run; the input that caused it is kept in the artifacts folder.
# Needs clang and its sanitizer runtime (libclang-rt-N-dev of the same version); installs nothing
# itself.
# Usage: scripts/fuzz-smoke.sh [target...]      (default: every fuzz/*_fuzz.cpp)
#   FUZZ_SECONDS   seconds per target (default 20; 600 for a long run)
#   FUZZ_CORPUS    a folder that keeps each target's grown corpus between runs (default: a
#                  temporary copy of fuzz/corpus, thrown away)
#   BUILD_DIR      the build folder (default build/fuzz); JOBS build jobs (default: cores)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-20}"
build="${BUILD_DIR:-build/fuzz}"
jobs="${JOBS:-$(nproc)}"
artifacts="$(realpath -m "$build")/artifacts"

targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
    for src in fuzz/*_fuzz.cpp; do
        targets+=("$(basename "$src" .cpp)")
    done
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DVELLUMO_BUILD_FUZZERS=ON -DVELLUMO_WITH_QT=OFF \
    -DVELLUMO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$artifacts"
passed=0
failed=0
for t in "${targets[@]}"; do
    if [ -n "${FUZZ_CORPUS:-}" ]; then
        corpus="$(realpath -m "$FUZZ_CORPUS")/$t"
    else
        corpus="$work/$t"
    fi
    mkdir -p "$corpus"
    if [ -d "fuzz/corpus/$t" ]; then
        cp -n "fuzz/corpus/$t/"* "$corpus/" 2>/dev/null || true
    fi
    # Absolute paths throughout: some targets work in a private current folder. Standard output
    # and error of the code under test are closed (libFuzzer keeps its own report channel).
    log="$work/$t.log"
    if nice -n 10 "$build/fuzz/$t" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
        -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$artifacts/$t-" "$corpus" \
        >"$log" 2>&1; then
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
        speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
        echo "fuzz: $t: ok, $runs runs, $speed per second"
        passed=$((passed + 1))
    else
        echo "fuzz: $t: FAILED (artifacts in $artifacts)"
        tail -n 60 "$log"
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
