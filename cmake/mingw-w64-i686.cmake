# 32-bit Windows through MinGW-w64.
set(ZELVIK_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
