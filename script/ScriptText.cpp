#include "script/ScriptText.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/Text.h"

namespace {

bool StartsWith(std::string_view bytes, std::string_view mark) {
  return bytes.substr(0, mark.size()) == mark;
}

std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {  // an odd last byte is no character
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(
        static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  return units;
}

std::string ValidUtf8(std::string_view bytes) {
  return platform::Utf16ToUtf8(platform::Utf8ToUtf16(bytes));
}

}  // namespace

std::string DecodeScriptBytes(std::string_view bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return ValidUtf8(bytes.substr(3));
  if (StartsWith(bytes, "\xFF\xFE"))
    return platform::Utf16ToUtf8(Utf16FromBytes(bytes.substr(2), false));
  if (StartsWith(bytes, "\xFE\xFF"))
    return platform::Utf16ToUtf8(Utf16FromBytes(bytes.substr(2), true));
  return platform::SystemCodePageToUtf8(bytes);
}

std::vector<std::string> SplitScriptLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

std::string TrimLine(std::string_view line) {
  const auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  size_t begin = 0, end = line.size();
  while (begin < end && isSpace(line[begin])) ++begin;
  while (end > begin && isSpace(line[end - 1])) --end;
  return std::string(line.substr(begin, end - begin));
}

uint32_t SleepMilliseconds(const std::string& count) {
  constexpr uint32_t kDefault = 1000;
  size_t i = 0;
  while (i < count.size() && count[i] == ' ') ++i;
  const size_t digit = (i < count.size() && (count[i] == '+' || count[i] == '-')) ? i + 1 : i;
  if (digit >= count.size() || count[digit] < '0' || count[digit] > '9') return kDefault;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(count.c_str() + i, &end, 10);
  if (*end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return kDefault;
  // The platform's sleep would read a negative count as a wait of weeks.
  return value < 0 ? 0 : static_cast<uint32_t>(value);
}
