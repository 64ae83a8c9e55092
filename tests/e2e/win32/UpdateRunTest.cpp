// Whole update runs of the Windows Updater.exe, beside the Windows fake main
// application and 7za.dll, against the packages server of http_test_host:
// the suite writes each package's tree, the host packs it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/FileContent.h"
#include "tests/tools/Processes.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Utf8Path.h"
#include "tests/tools/Wait.h"
#include "tests/tools/faults/FolderState.h"
#include "tests/tools/win32/HostServers.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_tools;

const std::string kUpdater = std::string(UPDATER_BUILD_DIR) + "/bin/Updater.exe";
const char kUnpackFailed[] = "파일을 압축해제할 수 없습니다.\r\n잠시 후 다시 시도해 주십시오.";

// The installer's record of its one start in the program folder: its path
// without ".calls" (the installer's own path), or empty when there is not
// exactly one installer record.
std::string InstallerOf(const FolderState& state, const std::string& folder) {
  std::string found;
  for (const auto& [name, content] : state) {
    if (name.rfind("patch_", 0) != 0 || !name.ends_with(".exe.calls")) continue;
    if (!found.empty()) return {};
    found = folder + "/" + name.substr(0, name.size() - 6);
  }
  return found;
}

// The message box a process of `pid` shows: its text once it is up, and
// answered with OK; empty when none came within `timeoutMs`.
std::string AnswerMessageBox(DWORD pid, int timeoutMs) {
  struct Search {
    DWORD pid;
    HWND box = nullptr;
  } search{pid};
  const bool found = WaitUntil(
      [&] {
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
              auto* s = reinterpret_cast<Search*>(data);
              DWORD owner = 0;
              GetWindowThreadProcessId(window, &owner);
              wchar_t className[16] = {};
              GetClassNameW(window, className, 16);
              if (owner != s->pid || wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window))
                return TRUE;
              s->box = window;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.box != nullptr;
      },
      timeoutMs);
  if (!found) return {};
  // A message box's text is the static control of id 0xFFFF.
  wchar_t text[512] = {};
  GetDlgItemTextW(search.box, 0xFFFF, text, 512);
  PostMessageW(search.box, WM_COMMAND, IDOK, 0);
  return platform::WideToUtf8(text);
}

// The exit code of `program` once it ends within `timeoutMs`; otherwise a
// failure that names the message box it shows, if any, and -1.
int Ended(StartedProgram& program, int timeoutMs) {
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, program.pid());
  const bool ended = process && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
  if (process) CloseHandle(process);
  if (ended) return program.Wait();
  ADD_FAILURE() << "still running after " << timeoutMs << " ms, showing \""
                << AnswerMessageBox(program.pid(), 1000) << "\"";
  return -1;
}

class WindowsUpdateRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(U8Path(program_));
    fs::copy_file(U8Path(kUpdater), U8Path(Program("Updater.exe")));
    fs::copy_file(U8Path(UPDATER_CODEC_DLL), U8Path(Program("7za.dll")));
    fs::copy_file(U8Path(FakeMainPath()), U8Path(Program("App.exe")));
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    packages_ = std::string(test->name()) + "-" + std::to_string(GetCurrentProcessId());
    port_ = HostPort(HTTP_TEST_HOST_DIR, "packages");
    ASSERT_NE(port_, 0) << "the packages server is not up";
  }
  void TearDown() override { fs::remove_all(U8Path(PackageFolder()), ignored_); }

  std::string Program(const std::string& name) const { return program_ + "/" + name; }
  std::string PackageFolder() const {
    return std::string(HTTP_TEST_HOST_DIR) + "/packages/" + packages_;
  }
  // `files` as the package `name` ("p.7z", "p.zip"), packed with `switches`
  // of the 7z command: its URL.
  std::string Package(const std::string& name, const std::map<std::string, std::string>& files,
                      const std::string& switches = {}) {
    const std::string tree = PackageFolder() + "/" + U8Generic(U8Path(name).replace_extension());
    for (const auto& [file, content] : files) WriteFile(tree + "/" + file, content);
    if (!switches.empty()) WriteFile(tree + ".switches", switches);
    return Url(name);
  }
  // A file served as it is.
  std::string Served(const std::string& name, const std::string& content) {
    WriteFile(PackageFolder() + "/" + name, content);
    return Url(name);
  }
  std::string Url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + packages_ + "/" + name;
  }
  // A copy of the fake main application at `path`, running and holding
  // `held` open without sharing.
  std::unique_ptr<StartedProgram> StartHolding(const std::string& path,
                                               const std::vector<std::string>& held) {
    if (!fs::exists(U8Path(path))) fs::copy_file(U8Path(FakeMainPath()), U8Path(path));
    std::string lines;
    for (const std::string& file : held) lines += file + "\n";
    WriteFile(path + ".hold", lines);
    auto holder = std::make_unique<StartedProgram>(path, std::vector<std::string>{}, program_);
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(U8Path(path + ".holding")); }, 10000));
    fs::remove(U8Path(path + ".hold"));
    return holder;
  }

  TempDir dir_, elsewhere_;
  const std::string program_ = dir_ / "app";
  std::string packages_;
  int port_ = 0;
  std::error_code ignored_;
};

