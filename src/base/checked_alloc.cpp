#include "base/checked_alloc.h"

#include <limits>

namespace linea {

std::optional<std::uint64_t> CheckedMultiply(std::uint64_t a, std::uint64_t b) {
  if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a) return std::nullopt;
  return a * b;
}

std::optional<std::uint64_t> CheckedMultiply(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  auto ab = CheckedMultiply(a, b);
  if (!ab) return std::nullopt;
  return CheckedMultiply(*ab, c);
}

}  // namespace linea
