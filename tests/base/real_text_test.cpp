#include "base/real_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

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
    if (expectedOk) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(actual), std::bit_cast<std::uint64_t>(expected)) << "'" << word << "'";
    }
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
    if (expectedOk && expected == expected) {
      EXPECT_EQ(std::bit_cast<std::uint64_t>(actual), std::bit_cast<std::uint64_t>(expected)) << "'" << text << "'";
    }
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

// Reading many words at once: the reference splits at the reader's blanks and reads
// each word as before; a word that is not a number ends a call, passed over.
bool IsReaderBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::size_t SkipBlanks(std::string_view text, std::size_t position) {
  while (position < text.size() && IsReaderBlank(text[position])) ++position;
  return position;
}

std::size_t ReferenceReals(std::string_view text, std::size_t& position, double* values, std::size_t count) {
  std::size_t read = 0;
  while (read < count) {
    position = SkipBlanks(text, position);
    if (position >= text.size()) break;
    const std::size_t start = position;
    while (position < text.size() && !IsReaderBlank(text[position])) ++position;
    if (!Reference(text.substr(start, position - start), values[read])) break;
    ++read;
  }
  return read;
}

// Both readings call by call in calls of `chunk` values: the same values bit for bit,
// the same calls cut short, and the same place to go on from (blanks aside).
void ExpectSameReading(std::string_view text, std::size_t chunk, const std::string& what) {
  std::vector<double> ours(chunk), theirs(chunk);
  std::size_t ourPosition = 0, theirPosition = 0;
  for (int call = 0; SkipBlanks(text, theirPosition) < text.size(); ++call) {
    const std::size_t ourRead = ParseReals(text, ourPosition, ours.data(), chunk);
    const std::size_t theirRead = ReferenceReals(text, theirPosition, theirs.data(), chunk);
    ASSERT_EQ(ourRead, theirRead) << what << " call " << call;
    for (std::size_t i = 0; i < ourRead; ++i)
      ASSERT_EQ(std::bit_cast<std::uint64_t>(ours[i]), std::bit_cast<std::uint64_t>(theirs[i])) << what << " value " << i;
    ASSERT_EQ(SkipBlanks(text, ourPosition), SkipBlanks(text, theirPosition)) << what << " call " << call;
  }
  EXPECT_EQ(ParseReals(text, ourPosition, ours.data(), chunk), 0u) << what;
}

std::string RandomBlanks(std::mt19937& random) {
  const char* runs[] = {" ", " ", " ", "\n", "\r\n", "\t", "  ", "\v", "\f", " \n "};
  return runs[random() % 10];
}

TEST(ParseReals, ReadsRandomTextsExactlyAsWordByWordReading) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 3000; ++trial) {
    std::string text;
    if (random() % 2) text += RandomBlanks(random);
    const int words = int(random() % 40);
    for (int i = 0; i < words; ++i) {
      std::string word = RandomWord(random);
      if (word.empty()) word = "0";
      // Now and then a control character or a byte above 127 inside or after a word.
      if (random() % 50 == 0) word.insert(random() % (word.size() + 1), 1, "\x01\x1f\x80\xff\x7f"[random() % 5]);
      text += word;
      if (i + 1 < words || random() % 2) text += RandomBlanks(random);
    }
    for (const std::size_t chunk : {std::size_t(1), std::size_t(3), std::size_t(64)}) {
      ExpectSameReading(text, chunk, "trial " + std::to_string(trial) + " '" + text + "'");
      if (HasFatalFailure()) return;
    }
  }
}

TEST(ParseReals, ReadsGridWordsOfEveryPrecisionBitForBit) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> magnitude(-7, 9);
  std::string text;
  for (int i = 0; i < 200000; ++i) {
    const double value = (random() % 3 == 0 ? -1 : 1) * std::pow(10.0, magnitude(random)) * (random() % 7 == 0 ? 0 : 1);
    char word[64];
    const char* formats[] = {"%.3f", "%.0f", "%.1f", "%.7f", "%.8f", "%.2f", "%g", "%.15g", "%+.3f", "%.3e"};
    std::snprintf(word, sizeof word, formats[random() % 10], value);
    text += word;
    text += i % 100 == 99 ? "\r\n" : " ";
  }
  ExpectSameReading(text, 4096, "grid words");
  // None refused: one call reads them all.
  std::vector<double> values(200001);
  std::size_t position = 0;
  EXPECT_EQ(ParseReals(text, position, values.data(), values.size()), 200000u);
}

TEST(ParseReals, StopsAfterCountAndAtARefusedWord) {
  std::vector<double> values(4, -1);
  std::size_t position = 0;
  const std::string text = "  1.5\t-2.25\n3 x7 4.125      5.000000 ";
  EXPECT_EQ(ParseReals(text, position, values.data(), 2), 2u);
  EXPECT_EQ(values[0], 1.5);
  EXPECT_EQ(values[1], -2.25);
  EXPECT_EQ(ParseReals(text, position, values.data(), 4), 1u);  // "x7" is no number
  EXPECT_EQ(values[0], 3.0);
  EXPECT_EQ(text.substr(position, 2), " 4");
  EXPECT_EQ(ParseReals(text, position, values.data(), 4), 2u);  // the end of the text
  EXPECT_EQ(values[0], 4.125);
  EXPECT_EQ(values[1], 5.0);
  EXPECT_EQ(position, text.size());
  EXPECT_EQ(ParseReals(text, position, values.data(), 4), 0u);
  std::size_t beyond = text.size() + 5;  // a position past the end reads nothing
  EXPECT_EQ(ParseReals(text, beyond, values.data(), 4), 0u);
}

}  // namespace
}  // namespace linea
