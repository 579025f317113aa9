#include "base/real_text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>

namespace linea {
namespace {

// Powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::size_t ParsePlainReal(std::string_view text, double& value) {
  const char* p = text.data();
  const char* const end = p + text.size();
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  // Up to 19 digits fit 64 bits; more are left to the general parse.
  std::uint64_t mantissa = 0;
  const char* const digits = p;
  while (p != end && IsDigit(*p)) mantissa = mantissa * 10 + std::uint64_t(*p++ - '0');
  std::ptrdiff_t count = p - digits;
  int exponent = 0;  // of ten, applied to the mantissa
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    while (p != end && IsDigit(*p)) mantissa = mantissa * 10 + std::uint64_t(*p++ - '0');
    count += p - fraction;
    exponent = -int(std::min<std::ptrdiff_t>(p - fraction, 1000));
  }
  if (count == 0 || count > 19) return 0;
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negativeExponent = false;
    if (p != end && (*p == '-' || *p == '+')) negativeExponent = *p++ == '-';
    if (p == end || !IsDigit(*p)) return 0;
    int written = 0, length = 0;
    for (; p != end && IsDigit(*p); ++p) {
      if (++length > 4) return 0;
      written = written * 10 + (*p - '0');
    }
    exponent += negativeExponent ? -written : written;
  }
  // A mantissa up to 2^53 is exact as a double, as is 10^|exponent| up to 22, so
  // one multiplication or division rounds correctly.
  if (mantissa > (std::uint64_t(1) << 53)) return 0;
  double result = double(mantissa);
  if (mantissa != 0) {
    if (exponent < -22 || exponent > 22) return 0;
    result = exponent < 0 ? result / kExactPowers[-exponent] : result * kExactPowers[exponent];
  }
  value = negative ? -result : result;
  return std::size_t(p - text.data());
}

bool ParseReal(std::string_view word, double& value) {
  if (!word.empty()) {
    double plain = 0;
    if (ParsePlainReal(word, plain) == word.size()) {
      value = plain;
      return true;
    }
  }
  if (!word.empty() && word.front() == '+') word.remove_prefix(1);
  const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
  return result.ec == std::errc() && result.ptr == word.data() + word.size();
}

}  // namespace linea
