# Toolchain for the Windows build: 32-bit MinGW-w64 with posix threads, linked statically.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Libraries cross-built by scripts/build-mingw-deps.sh live outside the clone.
if(NOT VEXORIN_MINGW_DEPS)
  set(VEXORIN_MINGW_DEPS "$ENV{HOME}/.cache/vexorin/mingw-deps")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH "${VEXORIN_MINGW_DEPS}")
