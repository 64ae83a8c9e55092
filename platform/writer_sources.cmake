# The confined, journaled writer's sources, kept apart from the rest of the
# platform layer so that its forms can change on their own. Sets
# platform_writer_sources (paths relative to this folder): the rules, the
# same everywhere, and the file layer under them (FolderHandle.h) in its
# platform's form.
set(platform_writer_sources
  ConfinedFolder.cpp
  FileLock.cpp
  FolderWalk.cpp
  JournalRecords.cpp
  JournalReplay.cpp
  Temporaries.cpp
  UpdateJournal.cpp
  ${UPDATER_PLATFORM}/FileDescriptor.cpp
  ${UPDATER_PLATFORM}/FolderHandle.cpp)
