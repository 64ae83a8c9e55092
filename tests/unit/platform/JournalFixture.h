#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/UpdateJournal.h"
#include "tests/tools/ScopedUmask.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"
#include "tests/unit/platform/JournalScenario.h"
#include "tests/unit/platform/WriterTesting.h"

namespace writer_testing {

inline std::unique_ptr<platform::UpdateJournal> Begin(const std::string& folder) {
  platform::Result result;
  auto journal = platform::UpdateJournal::Begin(folder, &result);
  EXPECT_TRUE(journal) << result.text();
  return journal;
}

// `state` without the journal and the originals it keeps.
inline testing_tools::FolderState WithoutJournal(testing_tools::FolderState state) {
  std::erase_if(state, [](const auto& entry) {
    const std::string& path = entry.first;
    return path.substr(path.rfind('/') + 1).rfind(".updater-", 0) == 0;
  });
  return state;
}

// An installation (JournalScenario.h) in a folder of its own, and what
// everything there looked like before a test changed it.
class JournalTest : public testing::Test {
 protected:
  void SetUp() override {
    linked_ = MakeInstallation(app_);
    old_ = State();
    everywhere_ = testing_tools::ReadFolderState(dir_.path());
  }

  testing_tools::FolderState State() const {
    return testing_tools::ReadFolderState(app_, testing_tools::FolderDetail::ContentsModesAndTimes);
  }

  void ExpectOldTree() const {
    EXPECT_EQ(State(), old_);
    EXPECT_EQ(testing_tools::ReadFolderState(dir_.path()), everywhere_);
    EXPECT_TRUE(testing_tools::TemporaryLeftovers(dir_.path()).empty());
  }

  // The originals a pass moves aside in the program folder itself: top.txt,
  // version.ini and the link (bin/tool's waits in bin).
  size_t Originals() const { return linked_ ? 3 : 2; }

  // writer_child (writer_child.cpp) doing `args`; killed when the result goes.
  std::unique_ptr<testing_tools::StartedProgram> InChild(std::vector<std::string> args) {
    const std::string ready = scratch_ / ("ready." + std::to_string(children_++));
    args.insert(args.begin(), ready);
    std::string why;
    auto child = StartReady(WriterChildPath(), args, scratch_.path(), ready, "ok\n", &why);
    EXPECT_TRUE(child) << why;
    return child;
  }

  // The journal a killed child left, and its text.
  std::string OnlyJournal(std::string* text = nullptr) const {
    const auto journals = Named(app_, ".updater-journal.");
    EXPECT_EQ(journals.size(), 1u);
    if (journals.size() != 1) return {};
    if (text) *text = Read(app_ + "/" + journals[0]);
    return app_ + "/" + journals[0];
  }

  testing_tools::ScopedUmask umask_{022};
  testing_tools::TempDir dir_;
  testing_tools::TempDir scratch_;  // for what the tests themselves keep
  const std::string app_ = dir_ / "app";
  bool linked_ = false;
  testing_tools::FolderState old_;
  testing_tools::FolderState everywhere_;
  int children_ = 0;
};

}  // namespace writer_testing
