#pragma once
// Small helpers of the layer tests: pixels of a 24-bit picture as colours, and
// paletted layers built from a few rows of indices.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "imaging/image.h"

namespace linea::testing {

// The pixel at (x, y) of a 24-bit image as 0x00BBGGRR.
inline std::uint32_t PixelAt(const CImage& image, int x, int y) {
  const std::uint8_t* p = image.Row(y) + std::size_t(x) * 3;
  return MakeColor(p[2], p[1], p[0]);
}

inline void FillImage(CImage& image, std::uint32_t color) {
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      std::uint8_t* p = image.Row(y) + std::size_t(x) * 3;
      p[0] = ColorBlue(color);
      p[1] = ColorGreen(color);
      p[2] = ColorRed(color);
    }
}

inline CImage MakeTarget(int width, int height, std::uint32_t color = 0) {
  CImage image;
  image.Create(width, height, 24);
  FillImage(image, color);
  return image;
}

// Palette tables of 256 entries, all used unless listed.
struct PaletteTables {
  std::vector<std::uint8_t> red = std::vector<std::uint8_t>(256, 0);
  std::vector<std::uint8_t> green = std::vector<std::uint8_t>(256, 0);
  std::vector<std::uint8_t> blue = std::vector<std::uint8_t>(256, 0);
  std::vector<std::uint8_t> used = std::vector<std::uint8_t>(256, 1);
  void Set(int index, std::uint32_t color) {
    red[index] = ColorRed(color);
    green[index] = ColorGreen(color);
    blue[index] = ColorBlue(color);
  }
};

}  // namespace linea::testing
