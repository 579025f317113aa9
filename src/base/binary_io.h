#pragma once
// Little-endian helpers for result files and raw rasters: values are read and
// written byte by byte, never by casting structs.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace linea {

inline std::uint16_t GetLE16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t GetLE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
inline std::int16_t GetLE16s(const std::uint8_t* p) { return static_cast<std::int16_t>(GetLE16(p)); }
inline std::int32_t GetLE32s(const std::uint8_t* p) { return static_cast<std::int32_t>(GetLE32(p)); }
inline void PutLE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}
inline void PutLE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[2] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}

// A cursor over bytes in memory that never reads past the end: a short read
// sets the failed flag and yields zeros.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::int16_t S16() { return static_cast<std::int16_t>(U16()); }
  std::int32_t S32() { return static_cast<std::int32_t>(U32()); }
  double F64();
  bool Bytes(void* out, std::size_t count);
  void Skip(std::size_t count);
  void Seek(std::size_t position);
  std::size_t Position() const { return position_; }
  std::size_t Remaining() const { return failed_ ? 0 : data_.size() - position_; }
  bool Failed() const { return failed_; }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

// Appends little-endian values to a byte vector.
class ByteWriter {
 public:
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);
  void S16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
  void S32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void F64(double v);
  void Bytes(const void* data, std::size_t count);
  std::vector<std::uint8_t>& Data() { return bytes_; }
  const std::vector<std::uint8_t>& Data() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Whole-file helpers. ReadFileBytes refuses files larger than `limit` bytes.
enum class ReadFileResult { Ok, CannotOpen, TooLarge, OutOfMemory, ReadError, Stopped };
ReadFileResult ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& out,
                             std::uint64_t limit);
// The same, read in slices so that a large file's reading can be shown: `progress`
// hears the fraction read before each slice and after the last; false from it
// stops the reading with Stopped, `out` untouched.
ReadFileResult ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& out, std::uint64_t limit,
                             const std::function<bool(double)>& progress);
// Size of a file in bytes, or -1 when it cannot be opened.
std::int64_t FileSize(const std::string& path);

}  // namespace linea
