# The confined, journaled writer's suites, kept apart from the rest of the
# platform layer's so that they can change on their own.

# An installation and its update passes, and the processes around them.
add_library(writer_test_support STATIC
  JournalScenario.cpp WriterTesting.cpp ${UPDATER_PLATFORM}/WriterTesting.cpp)
target_link_libraries(writer_test_support PUBLIC platform test_tools fault_test_tools)
target_compile_definitions(writer_test_support PRIVATE
  UPDATER_BUILD_DIR="${UPDATER_TEST_BUILD_DIR}"
  WRITER_CHILD_NAME="writer_child${CMAKE_EXECUTABLE_SUFFIX}")

# The child program of the journal's suites: a run that does its part and
# waits to be killed.
add_executable(writer_child writer_child.cpp ${UPDATER_PLATFORM}/writer_child_main.cpp)
target_link_libraries(writer_child PRIVATE writer_test_support)
set_target_properties(writer_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
if(UPDATER_PLATFORM STREQUAL "win32")
  target_link_options(writer_child PRIVATE -municode)
endif()

updater_add_test(platform_writer_tests LABEL unit
  SOURCES ConfinedFolderTest.cpp UpdateJournalTest.cpp ${UPDATER_PLATFORM}/WriterTest.cpp
  LIBS writer_test_support)
add_dependencies(platform_writer_tests writer_child)

# Under Wine: Unix links, which a Windows program cannot make, made from the
# Linux side before the suite runs (win32/WriterTest.cpp, WineLinks).
if(UPDATER_PLATFORM STREQUAL "win32" AND CMAKE_CROSSCOMPILING_EMULATOR)
  set(links ${CMAKE_BINARY_DIR}/wine-links)
  add_test(NAME writer_wine_links COMMAND sh -c
    "rm -rf '${links}' && mkdir -p '${links}/outside/inside' '${links}/base' && echo outside > '${links}/outside/victim' && echo x > '${links}/outside/inside/x' && ln -s ../outside '${links}/base/link' && for name in file-link other-link .~victim.1.0; do ln -s ../outside/victim \"${links}/base/$name\"; done")
  set_tests_properties(writer_wine_links PROPERTIES FIXTURES_SETUP writer_wine_links LABELS unit)
  set(fixtures_file ${CMAKE_CURRENT_BINARY_DIR}/platform_writer_tests_fixtures.cmake)
  file(WRITE ${fixtures_file}
    "if(platform_writer_tests_TESTS)\n"
    "  set_tests_properties(\${platform_writer_tests_TESTS} PROPERTIES FIXTURES_REQUIRED writer_wine_links)\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${fixtures_file})
endif()
