#pragma once
// Shared by the codecs of this folder only: the per-format entry points that the
// codec table lists, and the size checks every reader makes before allocating.

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/image.h"
#include "imaging/image_codecs.h"

namespace linea {

using ByteSpan = std::span<const std::uint8_t>;
using ByteVector = std::vector<std::uint8_t>;

// A side read from a file is usable when it is 1..32767.
constexpr bool IsValidImageSide(std::int64_t side) { return side >= 1 && side <= kMaxImageSide; }

// Bytes of the pixel buffer of a width x height image, or 0 when a side is out of range.
std::uint64_t ImageBufferBytes(std::int64_t width, std::int64_t height, int bitsPerPixel);

// Compressed data cannot expand without limit: no format we read gives more than
// a few thousand decoded bytes per input byte (LZW and Deflate stay under ~4100:1).
// A file that claims more is hostile and is refused before its buffer is allocated;
// any image up to kFreeDecodeBytes passes regardless of the file's size.
inline constexpr std::uint64_t kMaxExpansionRatio = 4096;
inline constexpr std::uint64_t kFreeDecodeBytes = std::uint64_t(16) << 20;
bool DecodedSizeIsPlausible(std::uint64_t fileBytes, std::uint64_t decodedBytes);

// True when the palette is entry i = grey level i for every i.
bool HasGreyPalette(const CImage& image);

// Row y of an 8- or 24-bit image as blue, green, red bytes (`out` holds 3 x width).
void RowToBgr(const CImage& image, int y, std::uint8_t* out);

// Per-format entry points, one file each.
bool IdentifyBmp(ByteSpan head);
bool ReadBmp(ByteSpan file, CImage& out);
bool WriteBmp(const CImage& image, ByteVector& out);
bool StreamBmp(const CImage& image, CByteSink& sink);

bool IdentifyPcx(ByteSpan head);
bool ReadPcx(ByteSpan file, CImage& out);
bool WritePcx(const CImage& image, ByteVector& out);

bool IdentifyTga(ByteSpan head);
bool ReadTga(ByteSpan file, CImage& out);
bool WriteTga(const CImage& image, ByteVector& out);

bool IdentifyTiff(ByteSpan head);
bool ReadTiff(ByteSpan file, CImage& out);
bool WriteTiff(const CImage& image, ByteVector& out);
bool StreamTiff(const CImage& image, CByteSink& sink);

bool IdentifyJpeg(ByteSpan head);
bool ReadJpeg(ByteSpan file, CImage& out);
bool WriteJpeg(const CImage& image, ByteVector& out);

bool IdentifyGif(ByteSpan head);
bool ReadGif(ByteSpan file, CImage& out);
bool WriteGif(const CImage& image, ByteVector& out);

bool IdentifyPng(ByteSpan head);
bool ReadPng(ByteSpan file, CImage& out);
bool WritePng(const CImage& image, ByteVector& out);
bool StreamPng(const CImage& image, CByteSink& sink);

bool IdentifyGrid(ByteSpan head);
bool WriteGrid(const CImage& image, ByteVector& out);

}  // namespace linea
