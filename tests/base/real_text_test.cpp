#include "base/real_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

namespace linea {
namespace {

// What the grid reader accepted before the plain-number path: a leading '+' is
// dropped, and the rest must be one whole std::from_chars number.
bool Reference(std::string_view word, double& value) {
  if (!word.empty() && word.front() == '+') word.remove_prefix(1);
  const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
  return result.ec == std::errc() && result.ptr == word.data() + word.size();
}

std::string RandomWord(std::mt19937& random) {
  auto pick = [&](int n) { return int(random() % unsigned(n)); };
  auto digits = [&](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += char('0' + (pick(4) == 0 ? 0 : pick(10)));
    return text;
  };
  std::string word;
  const char* signs[] = {"", "", "-", "+", "+-", "-+"};
  word += signs[pick(6)];
  word += digits(pick(4) == 0 ? pick(22) : pick(6));
  if (pick(2)) word += '.' + digits(pick(4) == 0 ? pick(22) : pick(6));
  if (pick(4) == 0) {
    word += pick(2) ? 'e' : 'E';
    word += signs[pick(4)];
    word += digits(pick(6));
  }
  if (pick(20) == 0) word.insert(std::size_t(pick(int(word.size()) + 1)), 1, "x.e-+ "[pick(6)]);
  return word;
}

TEST(ParseReal, GivesExactlyWhatFromCharsGivesForRandomWords) {
  std::mt19937 random(42);
  int plain = 0;
  for (int trial = 0; trial < 400000; ++trial) {
    const std::string word = RandomWord(random);
    double expected = 0, actual = 0;
    const bool expectedOk = Reference(word, expected);
    ASSERT_EQ(ParseReal(word, actual), expectedOk) << "'" << word << "'";
    if (expectedOk)
      ASSERT_EQ(std::bit_cast<std::uint64_t>(actual), std::bit_cast<std::uint64_t>(expected)) << "'" << word << "'";
    double fast = 0;
    if (ParsePlainReal(word, fast) == word.size()) ++plain;
  }
  // Most words take the plain path, so it is what was compared.
  EXPECT_GT(plain, 150000);
}

TEST(ParseReal, HandlesTheEdgesOfThePlainPath) {
  const char* words[] = {"0",        "-0",        "+0.0",     "123456789012345",  "1234567890123456",
                         "0.1",      "1e22",      "1e23",     "1e-22",            "1e-23",
                         "9007199254740993", "4.35",  "1.7976931348623157e308", "5e-324", "1e",
                         ".",        "-.5",       "5.",       "1.e3",             "inf",
                         "nan",      "",          "+",        "0e99999",          "00000000000000000000001.5"};
  for (const char* text : words) {
    double expected = 0, actual = 0;
    const bool expectedOk = Reference(text, expected);
    ASSERT_EQ(ParseReal(text, actual), expectedOk) << "'" << text << "'";
    if (expectedOk && expected == expected)
      EXPECT_EQ(std::bit_cast<std::uint64_t>(actual), std::bit_cast<std::uint64_t>(expected)) << "'" << text << "'";
  }
}

TEST(ParsePlainReal, StopsAtTheEndOfTheNumber) {
  double value = 0;
  EXPECT_EQ(ParsePlainReal("12.5 7", value), 4u);
  EXPECT_EQ(value, 12.5);
  EXPECT_EQ(ParsePlainReal("-3e2\n", value), 4u);
  EXPECT_EQ(value, -300.0);
  EXPECT_EQ(ParsePlainReal("abc", value), 0u);
  EXPECT_EQ(ParsePlainReal("1.00000000000000001", value), 0u);  // beyond 2^53: not plain
  EXPECT_EQ(ParsePlainReal("1.000000000000000000001", value), 0u);  // beyond 64 bits
}

}  // namespace
}  // namespace linea
