// The main application of the demo. Started plainly, it hands over to its
// updater as a real application does once it has learnt of a new release:
// it starts "Updater.exe MAIN_UP <version> <own name> <own pid> <url>" with
// the release named in "update.ini" beside it, and exits. Started by the
// updater ("UPDATER_UP" or "LANG_CHANGE" first), it appends what it received
// to "restarts.txt" beside it and exits.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Process.h"

namespace {

std::string OwnName() {
  const std::string path = platform::ExecutablePath();
  return path.substr(path.rfind(platform::kPathSeparator) + 1);
}

std::string InstalledVersion(const std::string& folder) {
  return platform::ReadProfileString(folder + "version.ini", "config", "version", "(none)");
}

int RecordRestart(int argc, char** argv, const std::string& folder) {
  std::string args;
  for (int i = 1; i < argc; ++i) args += (i > 1 ? " [" : "[") + std::string(argv[i]) + "]";
  std::ofstream out(folder + "restarts.txt", std::ios::app);
  out << "arguments: " << args << '\n'
      << "folder:    " << platform::CurrentDirectory() << '\n'
      << "version:   " << InstalledVersion(folder) << '\n';
  return out ? 0 : 1;
}

int StartUpdate(const std::string& folder) {
  const std::string release = folder + "update.ini";
  const std::string version = platform::ReadProfileString(release, "release", "version");
  const std::string url = platform::ReadProfileString(release, "release", "url");
  if (version.empty() || url.empty()) {
    std::fprintf(stderr, "%s: no release named in %s\n", OwnName().c_str(), release.c_str());
    return 1;
  }
  const std::vector<std::string> args = {"MAIN_UP", version, OwnName(), std::to_string(getpid()),
                                         url};
  std::printf("%s %s is running; release %s is out.\n  starting: Updater.exe", OwnName().c_str(),
              InstalledVersion(folder).c_str(), version.c_str());
  for (const auto& arg : args) {
    const bool blank = arg.find(' ') != std::string::npos;
    std::printf(blank ? " \"%s\"" : " %s", arg.c_str());
  }
  std::printf("\n");
  std::fflush(stdout);

  platform::StartOptions options;
  options.newSession = true;  // the updater must outlive us
  uint32_t pid = 0;
  const int error = platform::StartProgram(folder + "Updater.exe", args, options, &pid);
  if (error != 0) {
    std::fprintf(stderr, "could not start Updater.exe (error %d)\n", error);
    return 1;
  }
  std::printf("  Updater.exe runs as process %u; %s exits to let it replace files.\n", pid,
              OwnName().c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = platform::ProgramFolder();
  const std::string word = argc > 1 ? argv[1] : "";
  if (word == "UPDATER_UP" || word == "LANG_CHANGE") return RecordRestart(argc, argv, folder);
  return StartUpdate(folder);
}
