#!/usr/bin/env bash
# The Linux installation and package, end to end:
#   1. cmake --install into a staging folder; the staged tree moved elsewhere; the moved program
#      opens its window under Xvfb and, without a display, writes its report; the desktop entry
#      and the AppStream metainfo validate.
#   2. The .deb (cmake --build ... --target package), checked with lintian (no errors), installed
#      with dpkg -i, VellumoDiagnostic from PATH writing its report, removed with dpkg -r, and
#      every file it brought gone again.
# As root the package goes onto this machine and off again; when the package is already installed
# here, or without root, it goes into a private dpkg root instead (same checks, nothing of the
# machine touched).
# Needs what scripts/install-deps.sh installs for "test"; builds build/test when needed.
# Usage: scripts/test-package.sh [build folder]
set -uo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/test}"
work="$(mktemp -d)"
xvfb_pid=""
installed_here=0
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    if [ "$installed_here" = 1 ]; then
        dpkg -r vellumo-diagnostic >/dev/null 2>&1
    fi
    rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
check() { # check <description> <command...>
    local what="$1"
    shift
    if "$@" >"$work/check.log" 2>&1; then
        echo "package: ok: $what"
        passed=$((passed + 1))
    else
        echo "package: FAILED: $what"
        sed 's/^/    /' "$work/check.log" | tail -n 20
        failed=$((failed + 1))
    fi
}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" -j"$(nproc)" --target VellumoDiagnostic vellumo-reg vellumo-pack \
    vellumo-gui vellumo-clipboard-keeper vellumo_packaging_files || exit 1

# A private home for every run of the program.
run_env=(env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CONFIG_HOME -u XDG_DATA_HOME
         -u XDG_DOCUMENTS_DIR HOME="$work/home" LC_ALL=C.UTF-8)
mkdir -p "$work/home"

report_ok() { # report_ok <program>: the headless report, whole
    local out
    out="$("${run_env[@]}" "$1")" || return 1
    [[ "$out" == "OS: "* ]] && [[ "$out" == *"Can create file in DataPath: "* ]]
}

# ---- 1. The installed tree, moved ----
cmake --install "$build" --prefix "$work/stage/usr" >/dev/null || exit 1
mv "$work/stage" "$work/moved"
moved="$work/moved/usr"
check "the moved tree's program writes its report headless" report_ok "$moved/bin/VellumoDiagnostic"

window_opens() {
    local display=":$((200 + $$ % 100))"
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        DISPLAY="$display" xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    "${run_env[@]}" DISPLAY="$display" QT_QPA_PLATFORM=xcb "$moved/bin/VellumoDiagnostic" \
        >"$work/window.log" 2>&1 &
    local program=$!
    local window
    window="$(DISPLAY="$display" timeout 20 xdotool search --sync --onlyvisible \
        --name '^Vellumo Diagnostic$' | head -n 1)"
    if [ -n "$window" ]; then
        # Exit sits at (5670, 300) twips, 2235 x 435, in a client area of 8130 x 8715 twips.
        eval "$(DISPLAY="$display" xdotool getwindowgeometry --shell "$window")"
        DISPLAY="$display" xdotool mousemove --window "$window" \
            $(((5670 + 2235 / 2) * WIDTH / 8130)) $(((300 + 435 / 2) * HEIGHT / 8715)) click 1
    fi
    local status=1
    for _ in $(seq 100); do
        if ! kill -0 "$program" 2>/dev/null; then
            wait "$program"
            status=$?
            break
        fi
        sleep 0.1
    done
    kill "$program" 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
    cat "$work/window.log"
    [ -n "$window" ] && [ "$status" = 0 ]
}
check "the moved tree's program opens its window under Xvfb" window_opens
check "the desktop entry validates" desktop-file-validate \
    "$moved/share/applications/com.kestrova.VellumoDiagnostic.desktop"
check "the AppStream metainfo validates" appstreamcli validate --no-net \
    "$moved/share/metainfo/com.kestrova.VellumoDiagnostic.metainfo.xml"
man_pages_ok() {
    for page in "$moved"/share/man/man1/*.1.gz; do
        LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" \
            2>&1 >/dev/null | grep . && return 1
    done
    return 0
}
check "the manual pages format without warnings" man_pages_ok

# ---- 2. The Debian package ----
rm -rf "$build/package"
cmake --build "$build" --target package >/dev/null || exit 1
deb="$(ls "$build"/package/vellumo-diagnostic_*.deb)"
lintian_clean() {
    lintian --tag-display-limit 0 "$deb" | tee "$work/lintian.txt"
    ! grep -q '^E: ' "$work/lintian.txt"
}
check "lintian finds no error in $(basename "$deb")" lintian_clean

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' >"$work/files.txt"
if [ "$(id -u)" = 0 ] && ! dpkg-query -W -f='${Status}' vellumo-diagnostic 2>/dev/null |
    grep -q "install ok installed"; then
    root=""
    dpkg_cmd=(dpkg)
else
    # A private dpkg root: the package's dependencies are this machine's, so they are not checked.
    root="$work/root"
    mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
    touch "$root/var/lib/dpkg/status"
    dpkg_cmd=(dpkg --root="$root" --force-not-root --force-bad-path --force-depends
              --force-script-chrootless --log=/dev/null)
fi
install_ok() {
    "${dpkg_cmd[@]}" -i "$deb" || return 1
    [ -z "$root" ] && installed_here=1
    return 0
}
check "dpkg -i installs the package" install_ok
report_from_path() {
    PATH="$root/usr/bin:$PATH" report_ok VellumoDiagnostic &&
        [ "$(PATH="$root/usr/bin:$PATH" command -v VellumoDiagnostic)" = "$root/usr/bin/VellumoDiagnostic" ]
}
check "VellumoDiagnostic on PATH writes its report headless" report_from_path
remove_ok() {
    "${dpkg_cmd[@]}" -r vellumo-diagnostic || return 1
    installed_here=0
    local left=0
    while read -r file; do
        if [ -e "$root$file" ]; then
            echo "left behind: $root$file"
            left=1
        fi
    done <"$work/files.txt"
    for folder in /usr/lib/x86_64-linux-gnu/vellumo-diagnostic /usr/libexec/vellumo-diagnostic \
        /usr/share/doc/vellumo-diagnostic; do
        [ -e "$root$folder" ] && { echo "left behind: $root$folder"; left=1; }
    done
    [ "$left" = 0 ]
}
check "dpkg -r removes every file it installed" remove_ok

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
