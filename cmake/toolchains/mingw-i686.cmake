# The shipped program: 32-bit Windows. It cannot run on this machine (no
# 32-bit mode in its kernel), so nothing is set up to run it.
set(UPDATER_MINGW_TRIPLE i686-w64-mingw32)
set(UPDATER_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