TEST_F(WindowsUpdateRun, SevenZipPackageWithANewUpdaterRunsTheWholeChain) {
  const std::string newUpdater = ReadFile(kUpdater) + "new build";
  const std::string url =
      Package("p.7z",
              {{"data/sub/file.txt", "new content"},
               {"data/empty.txt", ""},
               {"script.dat", "DIR CREATE made\r\nFILE DELETE old.txt\r\n"},
               {"Updater_New.exe", newUpdater}},
              "-mx1");  // packed quickly: the run waits for the answer 10 s at most
  WriteFile(Program("data/sub/file.txt"), "old content");
  WriteFile(Program("old.txt"), "to go");
  WriteFile(Program("version.ini"), "; kept\r\n[config]\r\nversion=2.0.0\r\n[ui]\r\nlang=ko\r\n");

  StartedProgram updater(Program("Updater.exe"), {"MAIN_UP", "2.1.0", "App.exe", "0", url},
                         program_);
  ASSERT_TRUE(updater.started());
  EXPECT_EQ(Ended(updater, 60000), 0);

  // The new updater replaces Updater.exe and restarts the application.
  const auto calls = WaitForCalls(Program("App.exe"), 1, 20000);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, std::vector<std::string>{"UPDATER_UP"});
  EXPECT_TRUE(WaitUntil([&] { return ReadFile(Program("Updater.exe")) == newUpdater; }, 10000));
  EXPECT_EQ(ReadFile(Program("data/sub/file.txt")), "new content");
  EXPECT_EQ(ReadFile(Program("version.ini")),
            "; kept\r\n[config]\r\nversion=2.1.0\r\n[ui]\r\nlang=ko\r\n");
  // Exactly the new installation: nothing of the run is left.
  std::vector<std::string> names;
  for (const auto& [name, content] : ReadFolderState(program_)) names.push_back(name);
  EXPECT_TRUE(TemporaryLeftovers(program_).empty());
  EXPECT_EQ(names,
            (std::vector<std::string>{"7za.dll", "App.exe", "App.exe.calls", "Updater.exe",
                                      "Updater_New.exe", "data", "data/empty.txt", "data/sub",
                                      "data/sub/file.txt", "made", "version.ini"}));
}

TEST_F(WindowsUpdateRun, ZipPackageLandsUnderTheCurrentFolderAndRestartsTheApplication) {
  const std::string url = Package("p.zip", {{"lib/x.txt", "zip entry"}});
  StartedProgram updater(Program("Updater.exe"), {"MAIN_UP", "3.0", "App.exe", "0", url},
                         elsewhere_.path());
  EXPECT_EQ(Ended(updater, 60000), 0);

  EXPECT_EQ(ReadFile(elsewhere_ / "lib/x.txt"), "zip entry");
  EXPECT_FALSE(fs::exists(U8Path(Program("lib"))));
  const auto calls = WaitForCalls(Program("App.exe"), 1, 10000);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"UPDATER_UP", "App.exe"}));
  EXPECT_NE(ReadFile(Program("version.ini")).find("version=3.0"), std::string::npos);
}

