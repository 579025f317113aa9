// Surfer ASCII grid ("DSAA"), written only: grids are read by the raster import.
//
//   DSAA
//   columns rows
//   0 columns-1        x range, in pixels
//   0 rows-1           y range, in pixels
//   zmin zmax
//   one line of values per row, lowest y first
//
// The first data row of a grid is its lowest y, which readers show at the bottom,
// so the image's bottom row (the buffer's last) is written first and the grid
// reads back upright. A value is the palette index of an 8-bit pixel, or the grey
// level (red + green + blue) / 3, rounded down, of a 24-bit pixel.

#include <algorithm>
#include <charconv>

#include "imaging/codec_support.h"

namespace linea {
namespace {

int GridValue(const CImage& image, const std::uint8_t* row, int x) {
  if (image.GetBitsPerPixel() == 8) return row[x];
  const std::uint8_t* p = row + std::size_t(x) * 3;
  return (p[0] + p[1] + p[2]) / 3;
}

void AppendNumber(ByteVector& out, int value) {
  char text[16];
  auto result = std::to_chars(text, text + sizeof text, value);
  out.insert(out.end(), text, result.ptr);
}

void AppendPair(ByteVector& out, int first, int second) {
  AppendNumber(out, first);
  out.push_back(' ');
  AppendNumber(out, second);
  out.push_back('\n');
}

}  // namespace

bool IdentifyGrid(ByteSpan) { return false; }

bool WriteGrid(const CImage& image, ByteVector& out) {
  if (image.IsEmpty() || (image.GetBitsPerPixel() != 8 && image.GetBitsPerPixel() != 24)) return false;
  const int width = image.GetWidth(), height = image.GetHeight();
  int lowest = 255, highest = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int v = GridValue(image, image.Row(y), x);
      lowest = std::min(lowest, v);
      highest = std::max(highest, v);
    }
  ByteVector text;
  // At most four characters a value ("255 "); reserving avoids regrowth on big grids.
  text.reserve(std::size_t(width) * std::size_t(height) * 4 + std::size_t(height) + 64);
  const char kWord[] = "DSAA\n";
  text.insert(text.end(), kWord, kWord + 5);
  AppendPair(text, width, height);
  AppendPair(text, 0, width - 1);
  AppendPair(text, 0, height - 1);
  AppendPair(text, lowest, highest);
  for (int y = height - 1; y >= 0; --y) {
    const std::uint8_t* row = image.Row(y);
    for (int x = 0; x < width; ++x) {
      if (x) text.push_back(' ');
      AppendNumber(text, GridValue(image, row, x));
    }
    text.push_back('\n');
  }
  out = std::move(text);
  return true;
}

}  // namespace linea
