# Sourced with the state folder in $1: the Wine environment of a test run.
wine_state=$1
export WINEPREFIX=$wine_state/prefix
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# The prefix never asks for Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$wine_state/display" ]; then
    DISPLAY=$(cat "$wine_state/display")
    export DISPLAY
fi
