# Cross-compiling for Windows with mingw-w64 (posix threading model), for the
# processor MINGW_PROCESSOR that the including toolchain file sets.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${MINGW_PROCESSOR}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PROCESSOR}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_PROCESSOR}-w64-mingw32-windres)
# The message compiler, for the event log's message table; CMake knows none.
set(CMAKE_MC_COMPILER ${MINGW_PROCESSOR}-w64-mingw32-windmc)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No run-time DLLs beside our own: libgcc, libstdc++ and winpthread go in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
