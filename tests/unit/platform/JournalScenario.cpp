#include "tests/unit/platform/JournalScenario.h"

#include <cstdio>

#include "platform/ConfinedFolder.h"
#include "platform/UpdateJournal.h"
#include "tests/unit/platform/WriterTesting.h"

namespace writer_testing {

bool MakeInstallation(const std::string& app) {
  Write(app + "/Updater.exe", "updater");
  Write(app + "/top.txt", "old top");
  Write(app + "/bin/tool", "old tool");
  Write(app + "/lib/deep/data.bin", "old data");
  Write(app + "/lib/keep.cfg", "mine");
  Write(app + "/version.ini", "[config]\nversion=1\n");
  const bool linked = MakeLink(app + "/link", "top.txt", false);
  SetMode(app + "/top.txt", 0440);
  SetMode(app + "/bin/tool", 0755);
  SetMode(app + "/version.ini", 0600);
  for (const char* path : {"top.txt", "bin/tool", "lib/deep/data.bin", "link", "lib/deep", "lib",
                           "bin", "version.ini"})
    SetTimes(app + "/" + path, 1'000'000'000);
  return linked;
}

bool Put(platform::ConfinedFolder& folder, const std::vector<std::string>& path,
         const std::string& content, std::optional<uint32_t> mode) {
  platform::Result result;
  auto file = folder.CreateFile(path, &result);
  if (file) result = file->Write(content.data(), content.size());
  if (result) result = file->Commit(mode, platform::FileTime{1'500'000'000, 500});
  if (!result) std::fprintf(stderr, "%s\n", result.text().c_str());
  return result.ok();
}

bool Pass(platform::UpdateJournal& journal, const std::string& base, const std::string& label) {
  platform::Result result;
  auto folder = journal.OpenFolder(base, &result);
  if (!folder) std::fprintf(stderr, "%s\n", result.text().c_str());
  return folder && Put(*folder, {"top.txt"}, "top " + label, 0600) &&
         Put(*folder, {"bin", "tool"}, "tool " + label, 0777) &&
         Put(*folder, {"link"}, "link " + label, 0644) &&
         Put(*folder, {"new.txt"}, "new " + label, 0444) &&
         Put(*folder, {"new", "a", "b", "f.txt"}, "f " + label, 0644) &&
         Put(*folder, {"lib", "deep", "more.txt"}, "more " + label, std::nullopt) &&
         folder->CreateFolders({"empty", "folder"}, 0750) &&
         Put(*folder, {"version.ini"}, "[config]\nversion=" + label + "\n", std::nullopt);
}

testing_tools::FolderState NewTree(const std::string& label) {
  return {{"Updater.exe", "updater"},
          {"bin", "<folder>"},
          {"bin/tool", "tool " + label},
          {"empty", "<folder>"},
          {"empty/folder", "<folder>"},
          {"lib", "<folder>"},
          {"lib/deep", "<folder>"},
          {"lib/deep/data.bin", "old data"},
          {"lib/deep/more.txt", "more " + label},
          {"lib/keep.cfg", "mine"},
          {"link", "link " + label},
          {"new", "<folder>"},
          {"new/a", "<folder>"},
          {"new/a/b", "<folder>"},
          {"new/a/b/f.txt", "f " + label},
          {"new.txt", "new " + label},
          {"top.txt", "top " + label},
          {"version.ini", "[config]\nversion=" + label + "\n"}};
}

}  // namespace writer_testing
