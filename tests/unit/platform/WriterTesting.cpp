#include "tests/unit/platform/WriterTesting.h"

#include <fstream>
#include <iterator>

#include "tests/tools/Wait.h"

namespace writer_testing {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& text) {
  fs::create_directories(Native(path).parent_path());
  std::ofstream(Native(path), std::ios::binary) << text;
}

std::string Read(const std::string& path) {
  std::ifstream in(Native(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Named(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Native(folder))) {
    const std::string name = testing_tools::U8String(entry.path().filename());
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  return names;
}

std::unique_ptr<testing_tools::StartedProgram> StartReady(
    const std::string& program, const std::vector<std::string>& args, const std::string& folder,
    const std::string& ready, const std::string& expected, std::string* why) {
  auto child = std::make_unique<testing_tools::StartedProgram>(program, args, folder);
  if (!child->started()) {
    *why = "cannot start " + program;
    return nullptr;
  }
  std::string said;
  testing_tools::WaitUntil([&] { return !(said = Read(ready)).empty(); }, 60'000);
  if (said == expected) return child;
  *why = program + (said.empty() ? " was not ready in time" : " says: " + said);
  return nullptr;
}

std::string WriterChildPath() {
  return std::string(UPDATER_BUILD_DIR) + "/bin/" + WRITER_CHILD_NAME;
}

}  // namespace writer_testing
