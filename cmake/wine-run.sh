#!/usr/bin/env bash
# Runs a Windows program under Wine in a fresh Wine prefix of its own, removed afterwards; the
# cross-compiling emulator of the Windows build (ctest and test discovery call it).
#
#   wine-run.sh program.exe [args...]     run it; exit with its exit code
#   wine-run.sh --make-template DIR       boot a prefix once into DIR for the runs to copy
#
# Environment:
#   VELLUMO_WINE_TEMPLATE  a prefix made by --make-template: each run starts from a copy of it
#                          (a second instead of a boot of 10 to 20 seconds); without it each run
#                          boots a new prefix.
#   VELLUMO_WINE_XVFB=1    run under xvfb-run, for programs that open windows.
#   VELLUMO_WINE_KEEP=DIR  keep the run's prefix as DIR instead of removing it (debugging).
# Each prefix gets its own HOME, so the Windows user folders are plain folders inside the prefix
# and never links into the real home.
set -uo pipefail

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64
# Wine takes the Windows code page from the Unix locale: a fixed one (C.UTF-8 gives 1252, always
# present in the C library) keeps the tests independent of the machine's locale settings.
export LC_ALL=C.UTF-8
unset LANGUAGE

find_wine() {
    local candidate
    for candidate in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    echo "wine-run.sh: wine64 not found (install wine and wine64)" >&2
    return 1
}

find_wineserver() {
    local candidate
    for candidate in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver \
        "$(command -v wineserver 2>/dev/null)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}

WINE="$(find_wine)" || exit 127
WINESERVER="$(find_wineserver)" || WINESERVER=""

stop_server() {
    if [ -n "$WINESERVER" ]; then
        WINEPREFIX="$1" "$WINESERVER" -k >/dev/null 2>&1 || true
        WINEPREFIX="$1" "$WINESERVER" -w >/dev/null 2>&1 || true
    fi
}

# Boots a new prefix in $1 with its home in $2; the user folders become plain folders.
boot_prefix() {
    local prefix="$1" home="$2"
    mkdir -p "$prefix" "$home"
    WINEPREFIX="$prefix" HOME="$home" "$WINE" wineboot --init >/dev/null 2>&1
    stop_server "$prefix"
    local link
    for link in "$prefix"/drive_c/users/*/*; do
        if [ -L "$link" ]; then
            rm -f "$link"
            mkdir -p "$link"
        fi
    done
}

if [ "${1:-}" = "--make-template" ]; then
    template="${2:?usage: wine-run.sh --make-template DIR}"
    rm -rf "$template" "$template.tmp"
    boot_prefix "$template.tmp/prefix" "$template.tmp/home" || exit 1
    if [ ! -f "$template.tmp/prefix/system.reg" ]; then
        echo "wine-run.sh: wineboot did not create a prefix" >&2
        exit 1
    fi
    mv "$template.tmp" "$template"
    exit 0
fi

if [ "$#" -lt 1 ]; then
    echo "usage: wine-run.sh program.exe [args...]" >&2
    exit 2
fi

run_dir="$(mktemp -d "${TMPDIR:-/tmp}/vellumo-wine-XXXXXX")"
prefix="$run_dir/prefix"
home="$run_dir/home"
cleanup() {
    stop_server "$prefix"
    if [ -n "${VELLUMO_WINE_KEEP:-}" ]; then
        rm -rf "$VELLUMO_WINE_KEEP"
        mv "$run_dir" "$VELLUMO_WINE_KEEP"
    else
        rm -rf "$run_dir"
    fi
}
trap cleanup EXIT

template="${VELLUMO_WINE_TEMPLATE:-}"
if [ -n "$template" ] && [ -f "$template/prefix/system.reg" ]; then
    # Hard links for the read-only bulk; the registry files are copied (the server replaces
    # them by renaming, but a copy keeps the template safe whatever it does).
    cp -al "$template/prefix" "$prefix" && cp -a "$template/home" "$home" || exit 1
    for reg in "$prefix"/*.reg; do
        cp --remove-destination "$template/prefix/$(basename "$reg")" "$reg"
    done
else
    boot_prefix "$prefix" "$home" || exit 1
fi

export WINEPREFIX="$prefix" HOME="$home"
if [ "${VELLUMO_WINE_XVFB:-0}" = "1" ]; then
    # Xvfb has no window manager: Wine draws the window frames itself, as Windows does.
    printf '\n[Software\\\\Wine\\\\X11 Driver] 1700000000\n"Managed"="N"\n' >>"$prefix/user.reg"
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$WINE" "$@"
else
    "$WINE" "$@"
fi
status=$?
exit "$status"
