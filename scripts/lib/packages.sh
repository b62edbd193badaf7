# Sourced by the scripts: ensure_packages PKG... installs what is missing from
# Debian's archive (as root), or says which command would.

ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local need_i386=
    case " ${missing[*]}" in *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1 ;; esac
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them as root with:" >&2
        [ -n "$need_i386" ] && echo "  dpkg --add-architecture i386" >&2
        echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    [ -n "$need_i386" ] && dpkg --add-architecture i386
    apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

BUILD_PACKAGES=(cmake make g++ googletest libgtest-dev g++-mingw-w64-i686 g++-mingw-w64-i686-posix
    binutils-mingw-w64-i686 git zip wixl msitools osslsigncode openssl libxml2-utils)
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
WINE_PACKAGES=(wine wine32:i386 wine64 fonts-wine xvfb socat xdotool)
# For the Wine tests where the kernel runs no 32-bit programs.
WIN64_BUILD_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
