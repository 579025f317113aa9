#pragma once
// Large buffers are allocated without throwing: a failure is error code 3 for
// the caller, and sizes are computed in 64 bits and refused on overflow.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace linea {

// Upper bound of one buffer; far beyond any real raster (32767 x 32767 x 3 is ~3 GiB).
inline constexpr std::uint64_t kMaxBufferBytes = std::uint64_t(4) << 30;

// a * b without overflow, or nothing.
std::optional<std::uint64_t> CheckedMultiply(std::uint64_t a, std::uint64_t b);
std::optional<std::uint64_t> CheckedMultiply(std::uint64_t a, std::uint64_t b, std::uint64_t c);

// Resizes `buffer` to `count` elements, value-initialised. False (buffer unchanged)
// when the size is absurd or memory is exhausted.
template <typename T>
bool TryResize(std::vector<T>& buffer, std::uint64_t count) {
  auto bytes = CheckedMultiply(count, sizeof(T));
  if (!bytes || *bytes > kMaxBufferBytes) return false;
  try {
    std::vector<T> fresh(static_cast<std::size_t>(count));
    buffer.swap(fresh);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

// A zero-initialised array of `count` elements, or null.
template <typename T>
std::unique_ptr<T[]> TryAllocateArray(std::uint64_t count) {
  auto bytes = CheckedMultiply(count, sizeof(T));
  if (!bytes || *bytes > kMaxBufferBytes) return nullptr;
  return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<std::size_t>(count)]());
}

}  // namespace linea
