// Any bytes as a headerless raw raster read by ReadRaw. The first five bytes say
// how it is opened: the image type, then width and height (16-bit; 0 asks for the
// size, which the host answers with its proposal), and bytes per sample.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "layers/raster_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  const int imageType = 1 + data[0] % 3;
  int width = data[1] | (data[2] << 8);
  int height = data[3] | (data[4] << 8);
  int bytesPerSample = data[5] % 3;
  const std::string path = linea::fuzz::ScratchFolder() + "raster.raw";
  linea::fuzz::WriteScratchFile(path, {data + 6, size - 6});

  linea::fuzz::CSilentHost host;
  std::vector<std::uint8_t> pixels;
  const int code = linea::ReadRaw(host, path, imageType, pixels, width, height, bytesPerSample);
  if (code == 0) {
    if (host.messages != 0 || (bytesPerSample != 1 && bytesPerSample != 2) ||
        pixels.size() != std::size_t(width) * std::size_t(height) * std::size_t(bytesPerSample))
      std::abort();
  } else if (code != 1 || host.messages != 1 || !pixels.empty()) {
    std::abort();  // a failure shows exactly one message and gives no data
  }
  std::remove(path.c_str());
  return 0;
}
