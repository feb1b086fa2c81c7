#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole suite: the format check, the Linux
# tests (the layer check among them), the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, valgrind on the registry store and the report path, a short run of
# every fuzz target, and the Windows build under Wine.
# Every stage runs even when an earlier one failed; a summary line per stage (passed or failed,
# seconds) and a final count close the output. The exit status is 0 only when every stage passed.
# Arguments are passed to the Linux stage's ctest (for example -R Registry).
set -uo pipefail
cd "$(dirname "$0")/.."

stage_names=()
stage_results=()
stage_seconds=()

# Runs one stage (a function), recording its result and duration.
stage() {
    local name="$1"
    shift
    echo
    echo "== $name"
    local start=$SECONDS
    local result=passed
    # A subshell with errexit: the stage stops at its first failing command. (Not inside an "if",
    # where bash would ignore errexit.)
    ( set -e; "$@" )
    [ $? -eq 0 ] || result=failed
    stage_names+=("$name")
    stage_results+=("$result")
    stage_seconds+=($((SECONDS - start)))
    echo "== $name: $result ($((SECONDS - start)) s)"
}

dependencies() {
    scripts/install-deps.sh test
}

format_check() {
    scripts/check-format.sh
}

linux_tests() {
    cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMO_BUILD_TESTS=ON >/dev/null
    cmake --build build/test -j"$(nproc)"
    ctest --test-dir build/test --output-on-failure -j"$(nproc)" "$@"
}

sanitizers() {
    scripts/test-sanitizers.sh asan
}

valgrind_runs() {
    VALGRIND_BUILD_DIR=build/test scripts/test-sanitizers.sh valgrind
}

linux_package() {
    scripts/test-package.sh build/test
}

fuzz_smoke() {
    scripts/fuzz-smoke.sh
}

windows_tests() {
    VELLUMO_LINUX_PACK="$PWD/build/test/tools/pack/vellumo-pack" scripts/test-windows.sh
}

stage "dependencies" dependencies
stage "format" format_check
stage "linux tests" linux_tests "$@"
stage "linux package" linux_package
stage "sanitizers (ASan, UBSan)" sanitizers
stage "valgrind" valgrind_runs
stage "fuzz smoke run" fuzz_smoke
stage "windows tests (Wine)" windows_tests

echo
echo "== Summary"
passed=0
failed=0
for i in "${!stage_names[@]}"; do
    printf '%-28s %-7s %5d s\n' "${stage_names[$i]}" "${stage_results[$i]}" "${stage_seconds[$i]}"
    if [ "${stage_results[$i]}" = passed ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
