// Any bytes as a raster that only GDAL reads, opened as the program opens a base
// raster: the first byte picks the extension and whether it is an elevation model
// or a greyscale image; the rest is the file.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "layers/layer_stack.h"
#include "layers/raster_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const char* const kExtensions[] = {".tif", ".hgt", ".asc", ".img"};
  const std::string path = linea::fuzz::ScratchFolder() + "model" + kExtensions[data[0] & 3];
  const int imageType = (data[0] & 4) ? linea::kImageTypeGreyscale : linea::kImageTypeElevation;
  linea::fuzz::WriteScratchFile(path, {data + 1, size - 1});

  linea::fuzz::CSilentHost host;
  linea::CLayerStack stack(host);
  linea::BaseRasterInfo info;
  const int code = linea::OpenBaseImage(host, path, stack, "base", imageType, 0, 0, 0, info);
  if (code == 0) {
    const std::uint64_t cells = std::uint64_t(info.width) * info.height;
    if (stack.LayerCount() != 1 || info.width < 1 || info.height < 1 || info.width > 32767 || info.height > 32767)
      std::abort();
    if (imageType == linea::kImageTypeElevation && info.descentGrid.size() != cells) std::abort();
  } else if (stack.LayerCount() != 0 || host.messages != 1) {
    std::abort();  // a failure shows exactly one message and adds no layer
  }
  std::remove(path.c_str());
  return 0;
}
