# Shared part of the MinGW-w64 toolchain files: Debian's cross compilers of the
# posix thread model (std::thread, std::mutex), libgcc and libstdc++ linked in
# so that the programs run under Wine without copying DLLs next to them, and
# Wine as the emulator through which CTest runs them.
# Set TELVOXA_MINGW_TRIPLET before including this file.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10.0)
set(CMAKE_SYSTEM_PROCESSOR ${TELVOXA_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${TELVOXA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TELVOXA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TELVOXA_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${TELVOXA_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TELVOXA_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Headers and libraries of the target only; programs of the build machine.
# The private prefixes of SQLite and googletest (CMAKE_PREFIX_PATH) are roots too.
set(CMAKE_FIND_ROOT_PATH /usr/${TELVOXA_MINGW_TRIPLET} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 7 and later: CancelIoEx, GetTickCount64.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

# The private prefix and its settings come from the environment that
# scripts/test-windows sets up (WINEPREFIX, WINEDLLOVERRIDES, WINEDEBUG).
find_program(TELVOXA_WINE NAMES wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