TEST_F(WindowsUpdateRun, InstallerPackageIsStartedSilentlyAndWaitedFor) {
  const std::string url = Served("setup.exe", ReadFile(FakeMainPath()));
  StartedProgram updater(Program("Updater.exe"), {"MAIN_UP", "4.0", "App.exe", "0", url}, program_);
  EXPECT_EQ(Ended(updater, 60000), 0);

  const FolderState after = ReadFolderState(program_);
  const std::string installer = InstallerOf(after, program_);
  ASSERT_FALSE(installer.empty()) << DescribeChanges({}, after);
  const auto calls = ReadCalls(installer);
  ASSERT_EQ(calls.size(), 1u);
  ASSERT_EQ(calls[0].args.size(), 2u);
  EXPECT_EQ(calls[0].args[0], "/verysilent");
  // The package's path as the updater names it, in its own separators.
  fs::path named = U8Path(calls[0].args[1].substr(calls[0].args[1].find('=') + 1));
  EXPECT_TRUE(fs::equivalent(U8Path(installer + ".calls"), U8Path(U8String(named) + ".calls")));
  EXPECT_FALSE(fs::exists(U8Path(installer)));
  EXPECT_FALSE(fs::exists(U8Path(Program("version.ini"))));
  EXPECT_TRUE(ReadCalls(Program("App.exe")).empty());
}

// The main application holds its executable and a library open without
// sharing: every attempt fails while it runs, the run ends it before the
// ninth, and the update lands.
TEST_F(WindowsUpdateRun, TheMainApplicationHoldingItsFilesIsEndedBeforeTheNinthAttempt) {
  WriteFile(Program("lib.dll"), "old library");
  const std::string url =
      Package("p.7z", {{"lib.dll", "new library"}, {"App.exe", ReadFile(FakeMainPath())}});
  auto main = StartHolding(Program("App.exe"), {Program("App.exe"), Program("lib.dll")});
  const std::string pid = std::to_string(main->pid());

  StartedProgram updater(Program("Updater.exe"), {"MAIN_UP", "2.0", "App.exe", pid, url}, program_);
  EXPECT_EQ(Ended(updater, 60000), 0);
  EXPECT_NE(Ended(*main, 5000), -1);  // the run ended it
  EXPECT_EQ(ReadFile(Program("lib.dll")), "new library");
  EXPECT_NE(ReadFile(Program("version.ini")).find("version=2.0"), std::string::npos);
  const auto calls = WaitForCalls(Program("App.exe"), 2, 10000);
  ASSERT_EQ(calls.size(), 2u);  // the holding start, then the restart
  EXPECT_EQ(calls[1].args.front(), "UPDATER_UP");
}

// Another program holds one of the files: all eleven attempts of a zip fail,
// the unpack message comes, and the installation is exactly as it was,
// including the entries the attempts had already replaced.
TEST_F(WindowsUpdateRun, AFileHeldByAnotherProgramEndsInTheMessageAndTheOldTree) {
  WriteFile(Program("a.txt"), "old a");
  WriteFile(Program("z.dll"), "old z");
  const FolderState before = ReadFolderState(program_);
  const std::string url = Package("p.zip", {{"a.txt", "new a"}, {"z.dll", "new z"}});
  auto other = StartHolding(dir_ / "Other.exe", {Program("z.dll")});

  StartedProgram updater(Program("Updater.exe"), {"MAIN_UP", "2.0", "App.exe", "0", url}, program_);
  EXPECT_EQ(AnswerMessageBox(updater.pid(), 60000), kUnpackFailed);
  EXPECT_EQ(Ended(updater, 60000), 0);
  other.reset();
  const FolderState after = ReadFolderState(program_);
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
  EXPECT_TRUE(ReadCalls(Program("App.exe")).empty());
}

// A 7z whose attempts all fail falls back to the installer of the same URL
// with ".exe", started on the old tree.
TEST_F(WindowsUpdateRun, ASevenZipThatKeepsFailingFallsBackToTheInstaller) {
  WriteFile(Program("a.txt"), "old a");
  WriteFile(Program("z.dll"), "old z");
  const FolderState before = ReadFolderState(program_);
  const std::string url = Package("p.7z", {{"a.txt", "new a"}, {"z.dll", "new z"}});
  Served("p.exe", ReadFile(FakeMainPath()));
  auto other = StartHolding(dir_ / "Other.exe", {Program("z.dll")});

  StartedProgram updater(Program("Updater.exe"), {"MAIN_UP", "2.0", "App.exe", "0", url}, program_);
  EXPECT_EQ(Ended(updater, 60000), 0);
  other.reset();  // the held file can be read again
  FolderState after = ReadFolderState(program_);
  const std::string installer = InstallerOf(after, program_);
  ASSERT_FALSE(installer.empty());
  EXPECT_EQ(ReadCalls(installer).size(), 1u);
  // Nothing else of the run: both packages are gone, the old tree is back.
  after.erase(installer.substr(program_.size() + 1) + ".calls");
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
}

