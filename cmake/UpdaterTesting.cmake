include(GoogleTest)
find_package(GTest REQUIRED)

# The build folder as the test programs see it: under Wine the Linux root is
# the drive Z: (Windows takes the slash for a separator too).
if(UPDATER_PLATFORM STREQUAL "win32")
  set(UPDATER_TEST_BUILD_DIR "Z:${CMAKE_BINARY_DIR}")
else()
  set(UPDATER_TEST_BUILD_DIR "${CMAKE_BINARY_DIR}")
endif()

# updater_add_test(<name> LABEL <labels> SOURCES ... LIBS ... [ENV k=v ...]
#                  [SUFFIX <test name suffix>] [PROPERTIES <test property> <value> ...]
#                  [EMULATOR <command> <arguments> ...])
# One GoogleTest binary; each of its cases becomes a CTest test with the
# labels (and the properties). Suites labelled "threads" are also built by
# the target tsan_tests. EMULATOR runs the program in place of the
# toolchain's emulator, for discovery as well.
function(updater_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT;SUFFIX" "LABEL;SOURCES;LIBS;ENV;PROPERTIES;EMULATOR" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_EMULATOR)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${T_EMULATOR}")
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    UPDATER_BUILD_DIR="${UPDATER_TEST_BUILD_DIR}"
    UPDATER_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if("threads" IN_LIST T_LABEL)
    add_dependencies(tsan_tests ${name})
  endif()
  # On Windows discovery runs the program under the emulator; the first one of
  # a build folder may wait until the Wine prefix is made.
  gtest_discover_tests(${name}
    TEST_SUFFIX "${T_SUFFIX}"
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "${T_ENV}")
  # Discovery would flatten a list of labels (and what follows it), so the
  # labels and the time-out are set on the discovered tests afterwards.
  set(properties_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${properties_file}
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${T_LABEL}\" TIMEOUT ${T_TIMEOUT} ${T_PROPERTIES})\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_file})
endfunction()
