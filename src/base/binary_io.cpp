#include "base/binary_io.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <new>
#include <sys/stat.h>

#include "base/checked_alloc.h"

namespace linea {

std::uint8_t ByteReader::U8() {
  std::uint8_t v = 0;
  Bytes(&v, 1);
  return v;
}

std::uint16_t ByteReader::U16() {
  std::uint8_t b[2] = {0, 0};
  Bytes(b, 2);
  return GetLE16(b);
}

std::uint32_t ByteReader::U32() {
  std::uint8_t b[4] = {0, 0, 0, 0};
  Bytes(b, 4);
  return GetLE32(b);
}

double ByteReader::F64() {
  std::uint8_t b[8] = {};
  Bytes(b, 8);
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | b[i];
  return std::bit_cast<double>(bits);
}

bool ByteReader::Bytes(void* out, std::size_t count) {
  if (failed_ || count > data_.size() - position_) {
    failed_ = true;
    std::memset(out, 0, count);
    return false;
  }
  if (count) std::memcpy(out, data_.data() + position_, count);
  position_ += count;
  return true;
}

void ByteReader::Skip(std::size_t count) {
  if (failed_ || count > data_.size() - position_) {
    failed_ = true;
    return;
  }
  position_ += count;
}

void ByteReader::Seek(std::size_t position) {
  if (position > data_.size()) {
    failed_ = true;
    return;
  }
  position_ = position;
}

void ByteWriter::U16(std::uint16_t v) {
  bytes_.push_back(std::uint8_t(v));
  bytes_.push_back(std::uint8_t(v >> 8));
}

void ByteWriter::U32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(std::uint8_t(v >> (8 * i)));
}

void ByteWriter::F64(double v) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  for (int i = 0; i < 8; ++i) bytes_.push_back(std::uint8_t(bits >> (8 * i)));
}

void ByteWriter::Bytes(const void* data, std::size_t count) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + count);
}

std::int64_t FileSize(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

ReadFileResult ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& out,
                             std::uint64_t limit) {
  return ReadFileBytes(path, out, limit, nullptr);
}

ReadFileResult ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& out, std::uint64_t limit,
                             const std::function<bool(double)>& progress) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return ReadFileResult::CannotOpen;
  struct stat info {};
  if (::fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
    std::fclose(file);
    return ReadFileResult::CannotOpen;
  }
  auto size = static_cast<std::uint64_t>(info.st_size);
  if (size > limit) {
    std::fclose(file);
    return ReadFileResult::TooLarge;
  }
  // Reserved, not filled: each slice is cleared just before it is read, so a large
  // file costs no long pass over untouched memory before the first report.
  std::vector<std::uint8_t> bytes;
  try {
    bytes.reserve(std::size_t(size));
  } catch (const std::exception&) {
    std::fclose(file);
    return ReadFileResult::OutOfMemory;
  }
  // Slices of 8 MiB (a few milliseconds each from the disk cache) when progress is
  // shown, the whole file at once otherwise.
  constexpr std::size_t kSlice = std::size_t(8) << 20;
  const auto total = std::size_t(size);
  std::size_t got = 0;
  while (got < total) {
    if (progress && !progress(double(got) / double(total))) {
      std::fclose(file);
      return ReadFileResult::Stopped;
    }
    const std::size_t wanted = progress ? std::min(kSlice, total - got) : total - got;
    bytes.resize(got + wanted);
    const std::size_t read = std::fread(bytes.data() + got, 1, wanted, file);
    got += read;
    if (read != wanted) break;
  }
  std::fclose(file);
  if (got != total) return ReadFileResult::ReadError;
  if (progress && !progress(1.0)) return ReadFileResult::Stopped;
  out.swap(bytes);
  return ReadFileResult::Ok;
}

}  // namespace linea
