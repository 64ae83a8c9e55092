#include "platform/Ini.h"

#include <optional>
#include <vector>

#include "platform/Files.h"
#include "platform/Text.h"

namespace platform {

namespace {

// The same edits serve 8-bit text (char) and UTF-16 code units (char16_t);
// only ASCII matters to the syntax.
template <typename C>
using Text = std::basic_string<C>;

template <typename C>
C Lower(C c) {
  return c >= 'A' && c <= 'Z' ? static_cast<C>(c - 'A' + 'a') : c;
}

template <typename C>
bool Blank(C c) {
  return c == ' ' || c == '\t';
}

template <typename C>
Text<C> Trim(const Text<C>& s) {
  size_t begin = 0, end = s.size();
  while (begin < end && Blank(s[begin])) ++begin;
  while (end > begin && Blank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

template <typename C>
bool SameName(const Text<C>& a, const Text<C>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// The section a line opens, if it is a section header.
template <typename C>
bool SectionHeader(const Text<C>& line, Text<C>* name) {
  const Text<C> t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const size_t close = t.find(C(']'));
  if (close == Text<C>::npos) return false;
  *name = Trim(t.substr(1, close - 1));
  return true;
}

// The key a line sets, if it is a key line.
template <typename C>
bool KeyLine(const Text<C>& line, Text<C>* key, Text<C>* value) {
  const Text<C> t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '#') return false;
  const size_t eq = t.find(C('='));
  if (eq == Text<C>::npos) return false;
  *key = Trim(t.substr(0, eq));
  if (value) *value = Trim(t.substr(eq + 1));
  return true;
}

// A line and the end that followed it ("\r\n", "\n" or nothing), kept
// exactly as read.
template <typename C>
struct Line {
  Text<C> text;
  Text<C> end;
};

template <typename C>
std::vector<Line<C>> SplitLines(const Text<C>& content) {
  std::vector<Line<C>> lines;
  size_t start = 0;
  while (start < content.size()) {
    const size_t newline = content.find(C('\n'), start);
    if (newline == Text<C>::npos) {
      lines.push_back({content.substr(start), {}});
      break;
    }
    size_t stop = newline;
    if (stop > start && content[stop - 1] == '\r') --stop;
    lines.push_back(
        {content.substr(start, stop - start), content.substr(stop, newline + 1 - stop)});
    start = newline + 1;
  }
  return lines;
}

template <typename C>
Text<C> SetKey(const Text<C>& content, const Text<C>& section, const Text<C>& key,
               const Text<C>& value) {
  std::vector<Line<C>> lines = SplitLines(content);
  Text<C> entry = key;
  entry += C('=');
  entry += value;
  bool inSection = false;
  std::optional<size_t> insertAt;  // after the section's last non-blank line
  for (size_t i = 0; i < lines.size(); ++i) {
    Text<C> name, k;
    if (SectionHeader(lines[i].text, &name)) {
      if (inSection) break;
      inSection = SameName(name, section);
      if (inSection) insertAt = i + 1;
      continue;
    }
    if (!inSection) continue;
    if (KeyLine(lines[i].text, &k, static_cast<Text<C>*>(nullptr)) && SameName(k, key)) {
      lines[i].text = entry;
      insertAt.reset();
      break;
    }
    if (!Trim(lines[i].text).empty()) insertAt = i + 1;
  }

  bool replaced = !insertAt && inSection;
  if (!replaced) {
    // New lines end as the file's lines do; a file without line ends gets CR LF
    // where there was CR LF, else LF.
    Text<C> end;
    for (const Line<C>& line : lines)
      if (!line.end.empty()) end = line.end;
    if (end.empty()) end = Text<C>(1, C('\n'));
    std::vector<Line<C>> added;
    if (!insertAt) added.push_back({Text<C>(1, C('[')) + section + C(']'), end});
    added.push_back({entry, end});
    const size_t at = insertAt ? *insertAt : lines.size();
    // The line before the new ones may be the last one, without an end.
    if (at > 0 && lines[at - 1].end.empty()) lines[at - 1].end = end;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
  }

  Text<C> out;
  for (const Line<C>& line : lines) {
    out += line.text;
    out += line.end;
  }
  return out;
}

template <typename C>
std::optional<Text<C>> FindKey(const Text<C>& content, const Text<C>& section, const Text<C>& key) {
  bool inSection = false;
  for (const Line<C>& line : SplitLines(content)) {
    Text<C> name, k, v;
    if (SectionHeader(line.text, &name))
      inSection = SameName(name, section);
    else if (inSection && KeyLine(line.text, &k, &v) && SameName(k, key))
      return v;
  }
  return std::nullopt;
}

constexpr char kUtf16Mark[] = "\xFF\xFE";

bool IsUtf16(const std::string& content) {
  return content.size() >= 2 && content.compare(0, 2, kUtf16Mark, 2) == 0;
}

// The code units after the mark; an odd last byte is left in `tail`.
std::u16string DecodeUtf16(const std::string& content, std::string* tail) {
  std::u16string units;
  size_t i = 2;
  for (; i + 1 < content.size(); i += 2)
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(content[i]) |
                                          static_cast<unsigned char>(content[i + 1]) << 8));
  *tail = content.substr(i);
  return units;
}

std::string EncodeUtf16(const std::u16string& units, const std::string& tail) {
  std::string out(kUtf16Mark, 2);
  for (const char16_t unit : units) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out + tail;
}

}  // namespace

std::string SetProfileStringInText(const std::string& content, const std::string& section,
                                   const std::string& key, const std::string& value) {
  if (!IsUtf16(content)) return SetKey(content, section, key, value);
  std::string tail;
  const std::u16string units = DecodeUtf16(content, &tail);
  return EncodeUtf16(SetKey(units, Utf8ToUtf16(section), Utf8ToUtf16(key), Utf8ToUtf16(value)),
                     tail);
}

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback) {
  std::string content;
  if (!ReadFile(path, &content)) return fallback;
  if (!IsUtf16(content)) return FindKey(content, section, key).value_or(fallback);
  std::string tail;
  const auto found = FindKey(DecodeUtf16(content, &tail), Utf8ToUtf16(section), Utf8ToUtf16(key));
  return found ? Utf16ToUtf8(*found) : fallback;
}

}  // namespace platform
