#!/usr/bin/env bash
# The layer check: for every layer of build/layers/table.txt and every folder of src/ that holds
# headers, compiles a file that includes one of that folder's headers, with exactly the include
# folders the layer's own sources get. It must compile when the layer may see the folder and must
# fail (the header is not found) when the include runs up a layer or into a toolkit.
# Usage: cmake/check-layers.sh <c++ compiler> <build folder> <source folder>
set -uo pipefail
compiler="$1"
build="$2"
source="$3"
table="$build/layers/table.txt"
[ -f "$table" ] || { echo "no layer table: $table" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One header of every folder under src/ that has headers (ui/ alone lists its files).
mapfile -t folders < <(cd "$source/src" && find . -name '*.h' -printf '%h\n' | sed 's|^\./||' |
                       grep -v '^\.$' | sort -u)
checked=0
wrong=0
while read -r layer seen; do
    for folder in "${folders[@]}"; do
        header="$(cd "$source/src" && ls "$folder"/*.h | head -n 1)"
        expected=fail
        for item in $seen; do
            case "$header" in
            "$item" | "$item"/*) expected=pass ;;
            esac
        done
        printf '#include "%s"\nint main() { return 0; }\n' "$header" >"$work/probe.cpp"
        if "$compiler" -std=c++20 -fsyntax-only -I"$build/layers/$layer" -I"$build/generated" \
            "$work/probe.cpp" 2>"$work/errors.txt"; then
            got=pass
        else
            got=fail
        fi
        checked=$((checked + 1))
        if [ "$got" != "$expected" ]; then
            wrong=$((wrong + 1))
            echo "layer $layer including $header: expected to $expected, did $got"
            [ "$got" = fail ] && head -n 5 "$work/errors.txt"
        fi
    done
done <"$table"
echo "layers: $checked includes checked, $wrong wrong"
[ "$checked" -gt 0 ] && [ "$wrong" -eq 0 ]
