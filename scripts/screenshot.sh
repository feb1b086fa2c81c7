#!/usr/bin/env bash
# Takes a screenshot of the diagnostic window under Xvfb into docs/window.png (needs a build in
# build/test or the path given as $1).
set -euo pipefail
cd "$(dirname "$0")/.."
program="${1:-build/test/src/VellumoDiagnostic}"
home="$(mktemp -d)"
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$home"' EXIT
mkdir -p "$home/.config" "$home/.local/share" "$home/Documents" "$home/app"
cp "$program" "$home/app/VellumoDiagnostic"
cp "$(dirname "$program")/libvellumo-gui.so" "$home/app/"
display=":$((100 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
xvfb_pid=$!
sleep 1
export DISPLAY="$display" HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_DOCUMENTS_DIR="$home/Documents" QT_QPA_PLATFORM=xcb
"$home/app/VellumoDiagnostic" &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vellumo Diagnostic$' | head -1)
sleep 1
import -window "$window" docs/window.png
kill "$app_pid"
echo "docs/window.png written"
