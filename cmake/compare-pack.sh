#!/usr/bin/env bash
# Checks that vellumo-pack.exe under Wine writes the same bytes as the Linux vellumo-pack for the
# same inputs: packing, unpacking and enciphering files of several sizes and kinds; and that it
# keeps an existing output when it fails, takes names byte for byte (a leading space, "--", an
# input after "--") and names the file and the error number when it cannot read one. The
# Windows runs share one Wine prefix (one batch file).
#   compare-pack.sh LINUX_VELLUMO_PACK WINDOWS_VELLUMO_PACK_EXE
set -euo pipefail

linux_pack="$1"
windows_pack="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/vellumo-pack-compare-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Inputs: empty, one byte, the sizes around the packer's window and match limits, random and
# repetitive data, a CR LF text with code-page bytes.
mkdir -p "$work/in" "$work/linux" "$work/windows"
: >"$work/in/empty.bin"
printf 'x' >"$work/in/one.bin"
for size in 17 18 19 4095 4096 4097 300000; do
    head -c "$size" /dev/urandom >"$work/in/random-$size.bin"
    # yes ends on a broken pipe once head has enough.
    (yes "support staff unpack the customer's file" || true) | head -c "$size" \
        >"$work/in/repetitive-$size.bin"
done
printf 'FontName_Tree,Tahoma\r\nDataPath,C:\\Vellumo Data\\\r\nName,J\xfcrgen \x80\r\n\r\n' \
    >"$work/in/options.ini"
printf 'correct horse battery\n' >"$work/password.txt"

windows_path() { # a Linux path as Wine's drive Z: shows it
    printf 'Z:%s' "${1//\//\\}"
}

batch="$work/run.bat"
printf '@echo off\r\n' >"$batch"
for input in "$work"/in/*; do
    name="$(basename "$input")"
    "$linux_pack" --compress "$input" --out "$work/linux/$name.lz"
    "$linux_pack" --decompress "$work/linux/$name.lz" --out "$work/linux/$name.unpacked"
    "$linux_pack" --encipher "$input" --out "$work/linux/$name.enc" --password-file "$work/password.txt"
    exe="$(windows_path "$windows_pack")"
    in="$(windows_path "$input")"
    out="$(windows_path "$work/windows/$name")"
    pw="$(windows_path "$work/password.txt")"
    lz="$(windows_path "$work/linux/$name.lz")"
    printf '"%s" --compress %s --out %s.lz\r\n' "$exe" "$in" "$out" >>"$batch"
    # The Windows tool unpacks what the Linux tool packed.
    printf '"%s" --decompress %s --out %s.unpacked\r\n' "$exe" "$lz" "$out" >>"$batch"
    printf '"%s" --encipher %s --out %s.enc --password-file %s\r\n' "$exe" "$in" "$out" "$pw" \
        >>"$batch"
done

# What the tool does beyond the bytes: a failed unpack keeps keep.txt; " lead--name.lz" is named
# as given; a missing input is named in the message.
printf 'kept' >"$work/windows/keep.txt"
exe="$(windows_path "$windows_pack")"
printf '"%s" --decompress %s --out %s\r\n' "$exe" "$(windows_path "$work/in/options.ini")" \
    "$(windows_path "$work/windows/keep.txt")" >>"$batch"
printf 'cd /d %s\r\n"%s" --compress --out " lead--name.lz" -- %s\r\n' \
    "$(windows_path "$work/windows")" "$exe" "$(windows_path "$work/in/repetitive-4097.bin")" \
    >>"$batch"
printf '"%s" --decompress %s --out %s 2>%s\r\n' "$exe" "$(windows_path "$work/in/missing.lz")" \
    "$(windows_path "$work/windows/never")" "$(windows_path "$work/windows/missing.txt")" >>"$batch"

"$here/wine-run.sh" cmd /c "$(windows_path "$batch")" >"$work/wine.log" 2>&1 || true

failures=0
count=0
for input in "$work"/in/*; do
    name="$(basename "$input")"
    for result in "$name.lz" "$name.enc" "$name.unpacked"; do
        count=$((count + 1))
        if ! cmp -s "$work/linux/$result" "$work/windows/$result"; then
            echo "differs: $result" >&2
            failures=$((failures + 1))
        fi
    done
    if ! cmp -s "$input" "$work/windows/$name.unpacked"; then
        echo "not unpacked to the original: $name" >&2
        failures=$((failures + 1))
    fi
done
if [ "$(cat "$work/windows/keep.txt")" != "kept" ]; then
    echo "a failed unpack changed its existing output" >&2
    failures=$((failures + 1))
fi
if ! cmp -s "$work/linux/repetitive-4097.bin.lz" "$work/windows/ lead--name.lz"; then
    echo "the output named \" lead--name.lz\" was not written as such" >&2
    failures=$((failures + 1))
fi
if ! grep -q 'missing.lz: .*(error 53)' "$work/windows/missing.txt" 2>/dev/null; then
    echo "the message for a missing input names neither the file nor the error number:" >&2
    cat "$work/windows/missing.txt" >&2 || true
    failures=$((failures + 1))
fi
if [ -e "$work/windows/never" ] || ls "$work/windows" | grep -q '^~'; then
    echo "a failed run left an output or a temporary file" >&2
    failures=$((failures + 1))
fi
if [ "$failures" -ne 0 ]; then
    cat "$work/wine.log" >&2
    echo "$failures of $count outputs differ" >&2
    exit 1
fi
echo "$count outputs byte-identical"
