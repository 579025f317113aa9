#include "imaging/image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "image_samples.h"

namespace linea {
namespace {

TEST(ImageTest, IsEmptyAfterConstructionAndAfterDeleteObject) {
  CImage image;
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.GetWidth(), 0);
  EXPECT_EQ(image.GetBits(), nullptr);
  ASSERT_TRUE(image.Create(4, 3, 24));
  EXPECT_FALSE(image.IsEmpty());
  image.DeleteObject();
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.GetHeight(), 0);
  EXPECT_EQ(image.GetBitsPerPixel(), 0);
}

class ImageRowPaddingTest : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(ImageRowPaddingTest, RowsArePaddedToFourBytesAndStartAtTheTop) {
  auto [width, bits] = GetParam();
  CImage image;
  ASSERT_TRUE(image.Create(width, 2, bits));
  const int expected = ((width * bits / 8) + 3) / 4 * 4;
  EXPECT_EQ(image.GetBytesPerLine(), expected);
  EXPECT_EQ(image.GetBytesPerPixel(), bits / 8);
  // The last pixel of row 0 sits just before row 1's padding-aligned start.
  image.GetBits()[(width - 1) * (bits / 8)] = 0x5A;
  const std::uint32_t stored = bits == 8 ? std::uint32_t(image.GetIndexFromPixel(width - 1, 0))
                                         : ColorBlue(image.GetColorFromPixel(width - 1, 0));
  EXPECT_EQ(stored, 0x5Au);
  EXPECT_EQ(image.Row(1), image.GetBits() + expected);
}

INSTANTIATE_TEST_SUITE_P(OddWidths, ImageRowPaddingTest,
                         testing::Combine(testing::Values(1, 3, 5, 7), testing::Values(8, 24)));

TEST(ImageTest, CreateRefusesBadSizesAndDepthsAndKeepsTheImage) {
  CImage image = MakePatternImage(5, 4, 8);
  const CImage before = image;
  EXPECT_FALSE(image.Create(0, 4, 8));
  EXPECT_FALSE(image.Create(4, -1, 8));
  EXPECT_FALSE(image.Create(32768, 1, 8));
  EXPECT_FALSE(image.Create(4, 4, 16));
  EXPECT_FALSE(image.Create(4, 4, 32));
  ExpectSameImage(before, image);
  EXPECT_TRUE(image.Create(32767, 1, 8));
}

TEST(ImageTest, EightBitImagesStartWithTheGreyPalette) {
  CImage image;
  ASSERT_TRUE(image.Create(2, 2, 8));
  for (int i = 0; i < 256; ++i) ASSERT_EQ(image.GetColorFromIndex(i), std::uint32_t(i) * 0x010101u);
  EXPECT_EQ(image.GetIndexFromPixel(1, 1), 0);
}

TEST(ImageTest, PaletteAndPixelAccessUseRedInTheLowByte) {
  CImage image;
  ASSERT_TRUE(image.Create(3, 2, 8));
  image.SetColorForIndex(7, MakeColor(10, 20, 30));
  EXPECT_EQ(image.GetColorFromIndex(7), 0x1E140Au);
  ASSERT_TRUE(image.SetColorForPixel(2, 1, 7));
  EXPECT_EQ(image.GetIndexFromPixel(2, 1), 7);
  EXPECT_EQ(image.GetColorFromPixel(2, 1), MakeColor(10, 20, 30));
  EXPECT_FALSE(image.SetColorForPixel(3, 0, 1));
  EXPECT_FALSE(image.SetColorForPixel(0, 0, 256));
  EXPECT_EQ(image.GetIndexFromPixel(-1, 0), -1);
  EXPECT_EQ(image.GetColorFromPixel(0, 2), 0u);
  EXPECT_EQ(image.GetColorFromIndex(256), 0u);

  CImage colour;
  ASSERT_TRUE(colour.Create(2, 1, 24));
  std::uint8_t* p = colour.Row(0) + 3;  // pixel 1: blue, green, red
  p[0] = 0x33, p[1] = 0x22, p[2] = 0x11;
  EXPECT_EQ(colour.GetColorFromPixel(1, 0), MakeColor(0x11, 0x22, 0x33));
  EXPECT_EQ(colour.GetIndexFromPixel(1, 0), -1);
  EXPECT_FALSE(colour.SetColorForPixel(1, 0, 3));
}

