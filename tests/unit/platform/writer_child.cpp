// The child process of the journal's suites: does its part of a test, says
// "ok" (or why not) in the file named first, then waits to be killed, as a
// run would be in the middle of an update.
//
//   writer_child <ready> journal <program folder> <base> <label>
//       an update's journal in the program folder, and one pass through a
//       writer on <base>
//   writer_child <ready> half <program folder>
//       the same from inside the program folder (the writer on the current
//       folder), and half of one more file written
//   writer_child <ready> lock <file>
//       a FileLock on the file
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/ConfinedFolder.h"
#include "platform/FileLock.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/UpdateJournal.h"
#include "tests/unit/platform/JournalScenario.h"
#include "tests/unit/platform/WriterTesting.h"

namespace {

// `body` runs on an update's journal in `app`, which is left as a kill
// leaves it.
template <class Body>
bool WithJournal(const std::string& app, Body body) {
  platform::Result result;
  auto journal = platform::UpdateJournal::Begin(app, &result);
  if (!journal || !body(*journal)) return false;
  journal.release();
  return true;
}

bool Journal(const std::string& app, const std::string& base, const std::string& label) {
  return WithJournal(app, [&](platform::UpdateJournal& journal) {
    return writer_testing::Pass(journal, base, label);
  });
}

// Relative to its own current folder, which the journal must not need.
bool Half(const std::string& app) {
  return platform::SetCurrentDirectory(app) &&
         WithJournal(app, [](platform::UpdateJournal& journal) {
           if (!writer_testing::Pass(journal, "", "1")) return false;
           platform::Result result;
           auto folder = journal.OpenFolder("lib", &result);
           auto pending = folder ? folder->CreateFile({"deep", "data.bin"}, &result) : nullptr;
           if (!pending || !pending->Write("half", 4)) return false;
           pending.release();  // the kill comes while it is written
           return true;
         });
}

}  // namespace

// Called by the platform's entry point with the arguments in UTF-8.
int ChildMain(const std::vector<std::string>& args) {
  if (args.size() < 3) return 2;
  const std::string& mode = args[2];
  bool done = false;
  std::unique_ptr<platform::FileLock> lock;
  if (mode == "journal" && args.size() == 6) {
    done = Journal(args[3], args[4], args[5]);
  } else if (mode == "half" && args.size() == 4) {
    done = Half(args[3]);
  } else if (mode == "lock" && args.size() == 4) {
    lock = platform::FileLock::Acquire(args[3], true);
    done = lock != nullptr;
  }
  std::ofstream(writer_testing::Native(args[1]), std::ios::binary)
      << (done ? "ok" : "failed: " + mode) << '\n';
  if (!done) return 1;
  while (true) platform::Sleep(1000);
}
