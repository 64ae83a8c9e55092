#include "script/QVScript.h"

#include "platform/Files.h"
#include "platform/LocaleUpper.h"
#include "platform/Process.h"
#include "script/ScriptPaths.h"
#include "script/ScriptText.h"

namespace {

// A failing line never stops the script: whatever a handler throws ends
// that line only.
template <typename Body>
void Guarded(Body body) {
  try {
    body();
  } catch (...) {
  }
}

// RUN and REGSVR32 start in the program folder, shown, owned by the desktop.
platform::ShellOpenOptions ScriptStart(const std::string& programFolder) {
  return {programFolder, platform::kShow, /*desktopOwner=*/true};
}

}  // namespace

void RunScriptFile(const std::string& fileName, const std::string& programFolder) {
  try {
    if (!IsScriptFile(fileName)) return;
    std::string bytes;
    if (!platform::ReadFile(fileName, &bytes)) return;
    RunScript(DecodeScriptBytes(bytes), programFolder);
  } catch (...) {
  }
}

void RunScript(const std::string& text, const std::string& programFolder) {
  // Only the upper-casing of a command word can throw here; it ends the run.
  try {
    for (const std::string& line : SplitScriptLines(text)) {
      const std::string trimmed = TrimLine(line);
      if (trimmed.empty()) continue;
      const TArrayString tokens = SplitByChar(trimmed, U' ');
      const std::string word = platform::LocaleUpper(ItemAt(0, tokens));
      if (word.starts_with('#')) continue;
      if (word == "FILE")
        FileCommand(tokens);
      else if (word == "DIR")
        DirCommand(tokens, programFolder);
      else if (word == "API")
        ApiCommand(tokens);
      else if (word == "RUN")
        RunCommand(tokens, programFolder);
      else if (word == "REGSVR32")
        Regsvr32Command(tokens, programFolder);
    }
  } catch (...) {
  }
}

void DeleteDirectoryTree(const std::string& path) {
  Guarded([&] {
    if (const auto tree = TreeToRemove(path)) platform::RemoveTree(*tree);
  });
}

void FileCommand(const TArrayString& tokens) {
  Guarded([&] {
    const std::string command = platform::LocaleUpper(ItemAt(1, tokens));
    const std::string source = ItemAt(2, tokens);
    const std::string target = ItemAt(3, tokens);
    if (!IsScriptFile(source)) return;
    if (command == "COPY") {
      // Through a temporary file: a failed copy leaves the old target whole,
      // and a file copied onto itself keeps its content.
      if (!target.empty()) platform::CopyFileAtomic(source, target);
    } else if (command == "DELETE") {
      platform::DeleteFile(source);
    } else if (command == "MOVE") {
      platform::MoveFileNoReplace(source, target);
    }
  });
}

void DirCommand(const TArrayString& tokens, const std::string& programFolder) {
  Guarded([&] {
    const std::string command = platform::LocaleUpper(ItemAt(1, tokens));
    const std::string path = ItemAt(2, tokens);
    if (command == "DELETE") {
      if (path.empty()) return;
      const std::string folder = InProgramFolder(path, programFolder);
      // Every form of the root is refused, not only the plain one.
      if (TreeToRemove(folder) && platform::DirectoryExists(folder)) DeleteDirectoryTree(folder);
    } else if (command == "CREATE") {
      // An existing folder is looked for where the path leads as written.
      if (platform::DirectoryExists(path)) return;
      platform::CreateDirectories(InProgramFolder(path, programFolder));
    }
  });
}

void ApiCommand(const TArrayString& tokens) {
  Guarded([&] {
    if (platform::LocaleUpper(ItemAt(1, tokens)) != "SLEEP") return;
    const uint32_t milliseconds = SleepMilliseconds(ItemAt(2, tokens));
    if (milliseconds > 0) platform::Sleep(milliseconds);
  });
}

void RunCommand(const TArrayString& tokens, const std::string& programFolder) {
  Guarded([&] {
    const std::string program = ProgramToStart(ItemAt(1, tokens), programFolder);
    if (program.empty()) return;
    // Empty tokens before the first parameter vanish; runs of blanks between
    // parameters come through as written.
    std::string parameters;
    for (size_t i = 2; i < tokens.size(); ++i) {
      if (!parameters.empty()) parameters += ' ';
      parameters += tokens[i];
    }
    platform::ShellOpen(program, parameters, ScriptStart(programFolder));
  });
}

void Regsvr32Command(const TArrayString& tokens, const std::string& programFolder) {
  Guarded([&] {
    // A Windows tool: where none is installed, there is nothing to register with.
    const std::string tool = RegistrationTool();
    if (tool.empty()) return;
    platform::ShellOpen(tool, "/n /s /i:user " + ItemAt(1, tokens), ScriptStart(programFolder));
  });
}
