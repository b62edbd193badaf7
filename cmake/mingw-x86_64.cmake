# 64-bit Windows: only for the Windows tests on a machine that runs no 32-bit
# programs.
set(MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
