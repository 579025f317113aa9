#pragma once
// One codec per format: a cheap check of the header, a reader and a writer.
// Readers get the whole file in memory and must never read past it, nor allocate
// more than the declared image needs (and refuse declared sizes beyond 32767).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/image.h"

namespace linea {

// Where an encoder puts its bytes: a growing buffer, or the temporary file of a
// save, so that a large picture is written as it is encoded. Writes go at the
// current position; encoders that patch earlier bytes (TIFF) seek back.
class CByteSink {
 public:
  virtual ~CByteSink() = default;
  // False once anything has failed; the encoder then gives up.
  virtual bool Write(const void* data, std::size_t size) = 0;
  virtual bool Seek(std::uint64_t position) = 0;
  virtual std::uint64_t Position() const = 0;
  virtual std::uint64_t Size() const = 0;
};

// A sink into memory (the bytes of `Write` below, the fuzz seeds, the tests).
class CMemorySink : public CByteSink {
 public:
  explicit CMemorySink(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  bool Write(const void* data, std::size_t size) override;
  bool Seek(std::uint64_t position) override;
  std::uint64_t Position() const override { return position_; }
  std::uint64_t Size() const override { return bytes_.size(); }

 private:
  std::vector<std::uint8_t>& bytes_;
  std::uint64_t position_ = 0;
};

struct ImageCodec {
  int formatCode;
  const char* name;  // for format listings, e.g. "Windows bitmap"
  bool (*identify)(std::span<const std::uint8_t> head);
  // Null for write-only formats (the ASCII grid).
  bool (*read)(std::span<const std::uint8_t> file, CImage& out);
  // Encodes into bytes; the caller writes them atomically.
  bool (*write)(const CImage& image, std::vector<std::uint8_t>& out);
  // Encodes into a sink, for the formats whose pictures are written as they are
  // encoded (null for the others, which Save encodes into memory first).
  bool (*stream)(const CImage& image, CByteSink& sink) = nullptr;
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
