#!/usr/bin/env bash
# Carries a registry script from the Linux store into Wine's registry and back: values of every
# type are set with the Linux vellumo-reg and exported; vellumo-reg.exe imports the file under
# Wine and exports the key again; the Linux tool imports that into a fresh store and exports it
# once more. All three files must be byte-identical (value names are in alphabetical order,
# since Wine lists values by name where the Linux store keeps their order of creation).
#   compare-reg.sh LINUX_VELLUMO_REG WINDOWS_VELLUMO_REG_EXE
set -euo pipefail

linux_reg="$1"
windows_reg="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/vellumo-reg-compare-XXXXXX")"
trap 'rm -rf "$work"' EXIT
key='HKCU\Software\VellumoRoundTrip'
full='HKEY_CURRENT_USER\Software\VellumoRoundTrip'

windows_path() { # a Linux path as Wine's drive Z: shows it
    printf 'Z:%s' "${1//\//\\}"
}

# The Linux store of the first and of the last step, each its own.
linux() { # linux STORE_FOLDER args...
    local store="$1"
    shift
    XDG_CONFIG_HOME="$store" "$linux_reg" "$@" >/dev/null
}
mkdir -p "$work/first" "$work/last"
linux "$work/first" add "$key" /ve /d 'default text' /f
linux "$work/first" add "$key" /v 'a text' /d 'J'$'\xc3\xbc''rgen pays 5 '$'\xe2\x82\xac'' "quoted" \ back' /f
linux "$work/first" add "$key" /v 'b dword' /t REG_DWORD /d 0xdeadbeef /f
linux "$work/first" add "$key" /v 'c qword' /t REG_QWORD /d 0x0102030405060708 /f
linux "$work/first" add "$key" /v 'd binary' /t REG_BINARY /d 00ff7f80 /f
linux "$work/first" add "$key" /v 'e expand' /t REG_EXPAND_SZ /d '%SystemRoot%\x' /f
linux "$work/first" add "$key" /v 'f multi' /t REG_MULTI_SZ /s '#' /d 'one#two'$'\xc3\xa9''#three' /f
linux "$work/first" add "$key" /v 'g none' /t REG_NONE /d raw /f
linux "$work/first" add "$key" /v 'h big endian' /t REG_DWORD_BIG_ENDIAN /d 258 /f
linux "$work/first" add "$key" /v 'i empty' /t REG_BINARY /f
linux "$work/first" add "$key\\Sub\\Deeper" /v 'j deep' /d 'below' /f
# Types that add does not make. (A REG_SZ stored without its terminating NUL is left out: the
# Windows registry's ANSI functions hand it back with one.)
printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"k link"=hex(6):41,00\r\n"l own type"=hex(1234):01,02,03\r\n' \
    "$full" | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/odd.reg"
linux "$work/first" import "$work/odd.reg"
linux "$work/first" export "$key" "$work/linux.reg"

printf '@echo off\r\n"%s" import %s\r\n"%s" export %s %s /y\r\n' \
    "$(windows_path "$windows_reg")" "$(windows_path "$work/linux.reg")" \
    "$(windows_path "$windows_reg")" "$key" "$(windows_path "$work/windows.reg")" >"$work/run.bat"
"$here/wine-run.sh" cmd /c "$(windows_path "$work/run.bat")" >"$work/wine.log" 2>&1 || true

failures=0
if [ -f "$work/windows.reg" ]; then
    linux "$work/last" import "$work/windows.reg"
    linux "$work/last" export "$key" "$work/back.reg"
else
    echo "vellumo-reg.exe wrote no export" >&2
    failures=1
fi
for result in windows.reg back.reg; do
    if ! cmp -s "$work/linux.reg" "$work/$result"; then
        echo "differs from the Linux export: $result" >&2
        failures=$((failures + 1))
    fi
done
if [ "$failures" -ne 0 ]; then
    cat "$work/wine.log" >&2
    for file in linux.reg windows.reg back.reg; do
        [ -f "$work/$file" ] && { echo "--- $file" >&2; iconv -f UTF-16LE -t UTF-8 "$work/$file" >&2 || true; }
    done
    exit 1
fi
echo "the registry script came back byte-identical through Wine's registry"
