// Windows bitmap. Reads 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed,
// RLE8, RLE4 and bit fields, bottom-up and top-down, with the OS/2 12-byte header
// or any Windows header of 40 bytes and more. Writes 8-bit (256-entry palette) and
// 24-bit uncompressed bottom-up files.

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "base/binary_io.h"
#include "base/checked_alloc.h"
#include "imaging/codec_support.h"

namespace linea {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCompressionNone = 0, kCompressionRle8 = 1, kCompressionRle4 = 2,
                        kCompressionBitFields = 3, kCompressionAlphaBitFields = 6;

// One channel of a bit-field pixel, scaled to 0..255.
struct ChannelMask {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit ChannelMask(std::uint32_t m) : mask(m) {
    if (!m) return;
    shift = std::countr_zero(m);
    bits = std::bit_width(m >> shift);
  }
  std::uint8_t Extract(std::uint32_t pixel) const {
    if (!bits) return 0;
    std::uint64_t value = (pixel & mask) >> shift;
    if (bits >= 8) return std::uint8_t(value >> (bits - 8));
    std::uint64_t maximum = (std::uint64_t(1) << bits) - 1;
    return std::uint8_t((value * 255 + maximum / 2) / maximum);
  }
};

struct BmpHeader {
  std::int64_t width = 0;
  std::int64_t height = 0;  // always positive here
  bool topDown = false;
  int bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
  std::size_t dataOffset = 0;
};

// Image row of the file's row `fileRow`: files are bottom-up unless the height was negative.
int ImageRow(const BmpHeader& header, std::int64_t fileRow) {
  return int(header.topDown ? fileRow : header.height - 1 - fileRow);
}

bool ReadPalette(ByteSpan file, std::size_t start, std::size_t entryBytes, std::uint32_t declared,
                 const BmpHeader& header, CImage& image) {
  std::uint32_t count = declared ? declared : (1u << header.bitCount);
  if (count > 256) return false;
  // The palette ends where the pixels begin, whatever the header claims.
  std::size_t available = header.dataOffset > start ? (header.dataOffset - start) / entryBytes : 0;
  count = std::uint32_t(std::min<std::size_t>(count, available));
  if (!count) return false;
  for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, 0);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* p = file.data() + start + i * entryBytes;
    image.SetColorForIndex(int(i), MakeColor(p[2], p[1], p[0]));
  }
  return true;
}

bool DecodeUncompressed(ByteSpan data, const BmpHeader& header, CImage& image) {
  const std::uint64_t stride = std::uint64_t(PaddedRowBytes(header.width, header.bitCount));
  const std::uint64_t lastRow = (std::uint64_t(header.width) * std::uint64_t(header.bitCount) + 7) / 8;
  // The final row's padding may be missing.
  auto needed = CheckedMultiply(stride, std::uint64_t(header.height - 1));
  if (!needed || *needed + lastRow > data.size()) return false;

  ChannelMask red(header.masks[0]), green(header.masks[1]), blue(header.masks[2]);
  const int width = int(header.width);
  for (std::int64_t fileRow = 0; fileRow < header.height; ++fileRow) {
    const std::uint8_t* src = data.data() + std::size_t(fileRow) * stride;
    std::uint8_t* dst = image.Row(ImageRow(header, fileRow));
    switch (header.bitCount) {
      case 1:
      case 4: {
        const int bits = header.bitCount, perByte = 8 / bits, valueMask = (1 << bits) - 1;
        for (int x = 0; x < width; ++x) {
          int shift = 8 - bits * (x % perByte + 1);
          dst[x] = std::uint8_t((src[x / perByte] >> shift) & valueMask);
        }
        break;
      }
      case 8:
        std::memcpy(dst, src, std::size_t(width));
        break;
      case 24:
        std::memcpy(dst, src, std::size_t(width) * 3);
        break;
      case 16:
      case 32: {
        const int bytes = header.bitCount / 8;
        for (int x = 0; x < width; ++x, src += bytes, dst += 3) {
          std::uint32_t pixel = bytes == 2 ? GetLE16(src) : GetLE32(src);
          dst[0] = blue.Extract(pixel);
          dst[1] = green.Extract(pixel);
          dst[2] = red.Extract(pixel);
        }
        break;
      }
    }
  }
  return true;
}

