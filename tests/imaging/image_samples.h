#pragma once
// Small images built in code for the imaging tests, and comparisons on what a
// user would see: sizes, pixels and palette entries.

#include <cstdint>
#include <vector>

#include "imaging/image.h"

namespace linea {

// 8-bit: a non-grey palette and indices that vary along both axes (all 256 used
// once the image has 256 pixels or more); 24-bit: channels that vary independently.
CImage MakePatternImage(int width, int height, int bitsPerPixel);

// Pixels and, for 8-bit images, all 256 palette entries must be equal.
void ExpectSameImage(const CImage& expected, const CImage& actual);

// Largest difference of any channel of any pixel, comparing colours.
int MaxChannelDifference(const CImage& a, const CImage& b);

// Encodes with the codec of `formatCode`; empty on failure.
std::vector<std::uint8_t> Encode(const CImage& image, int formatCode);

}  // namespace linea
