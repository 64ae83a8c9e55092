#include "sevenzip/WideStringList.h"

#include "sevenzip/FileNames.h"

void TWideStringList_::Clear() {
  WStrings.clear();
  Count = 0;
}

void TWideStringList_::AddString(const std::string& s) {
  WStrings.push_back(s);
  Count = static_cast<uint32_t>(WStrings.size());
}

void TWideStringList_::RemoveString(const std::string& s) {
  const std::string wanted = WideUpper(s);
  for (size_t i = 0; i < WStrings.size(); ++i) {
    if (!WideSameStr(WideUpper(WStrings[i]), wanted)) continue;
    WStrings[i] = std::move(WStrings.back());
    WStrings.pop_back();
    break;
  }
  Count = static_cast<uint32_t>(WStrings.size());
}
