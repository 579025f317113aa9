// Any bytes as the five result files of a project (.str, .gr, .ros, .br, .orl,
// packed one after the other), read through LoadResults. The first part holds the
// Calculated flags: bit 0 stripes, 1 window roses, 2 block roses, 3 lineaments
// (all set when it is empty). A present result must match what its file held.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/profile_text.h"
#include "fuzz_support.h"
#include "results/result_files.h"
#include "results/results.h"

namespace {

constexpr const char* kExtensions[] = {".str", ".gr", ".ros", ".br", ".orl"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& folder = linea::fuzz::ScratchFolder();
  const std::string project = folder + "results.orw";
  const std::string base = linea::ResultFileBase(project);
  auto parts = linea::fuzz::SplitInput(data, size);
  const unsigned flags = parts[0].empty() ? 0xF : parts[0][0];
  std::size_t sizes[5] = {};
  for (std::size_t i = 0; i < 5; ++i) {
    const std::string path = base + kExtensions[i];
    std::remove(path.c_str());
    if (i + 1 < parts.size()) {
      linea::fuzz::WriteScratchFile(path, parts[i + 1]);
      sizes[i] = parts[i + 1].size();
    }
  }

  linea::ProfileText profile;
  profile.SetInt("Calc stripes", "Calculated", (flags & 1) != 0);
  profile.SetInt("Calc window roses", "Calculated", (flags & 2) != 0);
  profile.SetInt("Calc Block Rose", "Calculated", (flags & 4) != 0);
  profile.SetInt("Calc lineaments", "Calculated", (flags & 8) != 0);

  linea::CResults results;
  linea::LoadResults(results, profile, project);
  if (results.hasStripes &&
      (results.stripeCodes.size() != sizes[0] || results.stripeClasses.size() != results.stripeCodes.size()))
    std::abort();
  for (std::uint8_t c : results.stripeClasses)
    if (c > 8) std::abort();
  if (results.hasGlobalRose && !(flags & 1)) std::abort();
  if (results.hasWindowRoses && (results.windowRoses.empty() || results.windowRoses.size() != sizes[2] / 2))
    std::abort();
  if (results.hasBlockRoses && results.blockRoses.empty()) std::abort();
  if (results.hasLineaments && results.lineaments.size() != sizes[4] / 10) std::abort();
  for (const char* extension : kExtensions) std::remove((base + extension).c_str());
  return 0;
}
