#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The component's list of names: the selection for extraction, the names to
// add, the output of listing.
class TWideStringList_ {
 public:
  std::vector<std::string> WStrings;
  uint32_t Count = 0;  // equals WStrings.size() after every operation

  void Clear();
  void AddString(const std::string& s);  // duplicates allowed
  // Removes the first entry equal to `s` ignoring case; the last entry takes
  // its slot, so order is not kept.
  void RemoveString(const std::string& s);
};
