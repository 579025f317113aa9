// Any bytes as the two small files beside a raster: its world file and its
// description file. The first byte is the image's width, the second its height.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "layers/raster_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string image = linea::fuzz::ScratchFolder() + "map.tif";
  const std::string world = linea::WorldFilePath(image);
  const std::string description = linea::fuzz::ScratchFolder() + "map.txo";
  linea::fuzz::WriteScratchFile(world, {data + 2, size - 2});
  linea::fuzz::WriteScratchFile(description, {data + 2, size - 2});

  linea::Georeference georeference;
  if (linea::ReadWorldFile(world, data[0], data[1], georeference) != georeference.known) std::abort();
  std::string text;
  if (!linea::ReadDescriptionFile(image, text)) std::abort();  // the file is there
  // Windows-1251 text becomes UTF-8: at most three bytes for each byte read.
  if (text.size() > 3 * (size - 2)) std::abort();
  std::remove(world.c_str());
  std::remove(description.c_str());
  return 0;
}
