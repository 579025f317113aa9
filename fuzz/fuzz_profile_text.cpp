// Any bytes as a project-style text file, with up to two more files it may
// include, all inside a scratch folder. Besides the sanitizers' checks: the limits
// of the table hold, and a table of short lines survives writing and reading back.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/profile_text.h"
#include "fuzz_support.h"

using linea::ProfileText;

namespace {

bool SameTables(const ProfileText& a, const ProfileText& b) {
  const auto& x = a.Sections();
  const auto& y = b.Sections();
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (x[i].name != y[i].name || x[i].entries.size() != y[i].entries.size()) return false;
    for (std::size_t j = 0; j < x[i].entries.size(); ++j)
      if (x[i].entries[j].key != y[i].entries[j].key || x[i].entries[j].value != y[i].entries[j].value) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& folder = linea::fuzz::ScratchFolder();
  const std::string names[] = {folder + "main.orw", folder + "a.inc", folder + "b.inc"};
  auto parts = linea::fuzz::SplitInput(data, size);
  for (std::size_t i = 0; i < 3; ++i) {
    std::remove(names[i].c_str());
    if (i < parts.size()) linea::fuzz::WriteScratchFile(names[i], parts[i]);
  }

  ProfileText profile;
  const int code = profile.Read(names[0]);
  if (code != 0 && code != 4) std::abort();
  if (profile.Sections().size() > std::size_t(ProfileText::kMaxSections)) std::abort();
  bool shortLines = true;
  for (const auto& section : profile.Sections()) {
    if (!section.sorted || section.entries.size() > std::size_t(ProfileText::kMaxEntries)) std::abort();
    if (section.name.size() + 3 > std::size_t(ProfileText::kMaxLineLength)) shortLines = false;
    for (const auto& entry : section.entries) {
      if (entry.key.empty() || entry.value.size() > std::size_t(ProfileText::kMaxValueLength)) std::abort();
      if (entry.key.size() + entry.value.size() + 4 > std::size_t(ProfileText::kMaxLineLength)) shortLines = false;
      (void)profile.GetInt(section.name, entry.key);
      (void)profile.GetDouble(section.name, entry.key);
    }
  }

  if (code == 0 && shortLines) {
    const std::string again = folder + "again.orw";
    if (profile.Write(again, 0) != 0) std::abort();
    ProfileText reread;
    if (reread.Read(again) != 0 || !SameTables(profile, reread)) std::abort();
    std::remove(again.c_str());
  }
  for (const auto& name : names) std::remove(name.c_str());
  return 0;
}
