#include "sevenzip/ExtractTargets.h"

#include <algorithm>
#include <system_error>

#include "platform/Utf8Path.h"

namespace fs = std::filesystem;

namespace {

// `path` made absolute against the current folder, with "." and ".." taken
// out by their text.
fs::path Normal(const std::string& path) {
  std::error_code ec;
  const fs::path absolute =
      path.empty() ? fs::current_path(ec) : fs::absolute(platform::U8Path(path), ec);
  return absolute.lexically_normal();
}

std::vector<std::string> Components(const fs::path& path) {
  std::vector<std::string> components;
  for (const fs::path& part : path.relative_path())
    if (!part.empty()) components.push_back(platform::U8String(part));
  return components;
}

}  // namespace

TExtractTargets::TExtractTargets(const std::string& baseDir, platform::UpdateJournal* journal)
    : FBase(Normal(baseDir)), FJournal(journal) {}

platform::Result TExtractTargets::Nearest(const fs::path& path, TTarget* target) {
  fs::path folder = path;
  std::vector<std::string> rest;
  std::error_code ec;
  // The existing part is the application's own path: links in it count.
  while (!fs::is_directory(folder, ec) && folder.has_relative_path()) {
    if (!folder.filename().empty())
      rest.insert(rest.begin(), platform::U8String(folder.filename()));
    folder = folder.parent_path();
  }
  const std::string name = platform::U8String(folder);
  std::unique_ptr<platform::ConfinedFolder>& writer = FWriters[name];
  if (!writer) {
    platform::Result result;
    writer = platform::ConfinedFolder::Open(name, &result, FJournal);
    if (!writer) return result;
  }
  target->Folder = writer.get();
  target->Components = std::move(rest);
  return {};
}

platform::Result TExtractTargets::Stored(const std::vector<std::string>& components,
                                         TTarget* target) {
  if (!FBaseFound) {
    // A base folder that is missing is made with the first item.
    platform::Result result = Nearest(FBase, &FBaseTarget);
    if (!result) return result;
    FBaseFound = true;
  }
  target->Folder = FBaseTarget.Folder;
  target->Components = FBaseTarget.Components;
  target->Components.insert(target->Components.end(), components.begin(), components.end());
  return {};
}

platform::Result TExtractTargets::Chosen(const std::string& path, TTarget* target) {
  const fs::path chosen = Normal(path);
  const std::vector<std::string> base = Components(FBase);
  const std::vector<std::string> parts = Components(chosen);
  // The same components on another drive or share are elsewhere.
  if (chosen.root_path() == FBase.root_path() && parts.size() >= base.size() &&
      std::equal(base.begin(), base.end(), parts.begin()))
    return Stored(
        std::vector<std::string>(parts.begin() + static_cast<ptrdiff_t>(base.size()), parts.end()),
        target);
  return Nearest(chosen, target);
}
