#include "platform/JournalRecords.h"

#include <charconv>

namespace platform {

namespace {

constexpr char kHeaderWord[] = "updater-journal";
constexpr int kVersion = 1;

const char* const kKindWords[] = {"root",  "times",   "folder", "existed",
                                  "moved", "created", "commit"};

std::string Escape(const std::string& text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == '%' || byte == 0x7F) {
      out += '%';
      out += hex[byte >> 4];
      out += hex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(std::string_view text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    *out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return !out->empty();
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (start <= line.size()) {
    const size_t blank = line.find(' ', start);
    fields.push_back(line.substr(start, blank == std::string_view::npos ? blank : blank - start));
    if (blank == std::string_view::npos) break;
    start = blank + 1;
  }
  return fields;
}

template <class T>
bool Number(std::string_view text, T* value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseRecord(std::string_view line, JournalContents* contents) {
  const std::vector<std::string_view> f = Fields(line);
  int kind = -1;
  for (int k = 0; k <= JournalRecord::kCommit; ++k)
    if (f[0] == kKindWords[k]) kind = k;
  if (kind < 0) return false;
  if (kind == JournalRecord::kCommit) {
    contents->committed = f.size() == 1;
    return contents->committed;
  }
  JournalRecord record;
  record.kind = static_cast<JournalRecord::Kind>(kind);
  const size_t expected = kind == JournalRecord::kTimes ? 7 : kind == JournalRecord::kMoved ? 4 : 3;
  if (f.size() != expected || !Number(f[1], &record.root) || !Unescape(f[2], &record.path))
    return false;
  if (kind == JournalRecord::kRoot) {
    // Roots are numbered in the order they appear.
    if (record.root != contents->roots.size()) return false;
    contents->roots.push_back(record.path);
    return true;
  }
  if (record.root >= contents->roots.size()) return false;
  if (kind == JournalRecord::kTimes &&
      !(Number(f[3], &record.accessed.seconds) && Number(f[4], &record.accessed.nanoseconds) &&
        Number(f[5], &record.modified.seconds) && Number(f[6], &record.modified.nanoseconds)))
    return false;
  if (kind == JournalRecord::kMoved && !Unescape(f[3], &record.backup)) return false;
  if (kind == JournalRecord::kExisted) {
    auto& changes = contents->changes;
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
      if (it->kind == JournalRecord::kFolder && it->root == record.root &&
          it->path == record.path) {
        changes.erase(std::next(it).base());
        break;
      }
    }
    return true;
  }
  contents->changes.push_back(std::move(record));
  return true;
}

}  // namespace

std::string JournalHeader(uint32_t pid) {
  return std::string(kHeaderWord) + " " + std::to_string(kVersion) + " " + std::to_string(pid) +
         "\n";
}

std::string FormatRecord(const JournalRecord& record) {
  std::string line = kKindWords[record.kind];
  if (record.kind != JournalRecord::kCommit)
    line += " " + std::to_string(record.root) + " " + Escape(record.path);
  if (record.kind == JournalRecord::kTimes)
    line += " " + std::to_string(record.accessed.seconds) + " " +
            std::to_string(record.accessed.nanoseconds) + " " +
            std::to_string(record.modified.seconds) + " " +
            std::to_string(record.modified.nanoseconds);
  if (record.kind == JournalRecord::kMoved) line += " " + Escape(record.backup);
  return line + "\n";
}

bool ParseJournal(std::string_view text, JournalContents* contents) {
  *contents = JournalContents();
  size_t end = text.find('\n');
  if (end == std::string_view::npos) return false;
  const std::vector<std::string_view> header = Fields(text.substr(0, end));
  int version = 0;
  if (header.size() != 3 || header[0] != kHeaderWord || !Number(header[1], &version) ||
      version != kVersion || !Number(header[2], &contents->pid))
    return false;
  size_t start = end + 1;
  while ((end = text.find('\n', start)) != std::string_view::npos) {
    if (!ParseRecord(text.substr(start, end - start), contents)) break;
    if (contents->committed) break;
    start = end + 1;
  }
  return true;
}

}  // namespace platform
