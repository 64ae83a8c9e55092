include(GoogleTest)
find_package(GTest REQUIRED)

# updater_add_test(<name> LABEL <labels> SOURCES ... LIBS ... [ENV k=v ...])
# One GoogleTest binary; each of its cases becomes a CTest test with the
# labels. Suites labelled "threads" are also built by the target tsan_tests.
function(updater_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "LABEL;SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    UPDATER_BUILD_DIR="${CMAKE_BINARY_DIR}"
    UPDATER_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if("threads" IN_LIST T_LABEL)
    add_dependencies(tsan_tests ${name})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${T_ENV}")
endfunction()
