# The zip reader's suite, kept apart so that its forms can change on their
# own. Its archives are made at test time with libzip, the reader's own.
if(UPDATER_PLATFORM STREQUAL "posix")
  pkg_check_modules(LIBZIP_TEST REQUIRED IMPORTED_TARGET libzip)
  set(zipreader_test_libzip PkgConfig::LIBZIP_TEST)
else()
  find_package(ZLIB REQUIRED)
  find_package(libzip CONFIG REQUIRED)
  set(zipreader_test_libzip libzip::zip)
endif()
updater_add_test(zipreader_tests LABEL unit
  SOURCES ZipReaderTest.cpp
  LIBS zipreader writer_test_support test_tools fault_test_tools ${zipreader_test_libzip})
