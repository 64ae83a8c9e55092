# The confined, journaled writer's suites, kept apart from the rest of the
# platform layer's so that they can change on their own.
if(UPDATER_PLATFORM STREQUAL "posix")
  updater_add_test(platform_writer_tests LABEL unit
    SOURCES ConfinedFolderTest.cpp UpdateJournalTest.cpp
    LIBS platform test_tools fault_test_tools)
endif()
