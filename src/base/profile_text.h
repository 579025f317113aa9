#pragma once
// Sectioned "key = value" text, the syntax of project files: an in-memory table
// of up to 16 sections of up to 160 entries, looked up without regard to case.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace linea {

struct ProfileEntry {
  std::string key;
  std::string value;
};

struct ProfileSection {
  std::string name;
  bool sorted = false;  // sorted by key: adding an existing key replaces its value
  std::vector<ProfileEntry> entries;
};

class ProfileText {
 public:
  static constexpr int kMaxSections = 16;
  static constexpr int kMaxEntries = 160;
  // Longest line and value kept whole. The classic 79/99-character limits cut long
  // image paths, so they are raised; files within the old limits read the same.
  static constexpr int kMaxLineLength = 4095;
  static constexpr int kMaxValueLength = 4095;
  static constexpr int kMaxIncludeDepth = 8;
  static constexpr std::size_t kMaxFileBytes = std::size_t(16) << 20;

  // Replaces the contents by the file, then sorts every section. 4 when the file
  // (or an included one) cannot be opened, otherwise 0, also when reading stopped early.
  int Read(const std::string& path);
  // An empty, unsorted table.
  int Clear();

  std::optional<std::string> GetText(std::string_view section, std::string_view key) const;
  // Leading decimal digits (with sign) of the value; 0 when missing.
  long GetInt(std::string_view section, std::string_view key) const;
  // The value as a decimal number; 0.0 when missing.
  double GetDouble(std::string_view section, std::string_view key) const;

  // 8 when a 17th section or a 161st entry would be needed.
  int SetText(std::string_view section, std::string_view key, std::string_view value);
  int SetInt(std::string_view section, std::string_view key, long value);
  // Changes the first entry of the key (in either kind of section), or adds it.
  int ReplaceText(std::string_view section, std::string_view key, std::string_view value);
  int SetDouble(std::string_view section, std::string_view key, double value);

  // Writes the whole table with its three-line header (atomically). 4 when the
  // file cannot be created, 6 when it cannot be written completely.
  int Write(const std::string& path) const;
  int Write(const std::string& path, std::time_t createdAt) const;
  std::string Serialize(std::time_t createdAt) const;

  const std::vector<ProfileSection>& Sections() const { return sections_; }

 private:
  int ReadFile(const std::string& path, int depth, bool& stop, int& current);
  ProfileSection* FindSection(std::string_view name);
  const ProfileSection* FindSection(std::string_view name) const;

  std::vector<ProfileSection> sections_;
};

// Number texts as the project file writes them: "%ld" and "%lf", independent of
// the process locale.
std::string FormatLong(long value);
std::string FormatFixed6(double value);
// atol/atof-style conversions (leading number, rest ignored; 0 when none),
// independent of the process locale.
long ParseLeadingLong(std::string_view text);
double ParseLeadingDouble(std::string_view text);
// A whole text that is one finite decimal number (leading blanks and a sign
// allowed, nothing after it), as command-line options are read. False leaves
// `value` unchanged.
bool ParseWholeDouble(std::string_view text, double& value);

}  // namespace linea
