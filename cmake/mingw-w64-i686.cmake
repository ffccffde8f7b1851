# 32-bit Windows (the program's own architecture) with MinGW-w64.
set(TELVOXA_MINGW_TRIPLET i686-w64-mingw32)
set(TELVOXA_MINGW_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
