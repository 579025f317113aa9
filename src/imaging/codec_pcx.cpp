// ZSoft PCX. Reads 8-bit images with the 256-colour palette at the end, 24-bit
// images as three 8-bit planes (a fourth, alpha, plane is dropped), and the old
// 1-bit monochrome, 1-bit x 2..4 planes and 2/4-bit images with the header's
// 16-colour palette; RLE or uncompressed. Writes 8-bit and 24-bit RLE files.

#include <algorithm>
#include <cstring>

#include "base/binary_io.h"
#include "base/checked_alloc.h"
#include "imaging/codec_support.h"

namespace linea {
namespace {

constexpr std::size_t kHeaderBytes = 128;
constexpr std::size_t kPaletteBytes = 769;  // marker 0x0C then 256 x R, G, B
constexpr std::uint8_t kPaletteMarker = 0x0C;

// Continues the RLE stream across scanlines: many writers let runs cross them.
class CPcxDecoder {
 public:
  CPcxDecoder(ByteSpan data, bool compressed) : data_(data), compressed_(compressed) {}
  // Fills `line`; false when the data ends first.
  bool Fill(std::uint8_t* line, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
      if (runLeft_) {
        std::size_t take = std::min<std::size_t>(runLeft_, size - filled);
        std::memset(line + filled, runValue_, take);
        filled += take;
        runLeft_ -= take;
        continue;
      }
      if (pos_ >= data_.size()) return false;
      std::uint8_t byte = data_[pos_++];
      if (!compressed_ || (byte & 0xC0) != 0xC0) {
        line[filled++] = byte;
        continue;
      }
      if (pos_ >= data_.size()) return false;
      runLeft_ = byte & 0x3F;
      runValue_ = data_[pos_++];
    }
    return true;
  }

 private:
  ByteSpan data_;
  bool compressed_;
  std::size_t pos_ = 0;
  std::size_t runLeft_ = 0;
  std::uint8_t runValue_ = 0;
};

void EncodeLine(const std::uint8_t* line, std::size_t size, ByteVector& out) {
  for (std::size_t i = 0; i < size;) {
    std::uint8_t value = line[i];
    std::size_t run = 1;
    while (i + run < size && line[i + run] == value && run < 63) ++run;
    if (run > 1 || (value & 0xC0) == 0xC0) out.push_back(std::uint8_t(0xC0 | run));
    out.push_back(value);
    i += run;
  }
}

}  // namespace

bool IdentifyPcx(ByteSpan head) {
  if (head.size() < kHeaderBytes || head[0] != 0x0A) return false;
  const std::uint8_t version = head[1], encoding = head[2], bits = head[3];
  return (version <= 5 && version != 1) && encoding <= 1 &&
         (bits == 1 || bits == 2 || bits == 4 || bits == 8) && head[65] >= 1 && head[65] <= 4;
}

