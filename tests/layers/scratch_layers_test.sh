#!/usr/bin/env bash
# The layers hold for files and folders added later: in a scratch copy of the tree, a source added
# to any layer that includes a header of a folder the layer may not see does not build, a folder of sources
# that no target claims stops the configuration, and a new layer sees only what it is given.
# Usage: tests/layers/scratch_layers_test.sh <source folder>
set -uo pipefail
source="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

cp -r "$source/CMakeLists.txt" "$source/src" "$source/tools" "$source/cmake" "$source/packaging" \
    "$scratch/"
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

configure() {
    cmake -S "$scratch" -B "$scratch/build" -G "Unix Makefiles" -DVELLUMO_WITH_QT=OFF \
        -DVELLUMO_BUILD_TESTS=OFF >"$scratch/configure.log" 2>&1
}

# Compiles one source of src/ on its own, as its target compiles it.
compile() {
    make -C "$scratch/build/src" "${1%.cpp}.o" >"$scratch/build.log" 2>&1
}

# A header of the folder, relative to src/.
header_of() {
    (cd "$scratch/src" && ls "$1"/*.h | head -n 1)
}

# 1. A file added to any layer's folder that includes a header of a folder the layer may not see
#    does not build. The layers are those of the build's own table, whenever they were added.
configure || { cat "$scratch/configure.log"; exit 1; }
mapfile -t header_folders < <(cd "$scratch/src" && find . -name '*.h' -printf '%h\n' |
                              sed 's|^\./||' | grep -v '^\.$' | sort -u)
layers=0
while read -r layer seen; do
    [ -d "$scratch/src/$layer" ] || continue # a toolkit's or program's view, not a layer folder
    above=""
    for folder in "${header_folders[@]}"; do
        visible=no
        for item in $seen; do
            case "$folder" in "$item" | "$item"/*) visible=yes ;; esac
        done
        if [ "$visible" = no ]; then
            above="$folder"
            break
        fi
    done
    [ -n "$above" ] || continue
    layers=$((layers + 1))
    probe="$scratch/src/$layer/ScratchUpward.cpp"
    header="$(header_of "$above")"
    printf '#include "%s"\n' "$header" >"$probe"
    configure || fail "configure with $probe"
    if compile "$layer/ScratchUpward.cpp"; then
        fail "layer $layer built with an include of $header"
    elif ! grep -q "$header: No such file" "$scratch/build.log"; then
        fail "layer $layer failed for another reason than the include of $header"
        tail -n 20 "$scratch/build.log"
    fi
    rm "$probe"
done <"$scratch/build/layers/table.txt"
[ "$layers" -ge 7 ] || fail "only $layers layers were tried"

# 2. Sources in a folder that no target builds stop the configuration, by name.
for loose in src/extra/Extra.cpp src/ui/Loose.cpp src/Loose.cpp src/library/qt/Dialog.cpp; do
    mkdir -p "$(dirname "$scratch/$loose")"
    echo 'int ScratchLoose() { return 0; }' >"$scratch/$loose"
    if configure; then
        fail "configured with $loose, which no target builds"
    elif ! grep -q "No target builds $loose" "$scratch/configure.log"; then
        fail "the configuration did not name $loose"
        tail -n 20 "$scratch/configure.log"
    fi
    rm "$scratch/$loose"
done

# 3. A layer added later, made the way every layer is made, sees only what it is given.
mkdir -p "$scratch/src/extra"
printf '#pragma once\n' >"$scratch/src/extra/Extra.h"
printf '#include "extra/Extra.h"\n#include "platform/Text.h"\n#include "%s"\n' \
    "$(header_of diagnostic)" >"$scratch/src/extra/Extra.cpp"
sed -i '/^# Every folder that holds sources must be built/i \
vellumo_layer(extra FOLDERS extra SEES platform extra LINKS vellumo_platform)' \
    "$scratch/src/CMakeLists.txt"
configure || fail "configure with a new layer"
if compile extra/Extra.cpp; then
    fail "the new layer built with an include of a layer it was not given"
elif ! grep -q "$(header_of diagnostic): No such file" "$scratch/build.log"; then
    fail "the new layer failed for another reason"
    tail -n 20 "$scratch/build.log"
fi
# ...and the layer check sees its view too.
if "$source/cmake/check-layers.sh" c++ "$scratch/build" "$scratch" >"$scratch/check.log"; then
    grep -q "^extra " "$scratch/build/layers/table.txt" || fail "the new layer is not in the table"
else
    fail "the layer check with a new layer"
    cat "$scratch/check.log"
fi

[ "$failures" -eq 0 ] && echo "scratch layers: all held"
[ "$failures" -eq 0 ]
