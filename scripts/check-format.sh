#!/usr/bin/env bash
# The format check: every C++ file of the repository as the repository's .clang-format writes it.
# Lists the files that differ; exit status 1 when there is one. clang-format -i <file> fixes one.
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null ||
                     find src tests tools fuzz bench -name '*.cpp' -o -name '*.h')
# The formatting is that of clang-format 14, the version Debian 12 ships; a newer one may lay out
# some constructs differently, so version 14 is used wherever it is installed.
format="$(command -v clang-format-14 || command -v clang-format)"
differ=0
for file in "${files[@]}"; do
    if ! "$format" --dry-run --Werror "$file" >/dev/null 2>&1; then
        echo "not formatted: $file"
        differ=$((differ + 1))
    fi
done
echo "format: ${#files[@]} files checked, $differ not formatted"
[ "$differ" -eq 0 ]
