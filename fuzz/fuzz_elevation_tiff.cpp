// Any bytes as a single-band TIFF elevation model and its GeoTIFF georeference.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "layers/geotiff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = linea::fuzz::ScratchFolder() + "model.tif";
  linea::fuzz::WriteScratchFile(path, {data, size});

  std::vector<std::uint16_t> heights;
  int width = 0, height = 0;
  if (linea::ReadElevationTiff(path, heights, width, height) == linea::ElevationTiffResult::Ok) {
    if (width < 1 || height < 1 || width > 32767 || height > 32767 ||
        heights.size() != std::size_t(width) * std::size_t(height))
      std::abort();
    for (std::uint16_t h : heights)
      if (h > 63999) std::abort();
  }
  linea::Georeference georeference;
  (void)linea::ReadGeoTiffGeoreference(path, georeference);
  std::remove(path.c_str());
  return 0;
}
