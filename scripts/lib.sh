# Shared by the scripts: paths, package installation, and the Wine session (one Xvfb, one wineserver).
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SKYLUME_BUILD_DIR:-$ROOT/build}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# wine32:i386 is Wine's 32-bit loader: the shipped program is 32-bit, and every test runs in both architectures.
PACKAGES=(cmake g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 googletest
          wine wine64 wine32:i386 xvfb xauth fonts-wine fonts-ipafont-gothic imagemagick x11-apps fp-utils nsis
          unicode-cldr-core libgweather-4-common mecab-ipadic skkdic python3-icu)

ensure_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
        if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
            $sudo dpkg --add-architecture i386
        fi
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# Per architecture: the registry view its programs read and write, their Program Files folder and the
# regsvr32 that loads their DLLs. Both run in one 64-bit prefix kind, as on 64-bit Windows; `wine reg` without a
# view writes the 32-bit view once the 32-bit loader is installed, so every script names the view.
reg_view() { [ "$1" = i686 ] && echo /reg:32 || echo /reg:64; }
program_files() { [ "$1" = i686 ] && echo 'C:\Program Files (x86)' || echo 'C:\Program Files'; }
regsvr() { [ "$1" = i686 ] && echo 'C:\windows\syswow64\regsvr32.exe' || echo 'C:\windows\system32\regsvr32.exe'; }

configure_and_build() {
    local arch=$1 tests=$2
    cmake -S "$ROOT" -B "$BUILD/$arch" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DSKYLUME_TESTS="$tests" >/dev/null
    cmake --build "$BUILD/$arch" -j"$(nproc)"
}

# Starts Xvfb when there is no display, and a persistent wineserver for the prefix in WINEPREFIX.
XVFB_PID=""
start_session() {
    start_display
    start_wineserver
}

# A persistent wineserver for the prefix in WINEPREFIX; one that already runs (a developer's, say) is used as it is.
start_wineserver() {
    mkdir -p "$WINEPREFIX"
    wineserver -p >/dev/null 2>&1 </dev/null || true
}

start_display() {
    [ -n "$XVFB_PID" ] && return 0
    if [ -z "${DISPLAY:-}" ] || [ "${SKYLUME_OWN_DISPLAY:-}" = 1 ]; then
        local n=90
        while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        # SKYLUME_SCREEN gives a larger screen (the settings window at 200 per cent is wider than 1280 pixels).
        Xvfb ":$n" -screen 0 "${SKYLUME_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    fi
}

stop_wineserver() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

stop_session() {
    stop_wineserver
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}

winpath() { winepath -w "$1" 2>/dev/null; }
