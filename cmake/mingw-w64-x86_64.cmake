# 64-bit Windows through MinGW-w64.
set(ZELVIK_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
