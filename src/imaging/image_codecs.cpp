#include "imaging/image_codecs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <new>

#include "base/checked_alloc.h"
#include "imaging/codec_support.h"

namespace linea {
namespace {

// Formats with a signature come first; TARGA has none and is tried last.
constexpr std::array<ImageCodec, 8> kCodecs = {{
    {kImageFormatTiff, "Tagged image file format", IdentifyTiff, ReadTiff, WriteTiff, StreamTiff},
    {kImageFormatJpeg, "JPEG-JFIF Compliant", IdentifyJpeg, ReadJpeg, WriteJpeg},
    {kImageFormatGif, "Graphics Interchange Format", IdentifyGif, ReadGif, WriteGif},
    {kImageFormatPng, "Portable Network Graphics", IdentifyPng, ReadPng, WritePng, StreamPng},
    {kImageFormatBmp, "Windows bitmap", IdentifyBmp, ReadBmp, WriteBmp, StreamBmp},
    {kImageFormatPcx, "PCX format", IdentifyPcx, ReadPcx, WritePcx},
    {kImageFormatTga, "TARGA format", IdentifyTga, ReadTga, WriteTga},
    // Grids are read by the raster import, not as images.
    {kImageFormatGrid, "GRID ASCII format", IdentifyGrid, nullptr, WriteGrid},
}};

}  // namespace

std::span<const ImageCodec> ImageCodecs() { return kCodecs; }

const ImageCodec* FindCodecByFormat(int formatCode) {
  for (const ImageCodec& codec : kCodecs)
    if (codec.formatCode == formatCode) return &codec;
  return nullptr;
}

const ImageCodec* IdentifyCodec(std::span<const std::uint8_t> head) {
  for (const ImageCodec& codec : kCodecs)
    if (codec.read && codec.identify(head)) return &codec;
  return nullptr;
}

bool DecodeImage(std::span<const std::uint8_t> file, CImage& out) {
  // A header can pass the cheap check of more than one format (TARGA has no
  // signature), so every codec that recognises it gets its turn.
  for (const ImageCodec& codec : kCodecs) {
    if (!codec.read || !codec.identify(file)) continue;
    CImage decoded;
    bool ok = false;
    try {
      ok = codec.read(file, decoded);
    } catch (const std::bad_alloc&) {
      ok = false;
    } catch (const std::length_error&) {
      ok = false;
    }
    if (ok && !decoded.IsEmpty()) {
      out = std::move(decoded);
      return true;
    }
  }
  return false;
}

bool CMemorySink::Write(const void* data, std::size_t size) {
  const std::uint64_t end = position_ + size;
  if (end > kMaxBufferBytes) return false;
  try {  // callers may sit inside a C library's frames
    if (end > bytes_.size()) bytes_.resize(std::size_t(end));
  } catch (const std::exception&) {
    return false;
  }
  if (size) std::memcpy(bytes_.data() + position_, data, size);
  position_ = end;
  return true;
}

bool CMemorySink::Seek(std::uint64_t position) {
  if (position > kMaxBufferBytes) return false;
  position_ = position;
  return true;
}

std::uint64_t ImageBufferBytes(std::int64_t width, std::int64_t height, int bitsPerPixel) {
  if (!IsValidImageSide(width) || !IsValidImageSide(height)) return 0;
  auto bytes = CheckedMultiply(std::uint64_t(PaddedRowBytes(width, bitsPerPixel)), std::uint64_t(height));
  return bytes ? *bytes : 0;
}

bool DecodedSizeIsPlausible(std::uint64_t fileBytes, std::uint64_t decodedBytes) {
  if (decodedBytes <= kFreeDecodeBytes) return true;
  auto limit = CheckedMultiply(fileBytes, kMaxExpansionRatio);
  return !limit || decodedBytes <= *limit;
}

bool HasGreyPalette(const CImage& image) {
  for (int i = 0; i < 256; ++i)
    if (image.GetColorFromIndex(i) != MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)))
      return false;
  return true;
}

void RowToBgr(const CImage& image, int y, std::uint8_t* out) {
  const std::uint8_t* row = image.Row(y);
  int width = image.GetWidth();
  if (image.GetBitsPerPixel() == 24) {
    std::copy(row, row + std::size_t(width) * 3, out);
    return;
  }
  const auto& palette = image.Palette();
  for (int x = 0; x < width; ++x, out += 3) {
    std::uint32_t color = palette[row[x]];
    out[0] = ColorBlue(color);
    out[1] = ColorGreen(color);
    out[2] = ColorRed(color);
  }
}

}  // namespace linea
