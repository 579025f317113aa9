#include "project/base_image_compression.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "imaging/image.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"
#include "resample_reference.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

using Pixels = std::vector<std::uint8_t>;

Pixels Resample(const Pixels& source, int width, int height, int newWidth, int newHeight) {
  Pixels target(std::size_t(newWidth) * newHeight, 77);
  EXPECT_EQ(ResampleArea(source, width, height, target, newWidth, newHeight), 0);
  return target;
}


TEST(CompressionFactor, IsRoundedToTheNearestEighth) {
  EXPECT_DOUBLE_EQ(RoundCompressionFactor(1.3), 1.25);
  EXPECT_DOUBLE_EQ(RoundCompressionFactor(2.06), 2.0);
  EXPECT_DOUBLE_EQ(RoundCompressionFactor(2.07), 2.125);
  EXPECT_DOUBLE_EQ(RoundCompressionFactor(3.0), 3.0);
}

TEST(ResampleArea, FactorTwoAveragesTwoByTwo) {
  Pixels source;
  for (int y = 0; y < 4; ++y)
    for (int v : {0, 10, 20, 30}) source.push_back(std::uint8_t(v));
  EXPECT_EQ(Resample(source, 4, 4, 2, 2), (Pixels{5, 25, 5, 25}));
}

TEST(ResampleArea, FactorOneAndAHalfSplitsTheMiddlePixel) {
  const Pixels source = {0, 0, 0, 30, 30, 30, 60, 60, 60};
  EXPECT_EQ(Resample(source, 3, 3, 2, 2), (Pixels{10, 10, 50, 50}));
}

TEST(ResampleArea, TallNarrowImageFillsEveryTargetRow) {
  // 5 x 100 by 2: 2 x 50. One scale for both axes (5 / 2 = 2.5) would fill 40 rows only.
  Pixels source(5 * 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 5; ++x) source[std::size_t(y) * 5 + x] = std::uint8_t(2 * y);
  const Pixels target = Resample(source, 5, 100, 2, 50);
  for (int k = 0; k < 50; ++k) {
    EXPECT_EQ(target[std::size_t(k) * 2], 4 * k + 1) << k;  // the mean of rows 2k and 2k + 1
    EXPECT_EQ(target[std::size_t(k) * 2 + 1], 4 * k + 1) << k;
  }
}

TEST(ResampleArea, UniformImageStaysUniform) {
  for (double factor : {1.3, 2.5, 3.7}) {
    for (auto [width, height] : {std::pair{101, 77}, std::pair{64, 64}, std::pair{1000, 37}}) {
      const int newWidth = int(width / factor), newHeight = int(height / factor);
      const Pixels target = Resample(Pixels(std::size_t(width) * height, 200), width, height, newWidth, newHeight);
      EXPECT_EQ(target, Pixels(target.size(), 200)) << factor << " " << width << "x" << height;
      const Pixels white = Resample(Pixels(std::size_t(width) * height, 255), width, height, newWidth, newHeight);
      EXPECT_EQ(white, Pixels(white.size(), 255)) << factor;
    }
  }
}

TEST(ResampleArea, AgreesWithThePlainOverlapSums) {
  std::mt19937 random(1234);
  std::uniform_int_distribution<int> side(1, 30), value(0, 255);
  for (int trial = 0; trial < 200; ++trial) {
    const int width = side(random), height = side(random);
    const int newWidth = std::uniform_int_distribution<int>(1, width)(random);
    const int newHeight = std::uniform_int_distribution<int>(1, height)(random);
    Pixels source(std::size_t(width) * height);
    for (auto& p : source) p = std::uint8_t(value(random));
    ASSERT_EQ(Resample(source, width, height, newWidth, newHeight),
              ReferenceResample(source, width, height, newWidth, newHeight))
        << width << "x" << height << " -> " << newWidth << "x" << newHeight;
  }
}

