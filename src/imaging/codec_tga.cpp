// Truevision TARGA. Reads colour-mapped (types 1 and 9, 8-bit indices),
// true-colour (2 and 10, 15/16/24/32 bits; alpha is dropped) and greyscale (3 and
// 11, 8 bits) images, raw or RLE, with any of the four origins. Writes
// uncompressed colour-mapped 8-bit or true-colour 24-bit files, bottom-left origin.

#include <algorithm>
#include <cstring>

#include "base/binary_io.h"
#include "base/checked_alloc.h"
#include "imaging/codec_support.h"

namespace linea {
namespace {

constexpr std::size_t kHeaderBytes = 18;
constexpr std::uint8_t kDescriptorRightToLeft = 0x10, kDescriptorTopToBottom = 0x20;
constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";  // with its '\0', 18 bytes

struct TgaHeader {
  int idBytes, mapType, imageType, mapFirst, mapLength, mapEntryBits;
  int width, height, pixelBits, descriptor;
};

TgaHeader ParseHeader(const std::uint8_t* h) {
  return {h[0], h[1], h[2], GetLE16(h + 3), GetLE16(h + 5), h[7], GetLE16(h + 12), GetLE16(h + 14), h[16], h[17]};
}

bool IsEntryBits(int bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

bool HeaderIsValid(const TgaHeader& t) {
  if (t.mapType > 1 || (t.descriptor & 0xC0) != 0) return false;
  if (t.mapType == 1 && !IsEntryBits(t.mapEntryBits)) return false;
  if (!IsValidImageSide(t.width) || !IsValidImageSide(t.height)) return false;
  switch (t.imageType & ~8) {
    case 1:
      return t.mapType == 1 && t.pixelBits == 8;
    case 2:
      return IsEntryBits(t.pixelBits);
    case 3:
      return t.pixelBits == 8;
    default:
      return false;
  }
}

// Colour of a 15/16/24/32-bit value stored blue first.
std::uint32_t ColorFromBytes(const std::uint8_t* p, int bytes) {
  if (bytes >= 3) return MakeColor(p[2], p[1], p[0]);
  std::uint16_t v = GetLE16(p);
  auto expand = [](int c) { return std::uint8_t((c << 3) | (c >> 2)); };
  return MakeColor(expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
}

}  // namespace

bool IdentifyTga(ByteSpan head) {
  return head.size() >= kHeaderBytes && HeaderIsValid(ParseHeader(head.data()));
}

bool ReadTga(ByteSpan file, CImage& out) {
  if (!IdentifyTga(file)) return false;
  const TgaHeader t = ParseHeader(file.data());
  const bool indexed = (t.imageType & ~8) != 2;
  const bool rle = (t.imageType & 8) != 0;
  const int pixelBytes = (t.pixelBits + 7) / 8;

  std::size_t pos = kHeaderBytes + std::size_t(t.idBytes);
  const std::size_t entryBytes = std::size_t(t.mapEntryBits + 7) / 8;
  const std::size_t mapBytes = t.mapType ? std::size_t(t.mapLength) * entryBytes : 0;
  if (pos > file.size() || mapBytes > file.size() - pos) return false;
  const std::uint8_t* map = file.data() + pos;
  pos += mapBytes;
  // Colour map entry k is the colour of index mapFirst + k.
  if ((t.imageType & ~8) == 1 && (t.mapLength == 0 || t.mapFirst + t.mapLength > 256)) return false;

  const std::uint64_t pixels = std::uint64_t(t.width) * std::uint64_t(t.height);
  ByteSpan data = file.subspan(pos);
  if (!rle && pixels * std::uint64_t(pixelBytes) > data.size()) return false;
  if (rle && !DecodedSizeIsPlausible(file.size(), ImageBufferBytes(t.width, t.height, indexed ? 8 : 24)))
    return false;

  CImage image;
  if (!image.Create(t.width, t.height, indexed ? 8 : 24)) return false;
  if ((t.imageType & ~8) == 1) {
    for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, 0);
    for (int k = 0; k < t.mapLength; ++k)
      image.SetColorForIndex(t.mapFirst + k, ColorFromBytes(map + std::size_t(k) * entryBytes, int(entryBytes)));
  }

  const bool topToBottom = (t.descriptor & kDescriptorTopToBottom) != 0;
  const bool rightToLeft = (t.descriptor & kDescriptorRightToLeft) != 0;
  std::uint64_t next = 0;  // pixels placed so far, in file order
  auto place = [&](const std::uint8_t* px) {
    const int fileRow = int(next / std::uint64_t(t.width)), fileCol = int(next % std::uint64_t(t.width));
    const int y = topToBottom ? fileRow : t.height - 1 - fileRow;
    const int x = rightToLeft ? t.width - 1 - fileCol : fileCol;
    if (indexed) {
      image.Row(y)[x] = px[0];
    } else {
      std::uint32_t c = ColorFromBytes(px, pixelBytes);
      std::uint8_t* dst = image.Row(y) + std::size_t(x) * 3;
      dst[0] = ColorBlue(c);
      dst[1] = ColorGreen(c);
      dst[2] = ColorRed(c);
    }
    ++next;
  };

  std::size_t at = 0;
  if (!rle) {
    for (std::uint64_t i = 0; i < pixels; ++i, at += std::size_t(pixelBytes)) place(data.data() + at);
  } else {
    // Packets may cross rows; a packet running past the last pixel is cut there.
    while (next < pixels) {
      if (at >= data.size()) return false;
      const std::uint8_t packet = data[at++];
      const std::uint64_t count = std::min<std::uint64_t>((packet & 0x7F) + 1u, pixels - next);
      if (packet & 0x80) {
        if (data.size() - at < std::size_t(pixelBytes)) return false;
        for (std::uint64_t i = 0; i < count; ++i) place(data.data() + at);
        at += std::size_t(pixelBytes);
      } else {
        if ((data.size() - at) / std::size_t(pixelBytes) < count) return false;
        for (std::uint64_t i = 0; i < count; ++i, at += std::size_t(pixelBytes)) place(data.data() + at);
      }
    }
  }
  out = std::move(image);
  return true;
}

bool WriteTga(const CImage& image, ByteVector& out) {
  const int bits = image.GetBitsPerPixel();
  if (image.IsEmpty() || (bits != 8 && bits != 24)) return false;
  const int width = image.GetWidth(), height = image.GetHeight();
  ByteWriter w;
  w.U8(0);                     // no image ID
  w.U8(bits == 8 ? 1 : 0);     // colour map present
  w.U8(bits == 8 ? 1 : 2);     // uncompressed colour-mapped / true-colour
  w.U16(0);                    // first map entry
  w.U16(bits == 8 ? 256 : 0);  // map length
  w.U8(bits == 8 ? 24 : 0);    // map entry bits
  w.U16(0);
  w.U16(0);
  w.U16(std::uint16_t(width));
  w.U16(std::uint16_t(height));
  w.U8(std::uint8_t(bits));
  w.U8(0);  // bottom-left origin, no alpha
  if (bits == 8) {
    for (int i = 0; i < 256; ++i) {
      std::uint32_t c = image.GetColorFromIndex(i);
      w.U8(ColorBlue(c));
      w.U8(ColorGreen(c));
      w.U8(ColorRed(c));
    }
  }
  const std::size_t rowBytes = std::size_t(width) * std::size_t(bits / 8);
  for (int y = height - 1; y >= 0; --y) w.Bytes(image.Row(y), rowBytes);
  w.U32(0);  // no extension area
  w.U32(0);  // no developer area
  w.Bytes(kFooterSignature, sizeof kFooterSignature);
  out = std::move(w.Data());
  return true;
}

}  // namespace linea
