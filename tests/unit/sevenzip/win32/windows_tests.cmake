# The Windows suites. Archives come from our own Add at test time, or from
# the Linux 7z command before the suite starts (the fixture
# sevenzip_win_fixtures, run on the host).
updater_add_test(sevenzip_archive_tests LABEL integration
  SOURCES ArchiveFixtures.cpp StreamsTest.cpp AddTest.cpp ExtractTest.cpp win32/WinFixtures.cpp
          win32/StreamsTest.cpp
          win32/ArchiveTest.cpp win32/AddTest.cpp win32/ExtractTest.cpp
          win32/VolumesTest.cpp win32/SelfExtractorTest.cpp win32/RefusalTest.cpp
  LIBS sevenzip test_tools)
target_include_directories(sevenzip_archive_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_sources(sevenzip_unit_tests PRIVATE win32/WinFixtures.cpp)
foreach(suite sevenzip_unit_tests sevenzip_archive_tests)
  target_compile_definitions(${suite} PRIVATE
    SEVENZIP_FIXTURES="${UPDATER_TEST_BUILD_DIR}/sevenzip-fixtures")
endforeach()

# The codec and the self-extractor module beside each test program: found
# there by the plain name, as beside Updater.exe.
foreach(suite sevenzip_unit_tests sevenzip_archive_tests)
  add_custom_command(TARGET ${suite} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${UPDATER_WIN_PREFIX}/bin/7za.dll
            ${UPDATER_WIN_PREFIX}/bin/7zCon.sfx $<TARGET_FILE_DIR:${suite}>)
endforeach()

# A program alone in its folder: what the component says without 7za.dll.
add_executable(sevenzip_codec_probe win32/codec_probe.cpp)
target_link_libraries(sevenzip_codec_probe PRIVATE sevenzip)
target_link_options(sevenzip_codec_probe PRIVATE -municode)
set_target_properties(sevenzip_codec_probe PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/without-codec)
add_dependencies(sevenzip_unit_tests sevenzip_codec_probe)
target_compile_definitions(sevenzip_unit_tests PRIVATE
  CODEC_PROBE="${UPDATER_TEST_BUILD_DIR}/tests/unit/sevenzip/without-codec/sevenzip_codec_probe.exe")

if(CMAKE_CROSSCOMPILING_EMULATOR)
  set(fixtures ${CMAKE_BINARY_DIR}/sevenzip-fixtures)
  add_test(NAME sevenzip_win_fixtures
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/win32/make_fixtures.sh ${fixtures})
  set_tests_properties(sevenzip_win_fixtures PROPERTIES
    FIXTURES_SETUP sevenzip_win_fixtures LABELS integration)
  set(fixtures_file ${CMAKE_CURRENT_BINARY_DIR}/sevenzip_archive_tests_fixtures.cmake)
  file(WRITE ${fixtures_file}
    "if(sevenzip_archive_tests_TESTS)\n"
    "  set_tests_properties(\${sevenzip_archive_tests_TESTS} PROPERTIES FIXTURES_REQUIRED sevenzip_win_fixtures)\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${fixtures_file})
endif()
