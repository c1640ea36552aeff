# Shared set-up for scripts/run, scripts/test and scripts/bench: packages, build, Wine prefix, Xvfb.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_DIR=${TONALIX_BUILD_DIR:-$ROOT/build}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
BIN_DIR=$BUILD_DIR/bin

log() { printf '== %s\n' "$*" >&2; }

APT_PACKAGES=(g++-mingw-w64-i686 libz-mingw-w64-dev wine wine32:i386 xvfb x11-utils xauth cmake
              googletest fonts-liberation fonts-wine imagemagick xdotool g++ python3 zlib1g-dev clang libclang-rt-14-dev
              nsis)

packages_missing() {
    local p
    for p in "${APT_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || return 0
    done
    return 1
}

ensure_packages() {
    packages_missing || return 0
    log "installing build and run dependencies"
    local sudo=
    [ "$(id -u)" = 0 ] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo dpkg --add-architecture i386
    # The i386 index of one mirror may fail to download; the base release still resolves.
    $sudo apt-get update -q >/dev/null 2>&1 || log "apt-get update reported errors (continuing)"
    $sudo apt-get install -y -q -t bookworm --no-install-recommends "${APT_PACKAGES[@]}" >/dev/null \
        || $sudo apt-get install -y -q --no-install-recommends "${APT_PACKAGES[@]}" >/dev/null
    if packages_missing; then
        log "package installation failed"
        exit 1
    fi
}

build_all() {
    log "building into $BUILD_DIR"
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" >"$BUILD_DIR/configure.log" 2>&1 \
        || { cat "$BUILD_DIR/configure.log"; exit 1; }
    cmake --build "$BUILD_DIR" -j"$(nproc)" >"$BUILD_DIR/build.log" 2>&1 \
        || { grep -E -B2 -A8 'error|Error' "$BUILD_DIR/build.log" | head -150; exit 1; }
    # The platform-free logic also builds natively (tests, sanitizers, fuzzing).
    cmake -S "$ROOT/core" -B "$BUILD_DIR/native" -DCMAKE_BUILD_TYPE=Debug >"$BUILD_DIR/native-configure.log" 2>&1 \
        || { cat "$BUILD_DIR/native-configure.log"; exit 1; }
    cmake --build "$BUILD_DIR/native" -j"$(nproc)" >"$BUILD_DIR/native-build.log" 2>&1 \
        || { grep -E -B2 -A8 'error|Error' "$BUILD_DIR/native-build.log" | head -150; exit 1; }
}

wine_env() {
    export WINEPREFIX=$BUILD_DIR/wineprefix
    export WINEARCH=win32
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

ensure_prefix() {
    wine_env
    [ -f "$WINEPREFIX/.tonalix-ready" ] && return 0
    log "creating Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    DISPLAY= wineboot -i >/dev/null 2>&1 || true
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    cat >"$BUILD_DIR/prefix.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"=""

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Courier New"="Liberation Mono"
"Times New Roman"="Liberation Serif"
REG
    DISPLAY= wine regedit /S "$(winepath -w "$BUILD_DIR/prefix.reg" 2>/dev/null)" >/dev/null 2>&1 || true
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.tonalix-ready"
}

# Display scales the display-scale tests run at, each in a prefix of its own made from the main
# one (whose server shows its windows on the main screen).
DPI_SCALES=(96 120 144 192)

dpi_prefix() { printf '%s/wineprefix-%s' "$BUILD_DIR" "$1"; }

ensure_dpi_prefixes() {
    wine_env
    local main=$WINEPREFIX dpi prefix
    for dpi in "${DPI_SCALES[@]}"; do
        prefix=$(dpi_prefix "$dpi")
        [ "$prefix/.tonalix-ready" -nt "$main/.tonalix-ready" ] && continue
        log "creating Wine prefix $prefix ($dpi dpi)"
        rm -rf "$prefix"
        cp -a "$main" "$prefix"
        rm -f "$prefix/.tonalix-ready"
        WINEPREFIX=$prefix DISPLAY= wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
            /d "$dpi" /f >/dev/null 2>&1 || true
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1 || true
        touch "$prefix/.tonalix-ready"
    done
}

XVFB_PID=
# Starts a private Xvfb (1024x768 unless a size is given) and points DISPLAY at it.
start_xvfb() {
    local n size=${1:-1024x768}
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        local i
        for i in $(seq 1 50); do
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null || true
    done
    log "could not start Xvfb"
    exit 1
}

start_wineserver() {
    wine_env
    # A persistent server makes every Wine start cheap; exit code 2 means one already runs.
    wineserver -p >/dev/null 2>&1 || true
    # The first Wine process starts Wine's own services; started here with closed output, they can
    # never hold a test runner's output pipe open.
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# The display-scale tests run on a screen of their own, as large as a 200 % monitor needs, so no
# window is cut to the screen's size (TONALIX_DPI_DISPLAY); each prefix keeps a server running.
DPI_XVFB_PID=
start_dpi_display() {
    local display=$DISPLAY pid=$XVFB_PID
    start_xvfb 2560x1600
    export TONALIX_DPI_DISPLAY=$DISPLAY
    DPI_XVFB_PID=$XVFB_PID
    export DISPLAY=$display
    XVFB_PID=$pid
    local dpi
    for dpi in "${DPI_SCALES[@]}"; do
        [ -d "$(dpi_prefix "$dpi")" ] || continue
        WINEPREFIX=$(dpi_prefix "$dpi") wineserver -p >/dev/null 2>&1 || true
        WINEPREFIX=$(dpi_prefix "$dpi") DISPLAY=$TONALIX_DPI_DISPLAY wine cmd /c exit >/dev/null 2>&1 </dev/null || true
    done
}

stop_wine() {
    wine_env
    wineboot -e >/dev/null 2>&1 || true
    wineserver -k >/dev/null 2>&1 || true
    local dpi
    for dpi in "${DPI_SCALES[@]}"; do
        [ -d "$(dpi_prefix "$dpi")" ] || continue
        WINEPREFIX=$(dpi_prefix "$dpi") wineserver -k >/dev/null 2>&1 || true
    done
}

cleanup() {
    stop_wine
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    [ -n "$DPI_XVFB_PID" ] && kill "$DPI_XVFB_PID" 2>/dev/null || true
}
