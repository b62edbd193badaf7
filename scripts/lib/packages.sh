# Sourced by the scripts: ensure_packages PKG... installs what is missing from
# Debian's archive (as root), or says which command would.

apt_install() {
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}

ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local need_i386=
    case " ${missing[*]}" in *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1 ;; esac
    local commands="apt-get update; apt-get install -y ${missing[*]}"
    [ -n "$need_i386" ] && commands="dpkg --add-architecture i386; $commands"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them as root with:  $commands" >&2
        return 1
    fi
    echo "Installing ${#missing[@]} packages: ${missing[*]}"
    [ -n "$need_i386" ] && dpkg --add-architecture i386
    # One index that fails (a mirror caught mid-sync) leaves the others
    # usable: the install below says whether what is needed was found.
    local log
    log=$(mktemp)
    local partial=0 installed=0
    apt-get update -qq >"$log" 2>&1 || partial=$?
    if [ $partial -ne 0 ]; then
        echo "Some package indexes could not be read; going on with the others:" >&2
        grep -E '^(E|W):' "$log" | head -n 3 | sed 's/^/  /' >&2
    fi
    apt_install "${missing[@]}" >"$log" 2>&1 || installed=$?
    # Without one architecture's index of a suite (the security archive's
    # i386, say), the two halves of a multi-arch library no longer match:
    # the release's own suite has both.
    if [ $installed -ne 0 ] && [ $partial -ne 0 ] && [ -r /etc/os-release ]; then
        local release
        release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
        if [ -n "$release" ]; then
            echo "Retrying with the packages of $release itself, without its updates..." >&2
            installed=0
            apt_install -t "$release" "${missing[@]}" >"$log" 2>&1 || installed=$?
        fi
    fi
    if [ $installed -ne 0 ]; then
        echo "Installing the packages failed:" >&2
        grep -E '^(E|W):' "$log" | head -n 5 | sed 's/^/  /' >&2
        echo "Mend the package sources (/etc/apt/sources.list*) or the network, then run:  $commands" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}

# python3-gi and gir1.2-libmsi-1.0 set the MSI's package code and dates;
# softhsm2 and libengine-pkcs11-openssl are the signing test's token.
BUILD_PACKAGES=(cmake make g++ googletest libgtest-dev g++-mingw-w64-i686 g++-mingw-w64-i686-posix
    binutils-mingw-w64-i686 git zip wixl msitools python3-gi gir1.2-libmsi-1.0 osslsigncode openssl
    libxml2-utils softhsm2 libengine-pkcs11-openssl)
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
WINE_PACKAGES=(wine wine32:i386 wine64 fonts-wine xvfb socat xdotool)
# The demo's screenshot; scripts/test runs the demo too.
DEMO_PACKAGES=(imagemagick)
# For the Wine tests where the kernel runs no 32-bit programs.
WIN64_BUILD_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
