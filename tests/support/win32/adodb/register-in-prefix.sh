#!/usr/bin/env bash
# Registers (or with -u unregisters) an in-process COM server DLL in a Wine prefix, silently.
#
#   register-in-prefix.sh [-u] PREFIX DLL
#
# PREFIX is an existing 64-bit Wine prefix; DLL a path on this machine, reached in Wine through
# drive Z: (the file-system root). The exit status is regsvr32's: 0 done, 3 the DLL cannot be
# loaded, 4 it has no DllRegisterServer/DllUnregisterServer, 5 the call failed. The script waits
# until Wine has written the registry into the prefix's .reg files, so a copy of the prefix made
# afterwards holds the registration. HOME is left as the caller sets it.
set -uo pipefail

unregister=()
if [ "${1:-}" = "-u" ]; then
    unregister=(/u)
    shift
fi
if [ "$#" -ne 2 ]; then
    echo "usage: register-in-prefix.sh [-u] PREFIX DLL" >&2
    exit 2
fi
prefix="$1"
dll="$2"
if [ ! -f "$prefix/system.reg" ]; then
    echo "register-in-prefix.sh: $prefix is not a booted Wine prefix" >&2
    exit 2
fi
if [ ! -f "$dll" ]; then
    echo "register-in-prefix.sh: $dll not found" >&2
    exit 2
fi

wine=""
for candidate in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
        wine="$candidate"
        break
    fi
done
if [ -z "$wine" ]; then
    echo "register-in-prefix.sh: wine64 not found (install wine and wine64)" >&2
    exit 127
fi
wineserver=""
for candidate in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver "$(command -v wineserver 2>/dev/null)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
        wineserver="$candidate"
        break
    fi
done

# Z: is the root in every prefix wineboot makes: /a/b.dll is Z:\a\b.dll.
absolute="$(realpath "$dll")"
windows_path="Z:${absolute//\//\\}"

export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# regsvr32 opens no window: no display, so Wine never tries to reach one.
export DISPLAY="" WAYLAND_DISPLAY=""

"$wine" regsvr32 /s "${unregister[@]}" "$windows_path"
status=$?
if [ -n "$wineserver" ]; then
    "$wineserver" -w >/dev/null 2>&1 || true
fi
exit "$status"
