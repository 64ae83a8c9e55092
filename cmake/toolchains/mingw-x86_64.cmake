# The tested build: 64-bit Windows, its tests run under wine64.
set(UPDATER_MINGW_TRIPLE x86_64-w64-mingw32)
set(UPDATER_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# One Wine prefix per build folder, made on first use.
cmake_path(SET updater_wine_run NORMALIZE "${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run")
set(CMAKE_CROSSCOMPILING_EMULATOR "${updater_wine_run};--prefix;${CMAKE_BINARY_DIR}/wineprefix")
