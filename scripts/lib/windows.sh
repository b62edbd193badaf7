# Sourced by the scripts: WINDOWS_PRESET is the Windows build this machine's
# Wine runs. It is win32, the product; on a kernel that runs 64-bit programs
# only, and so no 32-bit Wine, it is win64, the same sources built for 64-bit
# Windows, whose packages this installs.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINDOWS_PRESET=win32
else
    WINDOWS_PRESET=win64
    echo "This machine runs no 32-bit programs: Wine runs the 64-bit build of the same sources." >&2
    ensure_packages "${WIN64_BUILD_PACKAGES[@]}" || exit 1
fi
