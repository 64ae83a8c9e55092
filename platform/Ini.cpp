#include "platform/Ini.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/Files.h"

namespace platform {

namespace {

std::string Trim(const std::string& s) {
  const auto begin = s.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  const auto end = s.find_last_not_of(" \t");
  return s.substr(begin, end - begin + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The section a line opens, if it is a section header.
bool SectionHeader(const std::string& line, std::string* name) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const auto close = t.find(']');
  if (close == std::string::npos) return false;
  *name = Trim(t.substr(1, close - 1));
  return true;
}

// The key a line sets, if it is a key line.
bool KeyLine(const std::string& line, std::string* key, std::string* value) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '#') return false;
  const auto eq = t.find('=');
  if (eq == std::string::npos) return false;
  *key = Trim(t.substr(0, eq));
  if (value) *value = Trim(t.substr(eq + 1));
  return true;
}

struct IniText {
  std::vector<std::string> lines;
  std::string eol = "\n";
  bool endsWithEol = true;
};

IniText Load(const std::string& path) {
  IniText ini;
  std::ifstream in(path, std::ios::binary);
  if (!in) return ini;
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  if (text.find("\r\n") != std::string::npos) ini.eol = "\r\n";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      ini.lines.push_back(text.substr(start));
      ini.endsWithEol = false;
      break;
    }
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ini.lines.push_back(std::move(line));
    start = end + 1;
  }
  return ini;
}

}  // namespace

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
  IniText ini = Load(path);
  const std::string entry = key + "=" + value;
  std::string current;
  bool inSection = false;
  std::optional<size_t> insertAt;  // after the section's last non-blank line
  bool done = false;
  for (size_t i = 0; i < ini.lines.size() && !done; ++i) {
    std::string name, k;
    if (SectionHeader(ini.lines[i], &name)) {
      if (inSection) break;
      inSection = SameName(name, section);
      if (inSection) insertAt = i + 1;
      continue;
    }
    if (!inSection) continue;
    if (KeyLine(ini.lines[i], &k, nullptr) && SameName(k, key)) {
      ini.lines[i] = entry;
      done = true;
    } else if (!Trim(ini.lines[i]).empty()) {
      insertAt = i + 1;
    }
  }
  if (!done) {
    if (insertAt) {
      ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(*insertAt), entry);
    } else {
      ini.lines.push_back("[" + section + "]");
      ini.lines.push_back(entry);
    }
  }
  std::string out;
  for (size_t i = 0; i < ini.lines.size(); ++i) {
    out += ini.lines[i];
    if (i + 1 < ini.lines.size() || ini.endsWithEol || !done) out += ini.eol;
  }
  return WriteFileAtomic(path, out);
}

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback) {
  const IniText ini = Load(path);
  bool inSection = false;
  for (const auto& line : ini.lines) {
    std::string name, k, v;
    if (SectionHeader(line, &name)) {
      inSection = SameName(name, section);
    } else if (inSection && KeyLine(line, &k, &v) && SameName(k, key)) {
      return v;
    }
  }
  return fallback;
}

}  // namespace platform
