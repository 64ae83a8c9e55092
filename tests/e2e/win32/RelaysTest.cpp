#include <gtest/gtest.h>
#include <windows.h>
// Needs windows.h first.
#include <tlhelp32.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/e2e/RelaysSupport.h"
#include "tests/tools/Wait.h"
#include "tests/tools/win32/Wine.h"

namespace {

// The processes whose parent was `pid`, by their executable names.
std::vector<std::pair<DWORD, std::wstring>> ChildrenOf(DWORD pid) {
  std::vector<std::pair<DWORD, std::wstring>> children;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return children;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (entry.th32ParentProcessID == pid)
      children.emplace_back(entry.th32ProcessID, entry.szExeFile);
  CloseHandle(snapshot);
  return children;
}

void End(DWORD pid) {
  if (const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}

// The folder itself is handed to the shell, which opens it in a window.
TEST_F(Relays, UpdaterUpWithoutANameOpensTheProgramFolder) {
  std::filesystem::copy_file(kUpdater, Path("Updater_New.exe"));
  testing_tools::StartedProgram relay(Path("Updater_New.exe"), {"UPDATER_UP"}, elsewhere_.path());
  ASSERT_TRUE(relay.started());
  const DWORD relayPid = relay.pid();
  EXPECT_EQ(relay.Wait(), 0);
  EXPECT_EQ(Content(Path("Updater.exe")), Content(kUpdater));
  const auto opened = ChildrenOf(relayPid);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(_wcsicmp(opened[0].second.c_str(), L"explorer.exe"), 0);
  for (const auto& [pid, name] : opened) End(pid);
}

// Windows refuses to replace the file of a running program but lets it be
// renamed: the old image waits beside the new one under a temporary name.
TEST_F(Relays, TheRunningImageGoesAsideUnderATemporaryName) {
  // Wine 8 lets the file of a running program be replaced, so there the copy
  // never has to set it aside.
  if (testing_tools::UnderWine()) GTEST_SKIP() << "Wine replaces a running program's file";
  std::filesystem::copy_file(kUpdater, Path("Updater.exe"));
  WriteText(Path("Updater_New.exe"), Content(kUpdater) + "new build");
  testing_tools::StartedProgram running(Path("Updater.exe"), {"LANG_CHANGE", "", "My App.exe"},
                                        elsewhere_.path());
  ASSERT_TRUE(running.started());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP", "App.exe"}), 0);
  std::vector<std::string> aside;
  for (const std::string& name : Names())
    if (name.rfind(".~Updater.exe.", 0) == 0) aside.push_back(name);
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(Content(Path(aside[0])), Content(kUpdater));
  EXPECT_EQ(Content(Path("Updater.exe")), Content(kUpdater) + "new build");
  EXPECT_EQ(running.Wait(), 0);
}

// A file that another process holds open without sharing can be neither
// replaced nor renamed: the relay leaves it whole and goes on.
TEST_F(Relays, UpdaterUpLeavesAHeldUpdaterWholeAndStillStartsTheApplication) {
  WriteText(Path("Updater.exe"), "old updater");
  std::filesystem::copy_file(kUpdater, Path("Updater_New.exe"));
  const std::string holder = Path("holder.exe");
  std::filesystem::copy_file(testing_tools::FakeMainPath(), holder);
  WriteText(holder + ".hold", Path("Updater.exe") + "\n");
  {
    testing_tools::StartedProgram holding(holder, {}, elsewhere_.path());
    ASSERT_TRUE(holding.started());
    ASSERT_TRUE(testing_tools::WaitUntil(
        [&] { return std::filesystem::exists(holder + ".holding"); }, 10000));
    EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP", "App.exe"}), 0);
  }  // the holder ends here, and the file can be read again
  EXPECT_EQ(Content(Path("Updater.exe")), "old updater");
  const auto calls = testing_tools::WaitForCalls(Path("App.exe"), 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, std::vector<std::string>{"UPDATER_UP"});
  for (const std::string& name : Names()) EXPECT_NE(name.rfind(".~", 0), 0u) << name;
}

}  // namespace