// RLE8 and RLE4. A run that would cross its row's end, or a delta out of the
// image, is corruption; decoding stops at the end-of-bitmap code, when the rows
// are full, or fails when the data runs out first.
bool DecodeRle(ByteSpan data, const BmpHeader& header, CImage& image) {
  const bool fourBits = header.bitCount == 4;
  const std::int64_t width = header.width, height = header.height;
  std::int64_t x = 0, y = 0;
  std::size_t pos = 0;
  auto put = [&](std::int64_t count, auto valueAt) -> bool {
    if (y >= height || x + count > width) return false;
    std::uint8_t* row = image.Row(ImageRow(header, y));
    for (std::int64_t i = 0; i < count; ++i) row[x + i] = valueAt(i);
    x += count;
    return true;
  };
  while (y < height) {
    if (data.size() - pos < 2) return false;
    const std::uint8_t count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      bool ok = fourBits ? put(count, [&](std::int64_t i) { return std::uint8_t(i % 2 ? value & 15 : value >> 4); })
                         : put(count, [&](std::int64_t) { return value; });
      if (!ok) return false;
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return true;
      case 2: {  // delta
        if (data.size() - pos < 2) return false;
        x += data[pos];
        y += data[pos + 1];
        pos += 2;
        if (x > width || y > height) return false;
        break;
      }
      default: {  // absolute run, padded to a 16-bit boundary
        const std::size_t bytes = fourBits ? (value + 1u) / 2 : value;
        if (data.size() - pos < bytes) return false;
        const std::uint8_t* src = data.data() + pos;
        bool ok = fourBits ? put(value, [&](std::int64_t i) {
                    return std::uint8_t(i % 2 ? src[i / 2] & 15 : src[i / 2] >> 4);
                  })
                           : put(value, [&](std::int64_t i) { return src[i]; });
        if (!ok) return false;
        pos += std::min<std::size_t>((bytes + 1) & ~std::size_t(1), data.size() - pos);
        break;
      }
    }
  }
  return true;
}

}  // namespace

bool IdentifyBmp(ByteSpan head) { return head.size() >= 2 && head[0] == 'B' && head[1] == 'M'; }

bool ReadBmp(ByteSpan file, CImage& out) {
  if (file.size() < kFileHeaderBytes + 12 || !IdentifyBmp(file)) return false;
  const std::uint8_t* p = file.data();
  const std::uint32_t dataOffset = GetLE32(p + 10);
  const std::uint32_t infoBytes = GetLE32(p + 14);
  const std::uint8_t* info = p + kFileHeaderBytes;

  BmpHeader header;
  std::uint32_t declaredColors = 0;
  std::size_t entryBytes = 4;
  std::size_t maskStart = 0;  // where the bit fields are, when they are stored
  if (infoBytes == 12) {  // OS/2 1.x
    header.width = GetLE16(info + 4);
    header.height = GetLE16(info + 6);
    header.bitCount = GetLE16(info + 10);
    entryBytes = 3;
  } else if (infoBytes >= 40 && infoBytes <= file.size() - kFileHeaderBytes) {
    header.width = GetLE32s(info + 4);
    std::int32_t height = GetLE32s(info + 8);
    if (height == INT32_MIN) return false;
    header.topDown = height < 0;
    header.height = height < 0 ? -std::int64_t(height) : height;
    header.bitCount = GetLE16(info + 14);
    header.compression = GetLE32(info + 16);
    declaredColors = GetLE32(info + 32);
    maskStart = kFileHeaderBytes + 40;
  } else {
    return false;
  }
  if (!IsValidImageSide(header.width) || !IsValidImageSide(header.height)) return false;

  const int bits = header.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  std::size_t paletteStart = kFileHeaderBytes + infoBytes;
  switch (header.compression) {
    case kCompressionNone:
      if (bits == 16) {
        header.masks[0] = 0x7C00, header.masks[1] = 0x03E0, header.masks[2] = 0x001F;
      } else if (bits == 32) {
        header.masks[0] = 0xFF0000, header.masks[1] = 0xFF00, header.masks[2] = 0xFF;
      }
      break;
    case kCompressionRle8:
      if (bits != 8) return false;
      break;
    case kCompressionRle4:
      if (bits != 4) return false;
      break;
    case kCompressionBitFields:
    case kCompressionAlphaBitFields: {
      if (bits != 16 && bits != 32) return false;
      // With the 40-byte header the masks follow it; later headers hold them.
      if (infoBytes == 40) paletteStart += header.compression == kCompressionBitFields ? 12 : 16;
      if (maskStart + 12 > file.size()) return false;
      for (int c = 0; c < 3; ++c) header.masks[c] = GetLE32(p + maskStart + 4 * c);
      break;
    }
    default:
      return false;
  }
  if (dataOffset < paletteStart || dataOffset > file.size()) return false;
  header.dataOffset = dataOffset;

  const std::uint64_t imageBytes = ImageBufferBytes(header.width, header.height, bits <= 8 ? 8 : 24);
  const bool rle = header.compression == kCompressionRle8 || header.compression == kCompressionRle4;
  if (rle && !DecodedSizeIsPlausible(file.size(), imageBytes)) return false;
  if (!rle) {
    // Uncompressed pixels must all be present before anything is allocated.
    auto stride = CheckedMultiply(std::uint64_t(PaddedRowBytes(header.width, bits)), std::uint64_t(header.height - 1));
    if (!stride || *stride > file.size() - dataOffset) return false;
  }

  CImage image;
  if (!image.Create(int(header.width), int(header.height), bits <= 8 ? 8 : 24)) return false;
  if (bits <= 8 && !ReadPalette(file, paletteStart, entryBytes, declaredColors, header, image)) return false;

  ByteSpan data = file.subspan(dataOffset);
  if (!(rle ? DecodeRle(data, header, image) : DecodeUncompressed(data, header, image))) return false;
  out = std::move(image);
  return true;
}

