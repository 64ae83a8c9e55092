#include "http/NameValueList.h"

int TNameValueList::IndexOfName(const std::string& name) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const size_t at = lines_[i].find(separator_);
    if (at != std::string::npos && SameName(lines_[i].substr(0, at), name))
      return static_cast<int>(i);
  }
  return -1;
}

std::string TNameValueList::Value(const std::string& name) const {
  const int index = IndexOfName(name);
  if (index < 0) return {};
  const std::string& line = lines_[index];
  return line.substr(line.find(separator_) + 1);
}

void TNameValueList::Put(const std::string& name, const std::string& value) {
  std::string line = name + separator_ + value;
  const int index = IndexOfName(name);
  if (index < 0)
    lines_.push_back(std::move(line));
  else
    lines_[index] = std::move(line);
}

void TNameValueList::Remove(const std::string& name) {
  const int index = IndexOfName(name);
  if (index >= 0) lines_.erase(lines_.begin() + index);
}
