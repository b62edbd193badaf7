# Sourced with the state folder in $1: the Wine environment of a test run.
wine_state=$1
export WINEPREFIX=$wine_state/prefix
# A 32-bit prefix unless the fixture made a 64-bit one, where the program
# runs under WoW64 as on current Windows.
WINEARCH=$(cat "$wine_state/arch" 2>/dev/null || echo win32)
export WINEARCH
# A 64-bit build runs on the 64-bit loader itself, which needs no 32-bit
# support from the kernel.
if [ -f "$wine_state/loader" ]; then
    WINELOADER=$(cat "$wine_state/loader")
    export WINELOADER
    wine() { "$WINELOADER" "$@"; }
    wineboot() { "$WINELOADER" wineboot "$@"; }
    winepath() { "$WINELOADER" winepath "$@"; }
    export -f wine wineboot winepath
fi
export WINEDEBUG=${WINEDEBUG:--all}
# The prefix never asks for Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$wine_state/display" ]; then
    DISPLAY=$(cat "$wine_state/display")
    export DISPLAY
fi
