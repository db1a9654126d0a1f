# Shared steps of scripts/run, scripts/test and the screenshot scripts: dependencies, the two flavours,
# their builds and Wine prefixes. Sourced, not run. Every step is idempotent.
#
# A flavour is one build of the program: i686 (32-bit, Windows 2000/XP) or x86_64 (Windows XP x64). This
# file is the one place that says, for each, its toolchain file, build folder, prefix template, Wine
# architecture, reported Windows version and Wine loader; `use_flavour F` makes F the current one.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_ROOT=${TSLN_BUILD:-$ROOT/build}
ALL_FLAVOURS="i686 x86_64"
# Build-time tools (the movie compiler, the skins' preview renders) run from this flavour's build: 64-bit
# Wine runs on every x86-64 host, so building never needs 32-bit execution.
TOOL_FLAVOUR=x86_64
export WINEDEBUG=${WINEDEBUG:--all}
# No menu entries, no .NET or HTML engine prompts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree,mshtml=}
# For test runs: no debugger either, so that a test program that crashes ends at once (with Wine's one-line
# report) instead of waiting in winedbg until ctest's timeout. Not for the screenshot scripts, whose
# page clicks were seen to stop working with it.
TEST_DLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d"

log() { printf '== %s\n' "$*" >&2; }

flavour_toolchain() { printf '%s/cmake/mingw-%s.cmake' "$ROOT" "$1"; }
flavour_build() { printf '%s/%s' "$BUILD_ROOT" "$1"; }
flavour_template() {
    local cache=${XDG_CACHE_HOME:-$HOME/.cache}/tessaline
    case $1 in
    i686) printf '%s' "${TSLN_PREFIX_TEMPLATE:-$cache/wineprefix-xp}" ;;
    x86_64) printf '%s' "${TSLN_PREFIX_TEMPLATE64:-$cache/wineprefix-xp64}" ;;
    esac
}
flavour_winearch() { case $1 in i686) echo win32 ;; x86_64) echo win64 ;; esac; }
flavour_windows() { case $1 in i686) echo winxp ;; x86_64) echo winxp64 ;; esac; }
# The loader itself: Debian's `wine` script takes the 32-bit one whenever wine32 is installed.
flavour_wine() { case $1 in i686) echo /usr/lib/wine/wine ;; x86_64) echo /usr/lib/wine/wine64 ;; esac; }

# use_flavour F: F's build folder, dist/, template and loader become BUILD, DIST, TEMPLATE and TSLN_WINE;
# `wine` on PATH (scripts/wine-bin) runs that loader for this shell and every program it starts.
use_flavour() {
    case " $ALL_FLAVOURS " in
    *" $1 "*) ;;
    *) echo "unknown flavour '$1' (one of: $ALL_FLAVOURS)" >&2; return 2 ;;
    esac
    FLAVOUR=$1
    BUILD=$(flavour_build "$1")
    DIST=$BUILD/dist
    TEMPLATE=$(flavour_template "$1")
    export WINEARCH TSLN_WINE
    WINEARCH=$(flavour_winearch "$1")
    TSLN_WINE=$(flavour_wine "$1")
    case ":$PATH:" in *":$ROOT/scripts/wine-bin:"*) ;; *) export PATH="$ROOT/scripts/wine-bin:$PATH" ;; esac
}

# Whether this host executes 32-bit x86 programs: asked of the 32-bit Wine loader itself, which a kernel
# without 32-bit support refuses with "Exec format error" (needs the packages; answered once per shell).
host_runs_32bit() {
    if [ -z "${TSLN_HOST_RUNS_32BIT:-}" ]; then
        TSLN_HOST_RUNS_32BIT=no
        "$(flavour_wine i686)" --version >/dev/null 2>&1 && TSLN_HOST_RUNS_32BIT=yes
        export TSLN_HOST_RUNS_32BIT # the tests that need a 32-bit program read it too
    fi
    [ "$TSLN_HOST_RUNS_32BIT" = yes ]
}

# The flavours this host can run, best first (i686: it is what ships first), or TSLN_FLAVOURS when set.
runnable_flavours() {
    if [ -n "${TSLN_FLAVOURS:-}" ]; then
        echo "$TSLN_FLAVOURS"
    elif host_runs_32bit; then
        echo "i686 x86_64"
    else
        echo "x86_64"
    fi
}
# The flavour the host runs best: the first of those.
best_flavour() { set -- $(runnable_flavours); echo "$1"; }
# One line saying which flavours run here, and why.
flavours_reason() {
    if [ -n "${TSLN_FLAVOURS:-}" ]; then
        echo "flavours: $(runnable_flavours) (chosen by TSLN_FLAVOURS)"
    elif host_runs_32bit; then
        echo "flavours: $(runnable_flavours) (this host executes 32-bit programs)"
    else
        echo "flavours: x86_64 only (this host cannot execute 32-bit programs: the 32-bit Wine loader fails)"
    fi
}

# Installs the Debian packages that building and testing need, when any is missing.
ensure_deps() {
    local pkgs=(cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32 wine64 xvfb xauth imagemagick
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

# configure F: configures F's build folder (the tool flavour's build must be configured and built first).
configure() {
    local options=()
    [ "$1" = "$TOOL_FLAVOUR" ] ||
        options=(-DTSLN_TOOL_FLAVOUR="$TOOL_FLAVOUR" -DTSLN_TOOL_BUILD="$(flavour_build "$TOOL_FLAVOUR")")
    cmake -S "$ROOT" -B "$(flavour_build "$1")" -DCMAKE_TOOLCHAIN_FILE="$(flavour_toolchain "$1")" \
        -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
}

# build_flavour F [TARGET...]: builds F (everything, or the targets), after what its build tools need.
build_flavour() {
    if [ "$1" != "$TOOL_FLAVOUR" ]; then
        configure "$TOOL_FLAVOUR"
        cmake --build "$(flavour_build "$TOOL_FLAVOUR")" -j"$(nproc)" --target tsmovie
    fi
    configure "$1"
    log "building the $1 flavour into $(flavour_build "$1")"
    local f=$1
    shift
    cmake --build "$(flavour_build "$f")" -j"$(nproc)" ${1:+--target "$@"}
}

# Builds both flavours: cross-compiling needs no 32-bit execution.
build() {
    build_flavour "$TOOL_FLAVOUR"
    for f in $ALL_FLAVOURS; do
        [ "$f" = "$TOOL_FLAVOUR" ] || build_flavour "$f"
    done
}

# A prefix of the current flavour's architecture set to its Windows XP, without a window manager's delays;
# made once and copied.
make_template() {
    [ -f "$TEMPLATE/.tessaline-ready" ] && return 0
    log "creating the $FLAVOUR Wine prefix template in $TEMPLATE"
    rm -rf "$TEMPLATE"
    mkdir -p "$(dirname "$TEMPLATE")"
    WINEPREFIX=$TEMPLATE wine wineboot -i >/dev/null 2>&1
    local windows
    windows=$(flavour_windows "$FLAVOUR")
    WINEPREFIX=$TEMPLATE wine reg add 'HKCU\Software\Wine' /v Version /d "$windows" /f >/dev/null 2>&1
    WINEPREFIX=$TEMPLATE wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX=$TEMPLATE wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    WINEPREFIX=$TEMPLATE wineserver -w
    touch "$TEMPLATE/.tessaline-ready"
}

# Copies the current flavour's template to $1 (replacing what is there).
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
