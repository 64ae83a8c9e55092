# The zip package reader, kept apart so that its forms can change on their
# own. Its Windows form (libzip from the dependency cache) comes with the
# confined writer's.
if(UPDATER_PLATFORM STREQUAL "posix")
  pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
  add_library(zipreader STATIC ZipReader.cpp)
  target_include_directories(zipreader PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(zipreader PUBLIC platform PRIVATE PkgConfig::LIBZIP)
endif()
