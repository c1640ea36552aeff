#!/usr/bin/env bash
# The setup program, silently under Wine, per user and per machine: it installs the two files,
# the Start-menu entry and the uninstall entry; the installed program starts and registers its
# logon entry; the uninstaller, run while the program is running, closes it and leaves nothing
# behind.   test-installer.sh <TonalixSetup.exe> <folder with tonalixctl.exe>
# Needs the Wine prefix and display that scripts/test sets up (WINEPREFIX, DISPLAY).
set -euo pipefail

setup=$1
tools=$2
: "${WINEPREFIX:?run through scripts/test, which sets up the Wine prefix}"

failures=0
check() {  # check <description> <command...>
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

scratch=$(mktemp -d)
trap 'wine "$tools/tonalixctl.exe" close >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT

# A registry value's data, or nothing when the key or value is missing.
reg_value() {
    { wine reg query "$1" /v "$2" 2>/dev/null || true; } | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
key_exists() { wine reg query "$1" >/dev/null 2>&1; }
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
shortcuts() { find "$WINEPREFIX/drive_c" -iname 'Tonalix.lnk' 2>/dev/null; }
running() { wine "$tools/tonalixctl.exe" running >/dev/null 2>&1; }

RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
UNINSTALL='Software\Microsoft\Windows\CurrentVersion\Uninstall\Tonalix'

# The program's configuration: a music folder (no first-run prompt) and start at logon.
printf '[config]\r\nroot=C:\\Music\r\nrunOnStartup=1\r\n' >"$scratch/config.ini"
export TOVELINK_CONFIG
TOVELINK_CONFIG=$(winepath -w "$scratch/config.ini" 2>/dev/null | tr -d '\r')
export TOVELINK_MODE=quiet

for mode in CurrentUser AllUsers; do
    echo "== $mode"
    if [ "$mode" = AllUsers ]; then root=HKLM; else root=HKCU; fi
    [ -z "$(shortcuts)" ] || { echo "FAIL: a Start-menu entry exists before the test"; exit 1; }

    check "setup exits with 0" wine "$setup" /S "/$mode"
    location=$(reg_value "$root\\$UNINSTALL" InstallLocation)
    check "uninstall entry names the folder" test -n "$location"
    folder=$(unix_path "$location")
    check "program and engine installed" test -f "$folder/Tonalix.exe" -a -f "$folder/Tovelink.dll"
    check "uninstaller installed" test -f "$folder/Uninstall.exe"
    if [ "$mode" = AllUsers ]; then
        check "per machine: under Program Files" bash -c '[[ "$0" == *"Program Files"* ]]' "$location"
        check "per machine: one Start-menu entry for all users" \
            bash -c '[ "$(printf "%s\n" "$0" | grep -ci programdata)" = 1 ]' "$(shortcuts)"
    else
        check "per user: under the user's profile" bash -c '[[ "$0" == *"users"* || "$0" == *"Users"* ]]' "$location"
        check "per user: one Start-menu entry in the profile" \
            bash -c '[ "$(printf "%s\n" "$0" | grep -c /users/)" = 1 ]' "$(shortcuts)"
    fi

    # The installed program starts; it writes its logon entry with its own path.
    wine "$folder/Tonalix.exe" /minimized &
    check "installed program starts" wine "$tools/tonalixctl.exe" wait 30
    # The window appears before the start-up sequence has read the configuration: wait for the entry.
    run_value=
    for _ in $(seq 1 100); do
        run_value=$(reg_value "$RUN_KEY" Tonalix)
        [ -n "$run_value" ] && break
        sleep 0.1
    done
    check "logon entry points at the installed program" \
        bash -c '[[ "$0" == "\"$1\\Tonalix.exe\" /minimized" ]]' "$run_value" "$location"

    # Uninstalling while it runs: the uninstaller closes it, then removes everything.
    wine "$folder/Uninstall.exe" /S "/$mode" || true
    for _ in $(seq 1 300); do
        [ ! -e "$folder" ] && ! key_exists "$root\\$UNINSTALL" && break
        sleep 0.1
    done
    wait || true
    check "program closed" bash -c '! "$0" "$1/tonalixctl.exe" running >/dev/null 2>&1' wine "$tools"
    check "folder removed" test ! -e "$folder"
    check "Start-menu entry removed" test -z "$(shortcuts)"
    check "uninstall entry removed" bash -c '! wine reg query "$0" >/dev/null 2>&1' "$root\\$UNINSTALL"
    check "logon entry removed" test -z "$(reg_value "$RUN_KEY" Tonalix)"
done

if [ "$failures" = 0 ]; then
    echo "installer: all checks passed"
else
    echo "installer: $failures checks failed"
    exit 1
fi
