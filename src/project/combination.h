#pragma once
// The projects gathered into a rose combination: their geometry and window roses.

#include <cstdint>
#include <string>
#include <vector>

namespace linea {

class CAppHost;

struct CombinedProject {
  std::string fileName;  // the project's path as chosen
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint8_t imageType = 0;
  std::int32_t gridWidth = 0;
  std::int32_t gridHeight = 0;
  std::vector<std::uint16_t> windowRoses;
  std::int32_t roseWindow = 0;  // its rose_wind
  std::uint32_t windowRoseCount() const { return std::uint32_t(windowRoses.size()); }
  bool operator==(const CombinedProject&) const = default;
};

// Reads the project at `path` and appends it when its window roses match the
// first entry's (count, grid height and width). Failures are shown through the
// host (32838 alone, or followed by 32805, 32801 or 32806) and leave the list as it was.
bool AppendCombinedProject(std::vector<CombinedProject>& list, const std::string& path, CAppHost& host);

}  // namespace linea
