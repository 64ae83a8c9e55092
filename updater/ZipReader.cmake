# The zip package reader, kept apart so that its forms can change on their
# own: libzip from the system on Linux, from the dependency cache on Windows
# (docs/windows-build.md), the same reader over the confined writer on both.
# libzip_for_zipreader names that libzip once, for the reader and its tests.
add_library(libzip_for_zipreader INTERFACE)
if(UPDATER_PLATFORM STREQUAL "posix")
  pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
  target_link_libraries(libzip_for_zipreader INTERFACE PkgConfig::LIBZIP)
else()
  # libzip's package does not look for zlib itself.
  find_package(ZLIB REQUIRED)
  find_package(libzip CONFIG REQUIRED)
  target_link_libraries(libzip_for_zipreader INTERFACE libzip::zip)
endif()
add_library(zipreader STATIC ZipReader.cpp)
target_include_directories(zipreader PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zipreader PUBLIC platform PRIVATE libzip_for_zipreader)
