#pragma once
// Reading decimal reals from large texts (grids of millions of heights) fast,
// with exactly the value std::from_chars gives.

#include <cstddef>
#include <string_view>

namespace linea {

// Parses a plain decimal number at the start of `text` ("-12.375", "+4", "3.5e2",
// ".25", "7."): at most 19 digits worth at most 2^53 and a small power of ten, where one
// correctly rounded operation gives the correctly rounded value. Returns the
// characters used, or 0 when the number is not of that plain kind (too many
// digits, "inf", no digits ...) and must be left to std::from_chars.
std::size_t ParsePlainReal(std::string_view text, double& value);

// The whole of `word` as a real, as std::from_chars reads it (a leading '+' is
// allowed); false when it is not a number.
bool ParseReal(std::string_view word, double& value);

// Reads up to `count` reals separated by white space (' ', \t, \n, \v, \f, \r) from
// `text` at `position` into `values`, each exactly as ParseReal reads its word.
// Returns how many were read: fewer than `count` at the end of the text or at a word
// that is not a number (then `position` is past that word). `position` ends after
// the last word read.
std::size_t ParseReals(std::string_view text, std::size_t& position, double* values, std::size_t count);

}  // namespace linea
