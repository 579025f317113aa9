// Any bytes as an ASCII grid (".grd", "DSAA") read by ReadGrid.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "layers/raster_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = linea::fuzz::ScratchFolder() + "model.grd";
  linea::fuzz::WriteScratchFile(path, {data, size});

  linea::fuzz::CSilentHost host;
  std::vector<std::uint16_t> samples;
  int width = 0, height = 0;
  linea::GridExtent extent;
  const int code = linea::ReadGrid(host, path, samples, width, height, extent);
  if (code == 0) {
    if (host.messages != 0 || width < 1 || height < 1 || samples.size() != std::size_t(width) * std::size_t(height))
      std::abort();
  } else if (code != 1 || host.messages != 1 || !samples.empty()) {
    std::abort();
  }
  std::remove(path.c_str());
  return 0;
}
