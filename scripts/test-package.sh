#!/usr/bin/env bash
# The Linux installation and package, end to end:
#   1. cmake --install into a staging folder; the staged tree moved elsewhere; the moved program,
#      started through its links in bin/, opens its window under Xvfb and, without a display,
#      writes its report, in which the product's files placed in the product's folder are found;
#      the desktop entry (with the window class docks match) and the AppStream metainfo validate.
#   2. The .deb (cmake --build ... --target package), checked with lintian (no errors or
#      warnings beyond the package's own reasoned overrides), installed with dpkg -i,
#      VellumoDiagnostic and vellumo-diagnostic from PATH writing a report without false alarms
#      when the product's files are in its folder, removed with dpkg -P (its maintainer scripts
#      too), and every file it brought gone again.
# As root the package goes onto this machine and off again; when the package is already installed
# here, when the product's folder exists here, or without root, it goes into a private dpkg root
# instead (same checks, nothing of the machine touched).
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
        remove_product_files "/usr/$product_dir"
        dpkg -P vellumo-diagnostic >/dev/null 2>&1
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

# The product's own folder, where the program is installed and the product keeps its files.
product_dir=lib/vellumo
add_product_files() { # add_product_files <product folder>: the master file and the icon files
    mkdir -p "$1/Icons" && printf 'master file' >"$1/master" &&
        printf 'BM' >"$1/Icons/kestroclr.bmp" && printf 'BM' >"$1/Icons/kestroclrsm.bmp"
}
remove_product_files() {
    rm -rf "$1/master" "$1/Icons"
}
# no_false_alarms <program> <product folder>: the report says where the program is and finds
# the product's files there; no line says a file of the product's folder is missing.
no_false_alarms() {
    local out folder="$2"
    out="$("${run_env[@]}" "$1" | tr -d '\r')" || return 1
    printf '%s\n' "$out"
    grep -qxF "AppPath: $folder/" <<<"$out" &&
        grep -qxF "Master file exists: $folder/master" <<<"$out" &&
        grep -qxF "Master file size: 11" <<<"$out" &&
        grep -qxF "File exists: $folder/Icons/kestroclr.bmp" <<<"$out" &&
        grep -qxF "File exists: $folder/Icons/kestroclrsm.bmp" <<<"$out" &&
        ! grep -F "doesn't exist: $folder/" <<<"$out"
}

# ---- 1. The installed tree, moved ----
cmake --install "$build" --prefix "$work/stage/usr" >/dev/null || exit 1
mv "$work/stage" "$work/moved"
moved="$work/moved/usr"
check "the moved tree's program writes its report headless" report_ok "$moved/bin/VellumoDiagnostic"
add_product_files "$moved/$product_dir" || exit 1
for name in VellumoDiagnostic vellumo-diagnostic; do
    check "the moved tree's $name finds the product's files in $product_dir" \
        no_false_alarms "$moved/bin/$name" "$moved/$product_dir"
done
remove_product_files "$moved/$product_dir"

window_opens() {
    local display=":$((200 + $$ % 100))"
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
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
desktop_entry_ok() {
    local entry="$moved/share/applications/com.kestrova.VellumoDiagnostic.desktop"
    desktop-file-validate "$entry" || return 1
    # Docks tie the window to its launcher by its class, which is the entry's id.
    grep -qxF "StartupWMClass=$(basename "$entry" .desktop)" "$entry"
}
check "the desktop entry validates and names the window's class" desktop_entry_ok
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
    ! grep -q '^[EW]: ' "$work/lintian.txt"
}
check "lintian finds no error or warning in $(basename "$deb")" lintian_clean

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' >"$work/files.txt"
# The product's folder of this machine is used only when nothing is in it yet.
if [ "$(id -u)" = 0 ] && ! dpkg-query -W -f='${Status}' vellumo-diagnostic 2>/dev/null |
    grep -q "install ok installed" && [ ! -e "/usr/$product_dir" ]; then
    root=""
    dpkg_cmd=(dpkg)
else
    # A private dpkg root: the package's dependencies are this machine's, so they are not checked.
    root="$work/root"
    mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
    touch "$root/var/lib/dpkg/status"
    # The maintainer scripts run ldconfig, which rebuilds this machine's library cache: no business
    # of a private root (and refused to an ordinary user, whose PATH may not even hold it). It is
    # replaced by one that does nothing.
    mkdir -p "$work/private-bin"
    printf '#!/bin/sh\nexit 0\n' >"$work/private-bin/ldconfig"
    chmod +x "$work/private-bin/ldconfig"
    dpkg_cmd=(env "PATH=$work/private-bin:$PATH" dpkg --root="$root" --force-not-root
              --force-bad-path --force-depends --force-script-chrootless --log=/dev/null)
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
add_product_files "$root/usr/$product_dir" || exit 1
on_path() { # on_path <command...>: with the installed package's bin/ first on PATH
    PATH="$root/usr/bin:$PATH" "$@"
}
for name in VellumoDiagnostic vellumo-diagnostic; do
    check "$name on PATH finds the product's files in /usr/$product_dir" \
        on_path no_false_alarms "$name" "$root/usr/$product_dir"
done
remove_product_files "$root/usr/$product_dir"
remove_ok() {
    "${dpkg_cmd[@]}" -P vellumo-diagnostic || return 1
    installed_here=0
    local left=0
    while read -r file; do
        if [ -e "$root$file" ]; then
            echo "left behind: $root$file"
            left=1
        fi
    done <"$work/files.txt"
    for folder in "/usr/$product_dir" /usr/share/doc/vellumo-diagnostic; do
        [ -e "$root$folder" ] && { echo "left behind: $root$folder"; left=1; }
    done
    [ "$left" = 0 ]
}
check "dpkg -P removes every file it installed" remove_ok

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
