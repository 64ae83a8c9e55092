# Shared by mingw-i686.cmake and mingw-x86_64.cmake, which set
# UPDATER_MINGW_TRIPLE and UPDATER_MINGW_ARCH before including this file.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${UPDATER_MINGW_ARCH})

# The posix thread model: std::thread and std::mutex need it with GCC 12.
set(CMAKE_C_COMPILER ${UPDATER_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${UPDATER_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${UPDATER_MINGW_TRIPLE}-windres)

# Where scripts/setup-windows puts the libraries it builds (one prefix per
# architecture). The environment's UPDATER_CACHE is the setup's own override.
if(DEFINED ENV{UPDATER_CACHE})
  set(updater_cache_default "$ENV{UPDATER_CACHE}")
else()
  set(updater_cache_default /var/cache/updater)
endif()
set(UPDATER_CACHE "${updater_cache_default}" CACHE PATH "Cache folder of the Windows dependencies (scripts/setup-windows)")
set(UPDATER_WIN_PREFIX "${UPDATER_CACHE}/${UPDATER_MINGW_ARCH}")
# Checks inside try_compile projects read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES UPDATER_CACHE)

set(CMAKE_FIND_ROOT_PATH "${UPDATER_WIN_PREFIX}" /usr/${UPDATER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

# No MinGW runtime DLL may sit beside the program: libgcc, libstdc++ and
# winpthread are linked in.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endforeach()
# FindZLIB would take the import library of zlib1.dll first.
set(ZLIB_USE_STATIC_LIBS ON)
