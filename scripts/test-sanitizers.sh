#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer and runs it,
# then runs vellumo-reg and the headless program under valgrind memcheck (docs/reliability.md).
# Needs what scripts/install-deps.sh installs for "test" plus valgrind; installs nothing itself.
# Usage: scripts/test-sanitizers.sh [asan|valgrind|all] [ctest arguments...]
#   BUILD_DIR   the sanitizer build folder (default build/asan)
#   JOBS        parallel build jobs (default: the number of cores)
set -euo pipefail
cd "$(dirname "$0")/.."

what="${1:-all}"
[ $# -gt 0 ] && shift
build="${BUILD_DIR:-build/asan}"
jobs="${JOBS:-$(nproc)}"
root="$(pwd)"

run_asan() {
    # -fno-sanitize-recover: the first finding ends the test with a failure instead of a line in
    # the output that nobody reads. The frame pointer gives readable stacks. GCC's
    # maybe-uninitialized analysis misreads the sanitizers' instrumentation of libstdc++
    # (std::function inside std::regex), so that one warning is off in this build only.
    # -O1 with line tables only keeps this second build of the whole suite quick while the stacks
    # still name files and lines.
    local flags="-O1 -g1 -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE= -DVELLUMO_BUILD_TESTS=ON \
        "-DCMAKE_CXX_FLAGS=$flags -Wno-maybe-uninitialized" "-DCMAKE_C_FLAGS=$flags" \
        "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
    cmake --build "$build" -j"$jobs"

    # Leak checking stays on for everything; the suppressions cover only allocations that Qt and
    # fontconfig make once per process and keep until exit (scripts/lsan-suppressions.txt).
    # Child processes (the program and the tools that the integration tests start) inherit these.
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1"
    export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ctest --test-dir "$build" --output-on-failure -j"$jobs" "$@"
}

# The registry store and the report path under memcheck: vellumo-reg writing and reading the
# store, and two headless runs of the program (the first migrates the settings, the second reads
# them back), each in a private HOME. Uses the ordinary build of scripts/test.sh when there is
# one (VALGRIND_BUILD_DIR), otherwise makes one.
run_valgrind() {
    local plain="${VALGRIND_BUILD_DIR:-build/test}"
    if [ ! -x "$plain/src/VellumoDiagnostic" ] || [ ! -x "$plain/tools/reg/vellumo-reg" ]; then
        cmake -S . -B "$plain" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMO_BUILD_TESTS=ON >/dev/null
        cmake --build "$plain" -j"$jobs" --target VellumoDiagnostic vellumo-reg
    fi
    local home
    home="$(mktemp -d)"
    trap 'rm -rf "$home"' RETURN
    mkdir -p "$home/.config" "$home/.local/share/Vellumo Data/Config" "$home/Documents" "$home/app"
    cp "$plain/src/VellumoDiagnostic" "$home/app/"
    printf 'FontName_Tree,Tahoma\r\nFontSize_Tree,9.5\r\nAutoSave,0\r\n\r\n' \
        >"$home/.local/share/Vellumo Data/Config/options.ini"
    printf 'MaxCount,6\r\nCount,1\r\nFile1,%s\r\n\r\n' "$home/app/VellumoDiagnostic" \
        >"$home/.local/share/Vellumo Data/Config/mru.ini"

    local memcheck=(valgrind --tool=memcheck --error-exitcode=1 --leak-check=full
                    --errors-for-leak-kinds=definite --track-origins=yes --quiet)
    local reg="$plain/tools/reg/vellumo-reg"
    local key='HKCU\Software\Kestrova\Vellumo\Debug'
    local failed=0
    run() {
        echo "valgrind: $*"
        if ! env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
            XDG_DATA_HOME="$home/.local/share" XDG_DOCUMENTS_DIR="$home/Documents" LC_ALL=C.UTF-8 \
            "${memcheck[@]}" "$@" >"$home/out.txt" 2>&1; then
            cat "$home/out.txt"
            failed=1
        fi
    }
    run "$reg" add "$key" /v On /t REG_DWORD /d 1 /f
    run "$reg" add "$key" /v Note /t REG_BINARY /d 00ff10 /f
    run "$reg" query 'HKCU\Software' /s
    run "$home/app/VellumoDiagnostic"
    run "$home/app/VellumoDiagnostic"
    run "$reg" export 'HKCU\Software\Kestrova' "$home/kestrova.reg" /y
    run "$reg" delete 'HKCU\Software\Kestrova' /f
    run "$reg" import "$home/kestrova.reg"
    if [ "$failed" -ne 0 ]; then
        echo "valgrind: 0 passed, 1 failed"
        return 1
    fi
    echo "valgrind: 8 passed, 0 failed"
}

case "$what" in
asan) run_asan "$@" ;;
valgrind) run_valgrind ;;
all) run_asan "$@" && run_valgrind ;;
*) echo "usage: $0 [asan|valgrind|all] [ctest arguments...]" >&2; exit 2 ;;
esac
