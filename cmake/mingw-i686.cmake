# Cross build of the 32-bit Windows plugin with Debian's MinGW-w64 (g++-mingw-w64-i686).
# The win32 thread model needs no winpthread DLL; the runtime is linked statically so
# that XMP-VARNO.dll needs nothing beside itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VARNO_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VARNO_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VARNO_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${VARNO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VARNO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
