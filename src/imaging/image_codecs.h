#pragma once
// One codec per format: a cheap check of the header, a reader and a writer.
// Readers get the whole file in memory and must never read past it, nor allocate
// more than the declared image needs (and refuse declared sizes beyond 32767).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/image.h"

namespace linea {

struct ImageCodec {
  int formatCode;
  const char* name;  // for format listings, e.g. "Windows bitmap"
  bool (*identify)(std::span<const std::uint8_t> head);
  // Null for write-only formats (the ASCII grid).
  bool (*read)(std::span<const std::uint8_t> file, CImage& out);
  // Encodes into bytes; the caller writes them atomically.
  bool (*write)(const CImage& image, std::vector<std::uint8_t>& out);
};

// Every codec, in the order their headers are tried when loading.
std::span<const ImageCodec> ImageCodecs();
const ImageCodec* FindCodecByFormat(int formatCode);
const ImageCodec* IdentifyCodec(std::span<const std::uint8_t> head);

// Decodes bytes already in memory (used by Load and by the fuzz targets). The
// format is recognised from the content; `out` is only replaced on success.
bool DecodeImage(std::span<const std::uint8_t> file, CImage& out);

// Largest file the loader reads into memory.
inline constexpr std::uint64_t kMaxImageFileBytes = std::uint64_t(2) << 30;

}  // namespace linea
