# The update window at 96 and 144 DPI, on the frame tests' displays (one
# prefix per DPI, see tests/unit/ui/win32), and one download from the HTTP
# suites' servers (tests/unit/http).
foreach(ppi 96 144)
  set(name update_window_tests_${ppi})
  set(display_run)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(display_run EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-display
      --prefix ${CMAKE_BINARY_DIR}/wineprefix-ui${ppi} --dpi ${ppi})
  endif()
  updater_add_test(${name} LABEL gui
    SOURCES win32/UpdateWindowTest.cpp
    LIBS updater_window test_tools
    SUFFIX ".${ppi}dpi"
    ${display_run})
  target_compile_definitions(${name} PRIVATE UPDATER_TEST_PPI=${ppi}
    HTTP_TEST_HOST_DIR="${UPDATER_TEST_BUILD_DIR}/http-host")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_dependencies(${name} http_test_host_build)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(fixtures_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_fixtures.cmake)
    file(WRITE ${fixtures_file}
      "if(${name}_TESTS)\n"
      "  set_tests_properties(\${${name}_TESTS} PROPERTIES\n"
      "    FIXTURES_REQUIRED \"ui_display_${ppi};http_host\" RESOURCE_LOCK ui_display_${ppi})\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${fixtures_file})
  endif()
endforeach()
