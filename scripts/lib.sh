# Shared steps of scripts/run and scripts/test: dependencies, build, Wine prefix.
# Sourced, not run. Every step is idempotent.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${TSLN_BUILD:-$ROOT/build}
DIST=$BUILD/dist
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree,mshtml=}
TEMPLATE=${TSLN_PREFIX_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/tessaline/wineprefix-xp}

log() { printf '== %s\n' "$*" >&2; }

# Installs the Debian packages that building and testing need, when any is missing.
ensure_deps() {
    local pkgs=(cmake make g++-mingw-w64-i686 wine wine32 wine64 xvfb xauth imagemagick
                libz-mingw-w64-dev doctest-dev clang libclang-rt-14-dev zlib1g-dev fp-utils nsis)
    local missing=()
    for p in "${pkgs[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        missing+=(i386-architecture)
    fi
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${pkgs[@]}" >/dev/null
}

build() {
    log "building into $BUILD"
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
        >/dev/null
    cmake --build "$BUILD" -j"$(nproc)"
}

# A 32-bit prefix set to Windows XP, without a window manager's delays; made once and copied.
make_template() {
    [ -f "$TEMPLATE/.tessaline-ready" ] && return 0
    log "creating the Wine prefix template in $TEMPLATE"
    rm -rf "$TEMPLATE"
    mkdir -p "$(dirname "$TEMPLATE")"
    WINEPREFIX=$TEMPLATE wineboot -i >/dev/null 2>&1
    WINEPREFIX=$TEMPLATE wine reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1
    WINEPREFIX=$TEMPLATE wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX=$TEMPLATE wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    WINEPREFIX=$TEMPLATE wineserver -w
    touch "$TEMPLATE/.tessaline-ready"
}

# Copies the template to $1 (replacing what is there).
fresh_prefix() {
    make_template
    rm -rf "$1"
    cp -a "$TEMPLATE" "$1"
}

# The Windows form of a Unix path (Wine maps / to Z:).
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }

# Installs the program into the folder $1 as a user's copy has it: the exe, its two components, the help
# file and the skins folder (SKINS\ is replaced whole, so a skin no longer built does not linger).
install_program() {
    mkdir -p "$1"
    cp -f "$DIST"/Tessaline.exe "$DIST"/tsln.dll "$DIST"/tslnplay.dll "$1/"
    [ -f "$DIST/help.chm" ] && cp -f "$DIST/help.chm" "$1/"
    rm -rf "$1/SKINS"
    cp -r "$DIST/SKINS" "$1/SKINS"
}
