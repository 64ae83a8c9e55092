# The confined, journaled writer's sources, kept apart from the rest of the
# platform layer so that its forms can change on their own. Sets
# platform_writer_sources (paths relative to this folder).
if(UPDATER_PLATFORM STREQUAL "posix")
  set(platform_writer_sources
    ConfinedFolder.cpp
    FileDescriptor.cpp
    FileLock.cpp
    FolderWalk.cpp
    JournalRecords.cpp
    JournalReplay.cpp
    Temporaries.cpp
    UpdateJournal.cpp)
else()
  # Until the writer has its Windows form: what the rest of the Windows
  # program needs of it today.
  set(platform_writer_sources win32/WriterPending.cpp)
endif()
