#!/usr/bin/env bash
# The Windows installer end to end under Wine and Xvfb, in a fresh prefix of its own:
#   silent install -> the programs, the Start-menu shortcut and the uninstall entry are there ->
#   with data-access components answering "2.8" the installed program shows its window with the
#   whole report, Copy To Clipboard puts the report on the clipboard, Exit ends the program ->
#   with "2.1" the program ends without a window -> silent uninstall -> nothing is left.
#
#   installer_test.sh INSTALLER FAKE_ADODB_28_DLL FAKE_ADODB_21_DLL [TEMPLATE_PREFIX_DIR]
# TEMPLATE_PREFIX_DIR: a prefix made by cmake/wine-run.sh --make-template, copied instead of
# booting a new one. VELLUMO_INSTALLER_SCREENSHOT=file.png keeps a picture of the window.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
installer="$(realpath "$1")"
adodb28="$(realpath "$2")"
adodb21="$(realpath "$3")"
template="${4:-}"

export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C.UTF-8
unset LANGUAGE WAYLAND_DISPLAY

wine=""
for candidate in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && { wine="$candidate"; break; }
done
wineserver=""
for candidate in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver "$(command -v wineserver 2>/dev/null)"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && { wineserver="$candidate"; break; }
done
[ -n "$wine" ] || { echo "wine64 not found"; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/vellumo-installer-XXXXXX")"
prefix="$work/prefix"
export HOME="$work/home" WINEPREFIX="$prefix"
xvfb_pid=""
cleanup() {
    [ -n "$wineserver" ] && "$wineserver" -k >/dev/null 2>&1
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
ok() { echo "installer: ok: $1"; passed=$((passed + 1)); }
bad() { echo "installer: FAILED: $1"; failed=$((failed + 1)); }
expect() { # expect <description> <command...>
    local what="$1"
    shift
    if "$@"; then ok "$what"; else bad "$what"; fi
}
wait_server() { [ -n "$wineserver" ] && "$wineserver" -w >/dev/null 2>&1; }

# ---- A fresh prefix, a display without a window manager (Wine draws the frames itself) ----
if [ -n "$template" ] && [ -f "$template/prefix/system.reg" ]; then
    cp -a "$template/prefix" "$prefix" && cp -a "$template/home" "$HOME" || exit 1
else
    mkdir -p "$prefix" "$HOME"
    "$wine" wineboot --init >/dev/null 2>&1
    wait_server
fi
printf '\n[Software\\\\Wine\\\\X11 Driver] 1700000000\n"Managed"="N"\n' >>"$prefix/user.reg"
display=":$((300 + $$ % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

program_files="$prefix/drive_c/Program Files/Vellumo Diagnostic"
shortcut="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vellumo Diagnostic.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VellumoDiagnostic'
program='C:\Program Files\Vellumo Diagnostic\VellumoDiagnostic.exe'

# ---- Silent install ----
"$wine" "Z:${installer//\//\\}" /S
status=$?
wait_server
expect "the installer ends with 0 (got $status)" [ "$status" = 0 ]
for file in VellumoDiagnostic.exe vellumo-reg.exe vellumo-pack.exe Uninstall.exe; do
    expect "Program Files holds $file" [ -f "$program_files/$file" ]
done
expect "the Start-menu shortcut is there" [ -f "$shortcut" ]
entry="$("$wine" reg query "$uninstall_key" 2>/dev/null | tr -d '\r')"
expect "the uninstall entry names the program and its version" \
    grep -q "DisplayVersion.*1\.0\.134" <<<"$entry"
expect "the uninstall entry has a silent uninstall" grep -q 'QuietUninstallString.*/S' <<<"$entry"

# Runs the installed program in the background; its Unix process id in $run_pid.
start_program() {
    "$wine" "$program" >"$work/program.log" 2>&1 &
    run_pid=$!
}
# Waits up to $1 tenths of a second for the program to end; 0 when it ended.
program_ended() {
    for _ in $(seq "$1"); do
        kill -0 "$run_pid" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# ---- With data-access components answering 2.8: the window, Copy, Exit ----
"$root/tests/support/win32/adodb/register-in-prefix.sh" "$prefix" "$adodb28" >/dev/null 2>&1
expect "the 2.8 stand-in registers" [ $? = 0 ]
start_program
window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Vellumo Diagnostic$' 2>/dev/null | head -n 1)"
if [ -n "$window" ]; then
    ok "the installed program shows its window"
    # The buttons by position: the client area is 8130 x 8715 twips at 96 dots per inch
    # (542 x 581 pixels) inside the frame Wine draws; Copy To Clipboard's centre is at
    # (240 + 2235 / 2, 300 + 435 / 2) twips, Exit's at (5670 + 2235 / 2, the same).
    eval "$(xdotool getwindowgeometry --shell "$window")"
    border=$(((WIDTH - 542) / 2))
    top=$((HEIGHT - 581 - border))
    click() { # click <x twips> <y twips>
        xdotool mousemove --window "$window" $((border + $1 * 96 / 1440)) \
            $((top + $2 * 96 / 1440)) click 1
    }
    sleep 0.5
    click $((240 + 2235 / 2)) $((300 + 435 / 2))
    if [ -n "${VELLUMO_INSTALLER_SCREENSHOT:-}" ]; then
        sleep 0.5
        import -window root png:- | convert - -trim +repage "$VELLUMO_INSTALLER_SCREENSHOT"
    fi
    clip=""
    for _ in $(seq 50); do
        clip="$(timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d '\r')"
        grep -q "^OS: " <<<"$clip" && break
        sleep 0.2
    done
    expect "Copy To Clipboard puts the report on the clipboard" grep -q "^OS: " <<<"$clip"
    expect "the copied report is whole (data-access line to write test)" \
        grep -qz "MDAC: 2,8\|MDAC: 2.8" <<<"$clip"
    expect "the copied report ends with the write test" \
        grep -q "^Can create file in DataPath: " <<<"$(tail -n 1 <<<"$clip")"
    click $((5670 + 2235 / 2)) $((300 + 435 / 2))
    expect "Exit ends the program" program_ended 200
else
    bad "the installed program shows its window"
    cat "$work/program.log"
fi
kill "$run_pid" 2>/dev/null
wait_server

# ---- With 2.1: the run ends at the data-access check, without a window ----
"$root/tests/support/win32/adodb/register-in-prefix.sh" "$prefix" "$adodb21" >/dev/null 2>&1
expect "the 2.1 stand-in registers" [ $? = 0 ]
start_program
expect "with 2.1 the program ends by itself" program_ended 600
expect "with 2.1 no window was shown" \
    [ -z "$(xdotool search --onlyvisible --name '^Vellumo Diagnostic$' 2>/dev/null)" ]
kill "$run_pid" 2>/dev/null
wait_server

# ---- Silent uninstall ----
"$wine" 'C:\Program Files\Vellumo Diagnostic\Uninstall.exe' /S
wait_server
# The uninstaller runs a copy of itself and returns at once; the copy is done when its folder
# is gone.
for _ in $(seq 100); do [ -e "$program_files" ] || break; sleep 0.2; done
expect "nothing is left in Program Files" [ ! -e "$program_files" ]
expect "the shortcut is gone" [ ! -e "$shortcut" ]
expect "the uninstall entry is gone" bash -c "! '$wine' reg query '$uninstall_key' >/dev/null 2>&1"

echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
