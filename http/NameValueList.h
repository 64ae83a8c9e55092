#pragma once

#include <string>
#include <vector>

// An unsorted list of text lines of the form Name<separator>Value that keeps
// duplicates and insertion order. Names are the text before the first
// separator, compared case-insensitively; a lookup finds the first match.
class TNameValueList {
 public:
  explicit TNameValueList(char separator = '=') : separator_(separator) {}

  const std::vector<std::string>& Lines() const { return lines_; }
  bool Empty() const { return lines_.empty(); }
  void Clear() { lines_.clear(); }
  void Add(std::string line) { lines_.push_back(std::move(line)); }

  // Index of the first line named `name`, or -1. Lines without the separator
  // have no name.
  int IndexOfName(const std::string& name) const;
  // Text after the separator of the first line named `name`, or empty.
  std::string Value(const std::string& name) const;
  // Replaces the first line named `name` by name, separator and value, or
  // appends such a line.
  void Put(const std::string& name, const std::string& value);
  // Removes the first line named `name`, if any.
  void Remove(const std::string& name);

 private:
  // Names compared as the user would: case-insensitively, by the user's
  // locale (the platform's rules).
  static bool SameName(const std::string& a, const std::string& b);

  char separator_;
  std::vector<std::string> lines_;
};
