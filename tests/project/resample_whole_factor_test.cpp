// Reductions by whole factors take their own path; it must give exactly what the
// general weighted path gives (the truncated mean of each block), for odd sizes,
// padded rows and factors that differ across and down.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "project/base_image_compression.h"
#include "resample_reference.h"

namespace linea {
namespace {

using Pixels = std::vector<std::uint8_t>;

// The truncated mean of each fx x fy block, read from rows of `stride` bytes.
Pixels BlockMeans(const Pixels& source, std::size_t stride, int newWidth, int newHeight, int fx, int fy) {
  Pixels target(std::size_t(newWidth) * newHeight);
  for (int j = 0; j < newHeight; ++j)
    for (int i = 0; i < newWidth; ++i) {
      int sum = 0;
      for (int y = 0; y < fy; ++y)
        for (int x = 0; x < fx; ++x) sum += source[std::size_t(j * fy + y) * stride + std::size_t(i * fx + x)];
      target[std::size_t(j) * newWidth + i] = std::uint8_t(sum / (fx * fy));
    }
  return target;
}

Pixels Noise(std::mt19937& random, std::size_t count) {
  std::uniform_int_distribution<int> value(0, 255);
  Pixels pixels(count);
  for (auto& p : pixels) p = std::uint8_t(value(random));
  return pixels;
}

TEST(ResampleWholeFactor, EqualsTheBlockMeansForRandomSizesAndFactors) {
  std::mt19937 random(2024);
  std::uniform_int_distribution<int> cells(1, 41), factor(1, 6), padding(0, 5);
  for (int trial = 0; trial < 300; ++trial) {
    const int newWidth = cells(random), newHeight = cells(random);
    // Mostly equal factors (2, 3, 4 have their own code), sometimes different ones.
    const int fx = factor(random), fy = trial % 3 == 0 ? factor(random) : fx;
    const int width = newWidth * fx, height = newHeight * fy;
    const std::size_t stride = std::size_t(width + padding(random));
    const Pixels source = Noise(random, stride * std::size_t(height));
    const std::size_t targetStride = std::size_t(newWidth + padding(random));
    Pixels target(targetStride * std::size_t(newHeight), 77);
    ASSERT_EQ(ResampleArea(source, stride, width, height, target, targetStride, newWidth, newHeight), 0);
    const Pixels expected = BlockMeans(source, stride, newWidth, newHeight, fx, fy);
    for (int j = 0; j < newHeight; ++j) {
      for (int i = 0; i < newWidth; ++i)
        ASSERT_EQ(target[std::size_t(j) * targetStride + std::size_t(i)], expected[std::size_t(j) * newWidth + i])
            << width << "x" << height << " by " << fx << "x" << fy << " at " << i << "," << j;
      // Padding of the target rows is left alone.
      for (std::size_t i = std::size_t(newWidth); i < targetStride; ++i)
        ASSERT_EQ(target[std::size_t(j) * targetStride + i], 77);
    }
  }
}


TEST(ResampleWholeFactor, AgreesWithTheWeightedOverlapsOfTheGeneralPath) {
  std::mt19937 random(77);
  for (int factor = 2; factor <= 4; ++factor)
    for (int newWidth : {1, 2, 5, 7}) {
      const int newHeight = 3, width = newWidth * factor, height = newHeight * factor;
      const Pixels source = Noise(random, std::size_t(width) * height);
      Pixels target(std::size_t(newWidth) * newHeight);
      ASSERT_EQ(ResampleArea(source, width, height, target, newWidth, newHeight), 0);
      EXPECT_EQ(target, ReferenceResample(source, width, height, newWidth, newHeight)) << width << " by " << factor;
    }
}

TEST(ResampleWholeFactor, LargeBlocksKeepTheirSums) {
  // All-white blocks of 16 x 16 (just within 16-bit sums) and 17 x 17 (the
  // general path) stay white; 1 x 1 copies the picture.
  for (int factor : {16, 17}) {
    const int side = factor * 3;
    const Pixels source(std::size_t(side) * side, 255);
    Pixels target(9, 0);
    ASSERT_EQ(ResampleArea(source, side, side, target, 3, 3), 0);
    EXPECT_EQ(target, Pixels(9, 255)) << factor;
  }
  std::mt19937 random(5);
  const Pixels source = Noise(random, 7 * 5);
  Pixels copy(7 * 5);
  ASSERT_EQ(ResampleArea(source, 7, 5, copy, 7, 5), 0);
  EXPECT_EQ(copy, source);
}

}  // namespace
}  // namespace linea
