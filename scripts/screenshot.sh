#!/usr/bin/env bash
# Screenshots of the diagnostic window under Xvfb with a window manager (openbox), title bar and
# icon included: docs/window.png at scale 1 and docs/window-2x.png at scale 2 (QT_SCALE_FACTOR),
# each on a screen large enough for the whole form. Needs a build in build/test (or the program's
# path as $1) and what scripts/install-deps.sh installs for "test".
set -euo pipefail
cd "$(dirname "$0")/.."
program="${1:-build/test/src/VellumoDiagnostic}"
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/.config" "$work/.local/share" "$work/Documents" "$work/app"
# The program with its companions beside it, as installed.
for file in VellumoDiagnostic libvellumo-gui.so vellumo-clipboard-keeper; do
    cp "$(dirname "$program")/$file" "$work/app/"
done

# shoot <screen size> <scale> <output>
shoot() {
    local ready="$work/display" display
    # Xvfb picks a free display and names it once it accepts clients.
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$ready" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$ready" ] && break; sleep 0.1; done
    display=":$(head -n 1 "$ready")"
    rm -f "$ready"
    DISPLAY="$display" openbox --sm-disable >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        DISPLAY="$display" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" &&
            break
        sleep 0.1
    done
    env DISPLAY="$display" HOME="$work" XDG_CONFIG_HOME="$work/.config" \
        XDG_DATA_HOME="$work/.local/share" XDG_DOCUMENTS_DIR="$work/Documents" \
        QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$2" "$work/app/VellumoDiagnostic" >/dev/null 2>&1 &
    local app=$!
    pids+=($app)
    local window
    window="$(DISPLAY="$display" timeout 20 xdotool search --sync --onlyvisible \
        --name '^Vellumo Diagnostic$' | head -n 1)"
    sleep 1
    # The frame: the window's client area (xwininfo's absolute place) and the extents the window
    # manager added.
    local x y width height left right top bottom
    read -r x y width height < <(DISPLAY="$display" xwininfo -id "$window" |
        sed -n 's/^ *\(Absolute upper-left [XY]\|Width\|Height\): *//p' | paste -sd ' ')
    read -r left right top bottom < <(DISPLAY="$display" xprop -id "$window" _NET_FRAME_EXTENTS |
        sed 's/.*= //; s/,//g')
    DISPLAY="$display" import -window root \
        -crop "$((width + left + right))x$((height + top + bottom))+$((x - left))+$((y - top))" \
        +repage "$3"
    kill "$app"
    echo "$3 written"
}
shoot 1280x1024 1 docs/window.png
shoot 2560x1600 2 docs/window-2x.png
