#!/bin/sh
# Renders the application icon's PNG sizes and the Windows .ico from the scalable icon.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
svg="$here/hicolor/scalable/apps/vellumo-diagnostic.svg"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "$here/hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$svg" -o "$here/hicolor/${size}x${size}/apps/vellumo-diagnostic.png"
done
# The .ico takes the 16, 32, 48 and 256 pixel renderings as they are (no resampling by convert).
convert "$here/hicolor/16x16/apps/vellumo-diagnostic.png" \
    "$here/hicolor/32x32/apps/vellumo-diagnostic.png" \
    "$here/hicolor/48x48/apps/vellumo-diagnostic.png" \
    "$here/hicolor/256x256/apps/vellumo-diagnostic.png" \
    "$here/vellumo-diagnostic.ico"