bool ReadPcx(ByteSpan file, CImage& out) {
  if (!IdentifyPcx(file)) return false;
  const std::uint8_t* h = file.data();
  const int bits = h[3], planes = h[65];
  const std::int64_t width = std::int64_t(GetLE16(h + 8)) - GetLE16(h + 4) + 1;
  const std::int64_t height = std::int64_t(GetLE16(h + 10)) - GetLE16(h + 6) + 1;
  const std::size_t bytesPerLine = GetLE16(h + 66);
  if (!IsValidImageSide(width) || !IsValidImageSide(height)) return false;
  if (bytesPerLine < (std::size_t(width) * bits + 7) / 8) return false;

  const bool trueColor = bits == 8 && (planes == 3 || planes == 4);
  const bool withEndPalette = bits == 8 && planes == 1;
  const bool planarBits = bits == 1 || (planes == 1 && (bits == 2 || bits == 4));
  if (!trueColor && !withEndPalette && !planarBits) return false;

  ByteSpan data = file.subspan(kHeaderBytes);
  if (withEndPalette) {
    if (file.size() < kHeaderBytes + kPaletteBytes || file[file.size() - kPaletteBytes] != kPaletteMarker)
      return false;
    data = file.subspan(kHeaderBytes, file.size() - kHeaderBytes - kPaletteBytes);
  }
  const std::size_t lineBytes = bytesPerLine * std::size_t(planes);
  auto decodedBytes = CheckedMultiply(lineBytes, std::uint64_t(height));
  if (!decodedBytes || !DecodedSizeIsPlausible(file.size(), *decodedBytes)) return false;
  if (!DecodedSizeIsPlausible(file.size(), ImageBufferBytes(width, height, trueColor ? 24 : 8))) return false;

  CImage image;
  ByteVector line;
  if (!image.Create(int(width), int(height), trueColor ? 24 : 8) || !TryResize(line, lineBytes)) return false;
  if (withEndPalette) {
    const std::uint8_t* pal = file.data() + file.size() - kPaletteBytes + 1;
    for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, MakeColor(pal[3 * i], pal[3 * i + 1], pal[3 * i + 2]));
  } else if (planarBits) {
    for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, 0);
    if (bits == 1 && planes == 1) {
      image.SetColorForIndex(1, MakeColor(255, 255, 255));
    } else {
      for (int i = 0; i < 16; ++i)
        image.SetColorForIndex(i, MakeColor(h[16 + 3 * i], h[17 + 3 * i], h[18 + 3 * i]));
    }
  }

  CPcxDecoder decoder(data, h[2] == 1);
  for (int y = 0; y < int(height); ++y) {
    if (!decoder.Fill(line.data(), lineBytes)) return false;
    std::uint8_t* dst = image.Row(y);
    if (trueColor) {
      const std::uint8_t* r = line.data();
      const std::uint8_t* g = r + bytesPerLine;
      const std::uint8_t* b = g + bytesPerLine;
      for (int x = 0; x < int(width); ++x, dst += 3) {
        dst[0] = b[x];
        dst[1] = g[x];
        dst[2] = r[x];
      }
    } else if (withEndPalette) {
      std::memcpy(dst, line.data(), std::size_t(width));
    } else {
      // Plane p gives bit p of the index; within a plane, pixels are packed MSB first.
      const int perByte = 8 / bits, valueMask = (1 << bits) - 1;
      for (int x = 0; x < int(width); ++x) {
        int shift = 8 - bits * (x % perByte + 1), index = 0;
        for (int plane = 0; plane < planes; ++plane)
          index |= ((line[std::size_t(plane) * bytesPerLine + std::size_t(x / perByte)] >> shift) & valueMask)
                   << (plane * bits);
        dst[x] = std::uint8_t(index);
      }
    }
  }
  out = std::move(image);
  return true;
}

bool WritePcx(const CImage& image, ByteVector& out) {
  const int bits = image.GetBitsPerPixel();
  if (image.IsEmpty() || (bits != 8 && bits != 24)) return false;
  const int width = image.GetWidth(), height = image.GetHeight(), planes = bits == 8 ? 1 : 3;
  const std::size_t bytesPerLine = std::size_t(width + (width & 1));  // even, as readers expect

  ByteVector bytes(kHeaderBytes, 0);
  bytes[0] = 0x0A;
  bytes[1] = 5;  // version 3.0 and later
  bytes[2] = 1;  // RLE
  bytes[3] = 8;
  PutLE16(&bytes[8], std::uint16_t(width - 1));
  PutLE16(&bytes[10], std::uint16_t(height - 1));
  PutLE16(&bytes[12], 72);
  PutLE16(&bytes[14], 72);
  bytes[65] = std::uint8_t(planes);
  PutLE16(&bytes[66], std::uint16_t(bytesPerLine));
  PutLE16(&bytes[68], 1);  // colour palette

  ByteVector line(bytesPerLine, 0);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* src = image.Row(y);
    if (bits == 8) {
      std::memcpy(line.data(), src, std::size_t(width));
      EncodeLine(line.data(), bytesPerLine, bytes);
      continue;
    }
    for (int plane = 0; plane < 3; ++plane) {
      const int offset = 2 - plane;  // red, green, blue planes from B, G, R pixels
      for (int x = 0; x < width; ++x) line[std::size_t(x)] = src[std::size_t(x) * 3 + std::size_t(offset)];
      EncodeLine(line.data(), bytesPerLine, bytes);
    }
  }
  if (bits == 8) {
    bytes.push_back(kPaletteMarker);
    for (int i = 0; i < 256; ++i) {
      std::uint32_t c = image.GetColorFromIndex(i);
      bytes.push_back(ColorRed(c));
      bytes.push_back(ColorGreen(c));
      bytes.push_back(ColorBlue(c));
    }
  }
  out = std::move(bytes);
  return true;
}

}  // namespace linea
