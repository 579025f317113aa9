// Any bytes as a whole project folder opened with CWorkspace::LoadProject: the
// project file, its five result files, and two rasters it may name ("base.raw"
// and "base.tif"), packed one after the other. A project that cannot be opened
// leaves the workspace reset; one that opens holds only what its files hold.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "project/workspace.h"

namespace {

constexpr const char* kNames[] = {"p.orw", "p.str", "p.gr", "p.ros", "p.br", "p.orl", "base.raw", "base.tif"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& folder = linea::fuzz::ScratchFolder();
  auto parts = linea::fuzz::SplitInput(data, size);
  for (std::size_t i = 0; i < std::size(kNames); ++i) {
    const std::string path = folder + kNames[i];
    std::remove(path.c_str());
    if (i < parts.size()) linea::fuzz::WriteScratchFile(path, parts[i]);
  }

  linea::fuzz::CSilentHost host;
  linea::CWorkspace workspace(host);
  const bool opened = workspace.LoadProject(folder + kNames[0]);
  const auto& results = workspace.results;
  if (!opened) {
    if (host.messages != 1 || workspace.layerStack.LayerCount() != 0 || results.hasStripes ||
        results.hasWindowRoses || results.hasBlockRoses || results.hasLineaments || results.hasGlobalRose)
      std::abort();
  } else {
    if (results.hasStripes && results.stripeClasses.size() != results.stripeCodes.size()) std::abort();
    if (results.hasWindowRoses && results.windowRoses.empty()) std::abort();
    if (results.hasBlockRoses && results.blockRoses.empty()) std::abort();
  }
  for (const char* name : kNames) std::remove((folder + name).c_str());
  return 0;
}