bool StreamBmp(const CImage& image, CByteSink& sink) {
  const int bits = image.GetBitsPerPixel();
  if (image.IsEmpty() || (bits != 8 && bits != 24)) return false;
  const std::uint64_t stride = std::uint64_t(image.GetBytesPerLine());
  const std::uint64_t paletteBytes = bits == 8 ? 256 * 4 : 0;
  const std::uint64_t offset = kFileHeaderBytes + 40 + paletteBytes;
  auto pixelBytes = CheckedMultiply(stride, std::uint64_t(image.GetHeight()));
  if (!pixelBytes || offset + *pixelBytes > UINT32_MAX) return false;
  const std::uint64_t total = offset + *pixelBytes;

  ByteWriter w;
  w.U8('B');
  w.U8('M');
  w.U32(std::uint32_t(total));
  w.U32(0);  // reserved
  w.U32(std::uint32_t(offset));
  w.U32(40);
  w.S32(image.GetWidth());
  w.S32(image.GetHeight());  // positive: bottom-up
  w.U16(1);
  w.U16(std::uint16_t(bits));
  w.U32(kCompressionNone);
  w.U32(std::uint32_t(*pixelBytes));
  w.S32(2835);  // 72 dots per inch, in dots per metre
  w.S32(2835);
  w.U32(bits == 8 ? 256 : 0);
  w.U32(0);
  if (bits == 8) {
    for (int i = 0; i < 256; ++i) {
      std::uint32_t c = image.GetColorFromIndex(i);
      w.U8(ColorBlue(c));
      w.U8(ColorGreen(c));
      w.U8(ColorRed(c));
      w.U8(0);
    }
  }
  if (!sink.Write(w.Data().data(), w.Data().size())) return false;
  // The buffer's rows already have the file's padding; only their order flips.
  for (int y = image.GetHeight() - 1; y >= 0; --y)
    if (!sink.Write(image.Row(y), std::size_t(stride))) return false;
  return true;
}

bool WriteBmp(const CImage& image, ByteVector& out) {
  ByteVector bytes;
  CMemorySink sink(bytes);
  const std::uint64_t total = std::uint64_t(image.GetBytesPerLine()) * std::uint64_t(image.GetHeight()) + 2048;
  if (total <= kMaxBufferBytes) bytes.reserve(std::size_t(total));
  if (!StreamBmp(image, sink)) return false;
  out = std::move(bytes);
  return true;
}

}  // namespace linea