TEST(ResampleArea, RefusesSizesThatDoNotFit) {
  Pixels source(12, 1), target(12, 9);
  EXPECT_EQ(ResampleArea(source, 4, 3, target, 5, 2), 17);  // wider than the source
  EXPECT_EQ(ResampleArea(source, 4, 3, target, 0, 2), 17);
  EXPECT_EQ(ResampleArea(Pixels(11), 4, 3, target, 2, 2), 17);  // source shorter than 4 x 3
  Pixels small(3);
  EXPECT_EQ(ResampleArea(source, 4, 3, small, 2, 2), 17);
  EXPECT_EQ(target, Pixels(12, 9));
}

class Compression : public ::testing::Test {
 protected:
  Compression() : stack(host) {}

  // The base layer, `width` x `height`, pixel (x, y) = value(x, y).
  template <typename F>
  void AddBase(int width, int height, F value) {
    auto base = std::make_unique<CBitmapLayer>("Исходное", false);
    ASSERT_TRUE(base->Image().Create(width, height, 8));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) base->Image().Row(y)[x] = std::uint8_t(value(x, y));
    stack.AddLayer(std::move(base));
  }

  CTestHost host;
  CLayerStack stack;
  CTempFolder folder;
};

TEST_F(Compression, WritesTheReducedBaseImageAsRawData) {
  // Rows of 5 pixels are padded to 8 bytes in the image.
  AddBase(5, 100, [](int, int y) { return 2 * y; });
  const std::string path = folder.File("map_.raw");
  ASSERT_EQ(CompressBaseImage(host, stack, 2.0, path, 1), 0);
  const Pixels bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 100u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[99], 197);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(Compression, WritesLibraryFormatsIncludingTheGrid) {
  AddBase(10, 8, [](int x, int) { return x * 20; });
  ASSERT_EQ(CompressBaseImage(host, stack, 2.5, folder.File("small.bmp"), 2), 0);
  CImage reduced;
  ASSERT_TRUE(reduced.Load(folder.File("small.bmp")));
  EXPECT_EQ(reduced.GetWidth(), 4);
  EXPECT_EQ(reduced.GetHeight(), 3);
  EXPECT_EQ(reduced.Row(0)[0], 16);  // (0 + 20 + half of 40) / 2.5
  EXPECT_EQ(reduced.Row(2)[3], 164);  // (half of 140 + 160 + 180) / 2.5
  ASSERT_EQ(CompressBaseImage(host, stack, 2.0, folder.File("small.grd"), 6), 0);
  EXPECT_EQ(ReadTextFile(folder.File("small.grd")).rfind("DSAA\n5 4\n", 0), 0u);
}

TEST_F(Compression, RefusesFactorsBelowOneAndFactorsThatLeaveNothing) {
  AddBase(10, 8, [](int, int) { return 1; });
  EXPECT_EQ(CompressBaseImage(host, stack, 0.5, folder.File("big.raw"), 1), 1);
  EXPECT_EQ(host.OnlyMessageText(), "Недопустимый коэффициент масштабирования.");
  CTestHost other;
  EXPECT_EQ(CompressBaseImage(other, stack, 9.0, folder.File("none.raw"), 1), 1);
  EXPECT_EQ(other.messages.size(), 1u);
  EXPECT_TRUE(ListFolder(folder.Path()).empty());
}

TEST_F(Compression, NeedsTheBaseLayer) {
  EXPECT_EQ(CompressBaseImage(host, stack, 2.0, folder.File("x.raw"), 1), 3);
  EXPECT_FALSE(FileExists(folder.File("x.raw")));
  AddBase(10, 8, [](int, int) { return 1; });
  EXPECT_EQ(CompressBaseImage(host, stack, 2.0, folder.File("no/folder/x.raw"), 1), 1);
  EXPECT_EQ(CompressBaseImage(host, stack, 2.0, folder.File("x.raw"), 12), 1);
  EXPECT_TRUE(ListFolder(folder.Path()).empty());
}

}  // namespace
}  // namespace linea