// A folder where the package has a file: every attempt fails, the folder and
// what is in it are kept, and the installer of the same URL is started.
TEST_F(WindowsUpdateRun, AFolderInPlaceOfAFileIsKeptAndTheRunFallsBackToTheInstaller) {
  WriteFile(Program("data/a.txt/inside.txt"), "kept");
  WriteFile(Program("data/c.txt"), "old c");
  const FolderState before = ReadFolderState(program_);
  const std::string url = Package("p.7z", {{"data/a.txt", "new a"}, {"data/c.txt", "new c"}});
  Served("p.exe", ReadFile(FakeMainPath()));

  StartedProgram updater(Program("Updater.exe"), {"MAIN_UP", "2.0", "App.exe", "0", url}, program_);
  EXPECT_EQ(Ended(updater, 60000), 0);
  FolderState after = ReadFolderState(program_);
  // The installer's record of its start; its package is gone.
  const std::string installer = InstallerOf(after, program_);
  ASSERT_FALSE(installer.empty());
  after.erase(installer.substr(program_.size() + 1) + ".calls");
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
}

TEST_F(WindowsUpdateRun, AMissingPackageEndsInTheDownloadMessageAndLeavesNothing) {
  const FolderState before = ReadFolderState(program_);
  StartedProgram updater(Program("Updater.exe"),
                         {"MAIN_UP", "2.0", "App.exe", "0", Url("missing.7z")}, program_);
  EXPECT_EQ(AnswerMessageBox(updater.pid(), 30000),
            "파일을 다운로드 할 수 없습니다.\r\n잠시 후 다시 시도해 주십시오.");
  EXPECT_EQ(Ended(updater, 10000), 0);
  const FolderState after = ReadFolderState(program_);
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
}

// The file's identity (its inode under Wine); 0 when it cannot be read.
uint64_t FileId(const std::string& path) {
  const HANDLE file = CreateFileW(platform::Utf8ToWide(path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  return known ? (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow : 0;
}

// A run ended in the middle of unpacking leaves its journal; the next start
// of Updater.exe in that folder (here the language relay) makes the
// installation exactly what it was before it does anything else.
TEST_F(WindowsUpdateRun, KilledInTheMiddleOfUnpackingTheNextStartRestoresTheOldTree) {
  constexpr int kFiles = 12;
  std::map<std::string, std::string> newFiles;
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "data/f" + std::to_string(i) + ".bin";
    // Incompressible, so that unpacking takes long enough to be caught.
    newFiles[name] = Noise(3 << 20, 200 + i);
    WriteFile(Program(name), "old " + name);
  }
  newFiles["data/added/n.txt"] = "a file of a new folder";
  const FolderState before = ReadFolderState(program_);
  const std::string url = Package("p.7z", newFiles, "-mx1");

  std::map<std::string, uint64_t> oldIds;
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = Program("data/f" + std::to_string(i) + ".bin");
    oldIds[name] = FileId(name);
  }
  StartedProgram first(Program("Updater.exe"), {"MAIN_UP", "2.0", "App.exe", "0", url}, program_);
  bool midway = false;
  const ULONGLONG deadline = GetTickCount64() + 60000;
  while (!midway && GetTickCount64() < deadline) {
    int replaced = 0;
    for (const auto& [name, id] : oldIds) replaced += FileId(name) != id;
    midway = replaced > 0 && replaced < kFiles;
  }
  ASSERT_TRUE(midway) << "the unpacking was never seen half done";
  const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, first.pid());
  ASSERT_NE(process, nullptr);
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
  ASSERT_FALSE(ReadFolderState(program_) == before) << "the killed run changed nothing";
  ASSERT_FALSE(TemporaryLeftovers(program_).empty()) << "the killed run left no journal";

  StartedProgram relay(Program("Updater.exe"), {"LANG_CHANGE", "x", "App.exe"}, program_);
  EXPECT_EQ(Ended(relay, 30000), 0);
  FolderState after = ReadFolderState(program_);
  after.erase("App.exe.calls");  // the relay's restart
  // The killed run's package, which nobody has swept yet.
  std::erase_if(after, [](const auto& entry) { return entry.first.rfind("patch_", 0) == 0; });
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
  EXPECT_TRUE(TemporaryLeftovers(program_).empty());
}

}  // namespace
