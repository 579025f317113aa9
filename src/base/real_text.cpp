#include "base/real_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace linea {
namespace {

// Powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::uint64_t Load8(const char* p) {
  std::uint64_t bytes;
  std::memcpy(&bytes, p, sizeof bytes);
  return bytes;
}

// The high bit of every byte (the first byte lowest) that is no digit, among bytes
// up to the first such one: the borrows and carries of the byte-wise arithmetic
// start at a non-digit and only move upwards, so the bytes after it may be anything.
std::uint64_t NonDigits(std::uint64_t bytes) {
  const std::uint64_t digits = bytes - 0x3030303030303030u;
  return (digits | (digits + 0x7676767676767676u)) & 0x8080808080808080u;
}

// The value of the `count` (1 to 7) digits leading `bytes`: moved to the top bytes
// behind zeros, then combined pairwise.
std::uint64_t DigitsValue(std::uint64_t bytes, int count) {
  std::uint64_t v = (bytes - 0x3030303030303030u) << (8 * (8 - count));
  v = v * 10 + (v >> 8);
  return (((v & 0x000000FF000000FFu) * (100 + (std::uint64_t(1000000) << 32))) +
          (((v >> 16) & 0x000000FF000000FFu) * (1 + (std::uint64_t(10000) << 32)))) >>
         32;
}

// The usual grid word: a sign, then at most 7 digits with a point among them or not,
// then a blank ("-1234.567 "). The point is taken out by merging the eight bytes
// before it with the eight after, so that one conversion reads all the digits; the
// value is the one ParsePlainReal gives (a mantissa below 10^7 divided once by an
// exact power of ten). Needs kShortWordBytes readable bytes at `p`. Returns the
// word's length, or 0 for any other word (left to the general reading).
std::size_t ParseShortWord(const char* p, double& value) {
  const char* const start = p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  const std::uint64_t bytes = Load8(p);
  const std::uint64_t integerEnd = NonDigits(bytes);
  if (integerEnd == 0) return 0;  // eight digits or more
  const int integerDigits = std::countr_zero(integerEnd) / 8;
  std::uint64_t digitBytes = bytes;
  int point = 0;
  if (char(bytes >> (8 * integerDigits)) == '.') {
    const std::uint64_t before = (std::uint64_t(1) << (8 * integerDigits)) - 1;
    digitBytes = (bytes & before) | (Load8(p + 1) & ~before);
    point = 1;
  }
  const std::uint64_t digitsEnd = NonDigits(digitBytes);
  if (digitsEnd == 0) return 0;
  const int digits = std::countr_zero(digitsEnd) / 8;
  if (digits == 0 || !IsBlank(char(digitBytes >> (8 * digits)))) return 0;
  const double result = double(DigitsValue(digitBytes, digits)) / kExactPowers[digits - integerDigits];
  value = negative ? -result : result;
  return std::size_t(p - start) + std::size_t(digits + point);
}

constexpr std::ptrdiff_t kShortWordBytes = 17;

// The high bit of every byte of at most ' ': the blanks and the control characters,
// where a word ends (a word ended by a control character that is no blank is left to
// the general reading, as ParseShortWord refuses it). No carries between bytes.
std::uint64_t WordEnds(std::uint64_t bytes) {
  return ~((bytes | 0x8080808080808080u) - 0x2121212121212121u) & ~bytes & 0x8080808080808080u;
}

// The length of the word at `p`, from its first 16 bytes alone (16 when longer), so
// that the next word need not wait for this one's digits.
std::ptrdiff_t WordLength(const char* p) {
  // The high bits gathered into one bit a byte, without a branch: word lengths vary.
  constexpr std::uint64_t kGather = 0x0102040810204080u;
  const unsigned first = unsigned((WordEnds(Load8(p)) >> 7) * kGather >> 56);
  const unsigned second = unsigned((WordEnds(Load8(p + 8)) >> 7) * kGather >> 56);
  return std::countr_zero(first | second << 8 | 1u << 16);
}

#if defined(__SSE2__)
// The same words and values as ParseShortWord with the blanks, digits and point of
// 16 bytes found at once (and the word's end from the blanks alone, so that the next
// word need not wait for this one's digits). Needs kShortWordBytes readable bytes.
std::size_t ParseShortWordSse(const char* p, double& value) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // Blanks: ' ', or \t .. \r (the byte less 9, unsigned, at most 4).
  const __m128i control = _mm_sub_epi8(bytes, _mm_set1_epi8(9));
  const __m128i isBlank = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
                                       _mm_cmpeq_epi8(_mm_min_epu8(control, _mm_set1_epi8(4)), control));
  const __m128i fromZero = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
  const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(fromZero, _mm_set1_epi8(9)), fromZero);
  const unsigned blanks = unsigned(_mm_movemask_epi8(isBlank));
  const unsigned digitBits = unsigned(_mm_movemask_epi8(isDigit));
  const unsigned pointBits = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('.'))));
  const int length = std::countr_zero(blanks | 0x10000u);
  const int sign = (*p == '-') | (*p == '+');
  // After its sign the word must be digits and at most one point: 1 to 7 digits.
  const unsigned word = ((1u << length) - 1) & ~((1u << sign) - 1);
  const unsigned points = pointBits & word;
  const int digits = length - sign - (points != 0 ? 1 : 0);
  if (length == 16 || ((digitBits | points) & word) != word || (points & (points - 1)) != 0 || digits <= 0 ||
      digits > 7)
    return 0;
  const char* const first = p + sign;
  std::uint64_t digitBytes = Load8(first);
  int integerDigits = digits;
  if (points != 0) {
    integerDigits = std::countr_zero(points) - sign;
    const std::uint64_t before = (std::uint64_t(1) << (8 * integerDigits)) - 1;
    digitBytes = (digitBytes & before) | (Load8(first + 1) & ~before);
  }
  const double result = double(DigitsValue(digitBytes, digits)) / kExactPowers[digits - integerDigits];
  value = *p == '-' ? -result : result;
  return std::size_t(length);
}
#endif

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

std::size_t ParseReals(std::string_view text, std::size_t& position, double* values, std::size_t count) {
  const char* p = text.data() + std::min(position, text.size());
  const char* const end = text.data() + text.size();
  std::size_t read = 0;
  for (; read < count; ++read) {
    while (p != end && IsBlank(*p)) ++p;
    if (p == end) break;
    double& value = values[read];
#if defined(__SSE2__)
    if (end - p >= kShortWordBytes) {
      const std::size_t length = ParseShortWordSse(p, value);
      if (length != 0) {
        p += length + 1;  // and the blank after it
        continue;
      }
    }
#endif
    // Elsewhere eight bytes at a time; on SSE2 this takes the words that path refused
    // (none of them short decimals), at a little extra cost.
    if constexpr (std::endian::native == std::endian::little) {
      if (end - p >= kShortWordBytes) {
        const std::ptrdiff_t length = WordLength(p);
        // (A control character that is no blank starts no word here: length 0.)
        if (length != 0 && std::ptrdiff_t(ParseShortWord(p, value)) == length) {
          p += length + 1;  // and the blank after it
          continue;
        }
      }
    }
    std::size_t used = ParsePlainReal(std::string_view(p, std::size_t(end - p)), value);
    if (used > 0 && (p + used == end || IsBlank(p[used]))) {
      p += used;
      continue;
    }
    const char* const word = p;
    while (p != end && !IsBlank(*p)) ++p;
    if (!ParseReal(std::string_view(word, std::size_t(p - word)), value)) break;
  }
  position = std::size_t(p - text.data());
  return read;
}

}  // namespace linea
