#include "base/profile_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>

#include "base/atomic_file.h"
#include "base/binary_io.h"
#include "base/paths.h"

namespace linea {
namespace {

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

int CompareNoCase(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(FoldCase(a[i]));
    auto y = static_cast<unsigned char>(FoldCase(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// The first blank-delimited word of a text.
std::string_view FirstWord(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  std::size_t end = start;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  return text.substr(start, end - start);
}

// Reads characters from a file held in memory, as a text stream would.
class CharSource {
 public:
  explicit CharSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  int Get() { return position_ < bytes_.size() ? bytes_[position_++] : EOF; }
  void Unget() {
    if (position_ > 0) --position_;
  }
  // Like fgets with a buffer of kMaxLineLength + 1: up to and including the line
  // feed, at most kMaxLineLength characters; a longer line goes on as a new one.
  std::string Line() {
    std::string line;
    while (line.size() < std::size_t(ProfileText::kMaxLineLength)) {
      int c = Get();
      if (c == EOF) break;
      line += char(c);
      if (c == '\n') break;
    }
    return line;
  }
  // Like fscanf("%s"): skips blanks (line feeds included), then a word.
  std::string Word() {
    int c;
    do c = Get();
    while (c != EOF && IsBlank(char(c)));
    std::string word;
    while (c != EOF && !IsBlank(char(c)) && word.size() < std::size_t(ProfileText::kMaxLineLength)) {
      word += char(c);
      c = Get();
    }
    if (c != EOF) Unget();
    return word;
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

}  // namespace

long ParseLeadingLong(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    int digit = text[i] - '0';
    if (value > (LONG_MAX - digit) / 10) return negative ? LONG_MIN : LONG_MAX;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

namespace {
// Blanks, a sign and then a decimal number; `value` is what atof would give, the
// result says where reading stopped and whether a number was there.
std::from_chars_result ReadLeadingDouble(std::string_view text, double& value) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  value = 0.0;
  const char* first = text.data() + i;
  auto result = std::from_chars(first, text.data() + text.size(), value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) value = HUGE_VAL;
  else if (result.ec != std::errc()) value = 0.0;
  if (negative) value = -value;
  return result;
}
}  // namespace

double ParseLeadingDouble(std::string_view text) {
  double value = 0.0;
  ReadLeadingDouble(text, value);
  return value;
}

bool ParseWholeDouble(std::string_view text, double& value) {
  double read = 0.0;
  const auto result = ReadLeadingDouble(text, read);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(read)) return false;
  value = read;
  return true;
}

std::string FormatLong(long value) { return std::to_string(value); }

std::string FormatFixed6(double value) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) return "0.000000";
  return std::string(buffer, result.ptr);
}

ProfileSection* ProfileText::FindSection(std::string_view name) {
  for (auto& section : sections_)
    if (CompareNoCase(section.name, name) == 0) return &section;
  return nullptr;
}

const ProfileSection* ProfileText::FindSection(std::string_view name) const {
  for (const auto& section : sections_)
    if (CompareNoCase(section.name, name) == 0) return &section;
  return nullptr;
}

int ProfileText::Clear() {
  sections_.clear();
  return 0;
}

int ProfileText::Read(const std::string& path) {
  sections_.clear();
  bool stop = false;
  int current = -1;
  int result = ReadFile(path, 0, stop, current);
  for (auto& section : sections_) {
    std::stable_sort(section.entries.begin(), section.entries.end(),
                     [](const ProfileEntry& a, const ProfileEntry& b) { return CompareNoCase(a.key, b.key) < 0; });
    section.sorted = true;
  }
  return result;
}

int ProfileText::ReadFile(const std::string& path, int depth, bool& stop, int& current) {
  std::vector<std::uint8_t> bytes;
  // Includes that go deeper than any real file does are cycles; refuse them.
  if (depth > kMaxIncludeDepth) return 4;
  if (ReadFileBytes(ToNativePath(path), bytes, kMaxFileBytes) != ReadFileResult::Ok) return 4;
  CharSource source(std::move(bytes));
  bool inComment = false;
  for (int c = source.Get(); c != EOF && !stop; c = source.Get()) {
    if (c == '\n') {
      inComment = false;
      continue;
    }
    if (inComment) continue;
    if (c == ';') {
      inComment = true;
      continue;
    }
    if (IsBlank(char(c))) continue;
    if (c == '#') {
      std::string first = source.Word();
      std::string second = source.Word();
      if (!first.empty() && !second.empty() && CompareNoCase(first, "include") == 0) {
        std::string included = second;
        if (!HasSeparator(second) && HasSeparator(path)) included = FolderPart(path) + second;
        // The included file reads into the same table and may change the current section.
        int result = ReadFile(included, depth + 1, stop, current);
        if (result != 0) return result;
      }
      continue;
    }
    if (c == '[') {
      std::string rest = source.Line();
      std::size_t close = rest.find(']');
      if (int(sections_.size()) >= kMaxSections || close == std::string::npos) {
        stop = true;
        break;
      }
      // A header that names an existing section (in any case) goes on in it.
      std::string name = rest.substr(0, close);
      current = -1;
      for (std::size_t i = 0; i < sections_.size(); ++i)
        if (CompareNoCase(sections_[i].name, name) == 0) current = int(i);
      if (current < 0) {
        sections_.push_back(ProfileSection{name, false, {}});
        current = int(sections_.size()) - 1;
      }
      continue;
    }
    if (current < 0) continue;  // text before the first header is skipped
    source.Unget();
    std::string line = source.Line();
    std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string_view key = FirstWord(std::string_view(line).substr(0, equals));
    std::string_view value = FirstWord(std::string_view(line).substr(equals + 1));
    if (key.empty()) continue;
    auto& entries = sections_[std::size_t(current)].entries;
    if (int(entries.size()) >= kMaxEntries) continue;
    entries.push_back(ProfileEntry{std::string(key), std::string(value.substr(0, kMaxValueLength))});
  }
  return 0;
}

std::optional<std::string> ProfileText::GetText(std::string_view section, std::string_view key) const {
  const ProfileSection* found = FindSection(section);
  if (!found) return std::nullopt;
  for (const auto& entry : found->entries)
    if (CompareNoCase(entry.key, key) == 0) return entry.value;
  return std::nullopt;
}

long ProfileText::GetInt(std::string_view section, std::string_view key) const {
  auto text = GetText(section, key);
  return text ? ParseLeadingLong(*text) : 0;
}

double ProfileText::GetDouble(std::string_view section, std::string_view key) const {
  auto text = GetText(section, key);
  return text ? ParseLeadingDouble(*text) : 0.0;
}

int ProfileText::SetText(std::string_view section, std::string_view key, std::string_view value) {
  ProfileSection* target = FindSection(section);
  if (!target) {
    if (int(sections_.size()) >= kMaxSections) return 8;
    sections_.push_back(ProfileSection{std::string(section), false, {}});
    target = &sections_.back();
  }
  std::string stored(value.substr(0, kMaxValueLength));
  if (target->sorted) {
    auto at = std::lower_bound(target->entries.begin(), target->entries.end(), key,
                               [](const ProfileEntry& e, std::string_view k) { return CompareNoCase(e.key, k) < 0; });
    if (at != target->entries.end() && CompareNoCase(at->key, key) == 0) {
      at->value = std::move(stored);
      return 0;
    }
    if (int(target->entries.size()) >= kMaxEntries) return 8;
    target->entries.insert(at, ProfileEntry{std::string(key), std::move(stored)});
    return 0;
  }
  if (int(target->entries.size()) >= kMaxEntries) return 8;
  target->entries.push_back(ProfileEntry{std::string(key), std::move(stored)});
  return 0;
}

int ProfileText::ReplaceText(std::string_view section, std::string_view key, std::string_view value) {
  if (ProfileSection* target = FindSection(section))
    for (auto& entry : target->entries)
      if (CompareNoCase(entry.key, key) == 0) {
        entry.value = std::string(value.substr(0, kMaxValueLength));
        return 0;
      }
  return SetText(section, key, value);
}

int ProfileText::SetInt(std::string_view section, std::string_view key, long value) {
  return SetText(section, key, FormatLong(value));
}

int ProfileText::SetDouble(std::string_view section, std::string_view key, double value) {
  return SetText(section, key, FormatFixed6(value));
}

std::string ProfileText::Serialize(std::time_t createdAt) const {
  std::string dashes(78, '-');
  std::tm local{};
  localtime_r(&createdAt, &local);
  // The C library's 24-character form plus its line feed, as asctime writes it,
  // with English names whatever the locale.
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char date[64] = {};
  std::snprintf(date, sizeof date, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[(local.tm_wday % 7 + 7) % 7],
                kMonths[(local.tm_mon % 12 + 12) % 12], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                1900 + local.tm_year);
  std::string text = ";" + dashes + "\n; Linea workspace file created by Linea " + date + ";" + dashes + "\n";
  for (const auto& section : sections_) {
    text += "\n[" + section.name + "]\n";
    for (const auto& entry : section.entries) text += entry.key + " = " + entry.value + "\n";
  }
  return text;
}

int ProfileText::Write(const std::string& path, std::time_t createdAt) const {
  return WriteFileAtomically(path, Serialize(createdAt));
}

int ProfileText::Write(const std::string& path) const { return Write(path, std::time(nullptr)); }

}  // namespace linea