TEST(ImageTest, FindNearestPaletteColorTakesTheFirstClosestEntry) {
  CImage image;
  ASSERT_TRUE(image.Create(1, 1, 8));
  for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, MakeColor(0, 0, 0));
  image.SetColorForIndex(10, MakeColor(100, 100, 100));
  image.SetColorForIndex(20, MakeColor(200, 0, 0));
  image.SetColorForIndex(30, MakeColor(200, 0, 0));
  EXPECT_EQ(image.FindNearestPaletteColor(MakeColor(90, 110, 100)), 10);
  EXPECT_EQ(image.FindNearestPaletteColor(MakeColor(255, 0, 0)), 20);
  EXPECT_EQ(image.FindNearestPaletteColor(MakeColor(5, 5, 5)), 0);
}

TEST(ImageTest, FillIsClippedToTheImage) {
  CImage image;
  ASSERT_TRUE(image.Create(4, 3, 24));
  image.Fill(-2, 1, 4, 100, 0xFFFFFF);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(image.GetColorFromPixel(x, y), (y >= 1 && x < 2) ? 0xFFFFFFu : 0u) << x << "," << y;
  image.Fill(3, 2, 2147483647, 2147483647, MakeColor(1, 2, 3));  // no overflow at the edges
  EXPECT_EQ(image.GetColorFromPixel(3, 2), MakeColor(1, 2, 3));
  image.Fill(0, 0, 0, 5, 0);  // nothing
  EXPECT_EQ(image.GetColorFromPixel(0, 1), 0xFFFFFFu);

  CImage indexed;
  ASSERT_TRUE(indexed.Create(3, 3, 8));
  indexed.Fill(1, 1, 5, 5, MakeColor(201, 199, 200));  // nearest grey entry is 200
  EXPECT_EQ(indexed.GetIndexFromPixel(2, 2), 200);
  EXPECT_EQ(indexed.GetIndexFromPixel(0, 2), 0);
}

TEST(ImageQuantizeTest, KeepsUpTo256ColoursExactly) {
  CImage image;
  ASSERT_TRUE(image.Create(16, 16, 24));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      std::uint8_t* p = image.Row(y) + 3 * x;
      p[0] = std::uint8_t(x * 16 + 1), p[1] = std::uint8_t(y * 16 + 2), p[2] = std::uint8_t((x ^ y) * 3);
    }
  const CImage original = image;
  ASSERT_TRUE(image.Quantize(8));
  EXPECT_EQ(image.GetBitsPerPixel(), 8);
  EXPECT_EQ(MaxChannelDifference(original, image), 0);
}

TEST(ImageQuantizeTest, MapsAGradientOfManyColoursCloselyAndUsesTheWholePalette) {
  CImage image;
  ASSERT_TRUE(image.Create(128, 128, 24));
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      std::uint8_t* p = image.Row(y) + 3 * x;
      p[0] = std::uint8_t((x + y) / 2), p[1] = std::uint8_t(y * 2), p[2] = std::uint8_t(x * 2);
    }
  const CImage original = image;
  ASSERT_TRUE(image.Quantize(8));
  ASSERT_EQ(image.GetBitsPerPixel(), 8);
  std::set<int> used;
  double total = 0;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      used.insert(image.GetIndexFromPixel(x, y));
      std::uint32_t a = original.GetColorFromPixel(x, y), b = image.GetColorFromPixel(x, y);
      for (int s = 0; s < 24; s += 8) total += std::abs(int((a >> s) & 255) - int((b >> s) & 255));
    }
  // 16384 colours in 256 entries: about 8 levels a channel apart at worst.
  EXPECT_LE(MaxChannelDifference(original, image), 16);
  EXPECT_LT(total / (128.0 * 128 * 3), 4.0);
  EXPECT_GT(used.size(), 200u);
}

TEST(ImageQuantizeTest, LeavesEightBitImagesAndRefusesOtherDepths) {
  CImage image = MakePatternImage(5, 5, 8);
  const CImage before = image;
  EXPECT_TRUE(image.Quantize(8));
  ExpectSameImage(before, image);
  CImage colour = MakePatternImage(3, 3, 24);
  EXPECT_FALSE(colour.Quantize(4));
  EXPECT_EQ(colour.GetBitsPerPixel(), 24);
  CImage empty;
  EXPECT_FALSE(empty.Quantize(8));
}

}  // namespace
}  // namespace linea
