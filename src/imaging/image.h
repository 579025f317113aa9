#pragma once
// The image object every raster of the program lives in: 8 bits per pixel with a
// 256-entry palette, or 24 bits per pixel in blue, green, red byte order. Rows are
// padded to a multiple of 4 bytes; row 0 of the buffer is the top row.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace linea {

// Format codes of Save and of the file dialogs. Raw data (-1) is handled by the
// raster import itself and never reaches the image object.
enum ImageFormat : int {
  kImageFormatRaw = -1,
  kImageFormatBmp = 0,
  kImageFormatPcx = 1,
  kImageFormatJpeg = 6,
  kImageFormatTga = 7,
  kImageFormatTiff = 8,
  kImageFormatGif = 9,
  kImageFormatGrid = 17,
  kImageFormatPng = 30,  // our own addition to the classic list
};

// Vector layers keep 16-bit coordinates, so no side may exceed this.
inline constexpr int kMaxImageSide = 32767;

// Colours are 0x00BBGGRR (red in the low byte).
constexpr std::uint32_t MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return std::uint32_t(red) | (std::uint32_t(green) << 8) | (std::uint32_t(blue) << 16);
}
constexpr std::uint8_t ColorRed(std::uint32_t c) { return std::uint8_t(c); }
constexpr std::uint8_t ColorGreen(std::uint32_t c) { return std::uint8_t(c >> 8); }
constexpr std::uint8_t ColorBlue(std::uint32_t c) { return std::uint8_t(c >> 16); }

class CImage {
 public:
  CImage() = default;  // empty: no pixels, width and height 0
  CImage(const CImage&) = default;
  CImage& operator=(const CImage&) = default;
  CImage(CImage&&) noexcept = default;
  CImage& operator=(CImage&&) noexcept = default;

  // 8 bits get a grey palette (entry i = i x 0x010101). False (image unchanged) for
  // other depths, sides outside 1..32767, or when memory is exhausted.
  bool Create(int width, int height, int bitsPerPixel);
  void DeleteObject();
  bool IsEmpty() const { return pixels_.empty(); }

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  int GetBitsPerPixel() const { return bitsPerPixel_; }
  int GetBytesPerPixel() const { return bitsPerPixel_ / 8; }
  int GetBytesPerLine() const { return bytesPerLine_; }
  std::uint8_t* GetBits() { return pixels_.empty() ? nullptr : pixels_.data(); }
  const std::uint8_t* GetBits() const { return pixels_.empty() ? nullptr : pixels_.data(); }
  std::uint8_t* Row(int y) { return pixels_.data() + std::size_t(y) * std::size_t(bytesPerLine_); }
  const std::uint8_t* Row(int y) const {
    return pixels_.data() + std::size_t(y) * std::size_t(bytesPerLine_);
  }

  // Palette entries 0..255 (meaningful for 8-bit images), colour 0x00BBGGRR.
  std::uint32_t GetColorFromIndex(int index) const;
  void SetColorForIndex(int index, std::uint32_t color);
  const std::array<std::uint32_t, 256>& Palette() const { return palette_; }

  // Pixel access; coordinates outside the image give colour 0, index -1, false.
  std::uint32_t GetColorFromPixel(int x, int y) const;  // 8-bit: the palette colour of the index
  int GetIndexFromPixel(int x, int y) const;  // 8-bit only, else -1
  bool SetColorForPixel(int x, int y, int index);  // 8-bit only, index 0..255
  // The entry at the least squared RGB distance; the first of equals.
  int FindNearestPaletteColor(std::uint32_t color) const;

  // Fills the rectangle (clipped to the image); 8-bit images take the nearest palette index.
  void Fill(int x, int y, int width, int height, std::uint32_t color);

  // Reduces a 24-bit image to 8 bits with an optimal palette (an image of at most
  // 256 colours keeps them exactly). 8-bit images are left as they are.
  bool Quantize(int bitsPerPixel);

  // Reads any supported format, recognised by content. False (image unchanged) on failure.
  bool Load(const std::string& path);
  // Writes in the given format code. False on failure; an existing file is then kept.
  bool Save(const std::string& path, int formatCode) const;

 private:
  int width_ = 0;
  int height_ = 0;
  int bitsPerPixel_ = 0;
  int bytesPerLine_ = 0;
  std::vector<std::uint8_t> pixels_;
  std::array<std::uint32_t, 256> palette_{};
};

// Bytes per line of a row of `width` pixels at `bitsPerPixel`, padded to 4.
constexpr std::int64_t PaddedRowBytes(std::int64_t width, int bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

}  // namespace linea
