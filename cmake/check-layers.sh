#!/usr/bin/env bash
# The layer check: for every include view of build/layers/table.txt (a layer, a toolkit or a
# program) and every folder of src/ that holds headers, preprocesses a file that includes one of
# that folder's headers, with exactly the include folders the view's own sources get. The header
# must be found when the view may see the folder, and must not be found when the include runs up
# a layer or into another toolkit. (Only the header itself counts: what it includes in turn, Qt's
# headers say, is not this check's business.) No source may include with "../".
# Usage: cmake/check-layers.sh <c++ compiler> <build folder> <source folder>
set -uo pipefail
compiler="$1"
build="$2"
source="$3"
table="$build/layers/table.txt"
[ -f "$table" ] || { echo "no layer table: $table" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One header of every folder under src/ that has headers, whenever the folder was added.
mapfile -t folders < <(cd "$source/src" && find . -name '*.h' -printf '%h\n' | sed 's|^\./||' |
                       grep -v '^\.$' | sort -u)
checked=0
refused=0
wrong=0
while read -r view seen; do
    for folder in "${folders[@]}"; do
        header="$(cd "$source/src" && ls "$folder"/*.h | head -n 1)"
        expected=fail
        for item in $seen; do
            case "$header" in
            "$item" | "$item"/*) expected=pass ;;
            esac
        done
        printf '#include "%s"\n' "$header" >"$work/probe.cpp"
        "$compiler" -std=c++20 -E -o /dev/null -I"$build/layers/$view" -I"$build/generated" \
            "$work/probe.cpp" 2>"$work/errors.txt"
        if grep -q "$header: No such file" "$work/errors.txt"; then
            got=fail
        else
            got=pass
        fi
        checked=$((checked + 1))
        [ "$got" = fail ] && refused=$((refused + 1))
        if [ "$got" != "$expected" ]; then
            wrong=$((wrong + 1))
            echo "$view including $header: expected to $expected, did $got"
        fi
    done
done <"$table"
# A relative include that climbs out of its folder ("../diagnostic/x.h") is found next to the
# including file, whatever the view: no source may use one.
while IFS= read -r escaping; do
    wrong=$((wrong + 1))
    echo "an include that climbs out of its folder: src/${escaping#./}"
done < <(cd "$source/src" && grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*/)?\.\./' \
             --include='*.cpp' --include='*.h' --include='*.def' .)
echo "layers: $checked includes checked ($refused refused as they should be), $wrong wrong"
[ "$checked" -gt 0 ] && [ "$refused" -gt 0 ] && [ "$wrong" -eq 0 ]
