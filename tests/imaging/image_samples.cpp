#include "image_samples.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/image_codecs.h"

namespace linea {

CImage MakePatternImage(int width, int height, int bitsPerPixel) {
  CImage image;
  EXPECT_TRUE(image.Create(width, height, bitsPerPixel));
  if (bitsPerPixel == 8) {
    for (int i = 0; i < 256; ++i)
      image.SetColorForIndex(i, MakeColor(std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) image.SetColorForPixel(x, y, (x * 31 + y * 17 + x * y) & 255);
    return image;
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = image.Row(y) + 3 * x;
      p[0] = std::uint8_t(x * 37 + y * 11);
      p[1] = std::uint8_t(x * 5 + y * 53);
      p[2] = std::uint8_t(x * y * 3 + 200);
    }
  return image;
}

void ExpectSameImage(const CImage& expected, const CImage& actual) {
  ASSERT_EQ(expected.GetWidth(), actual.GetWidth());
  ASSERT_EQ(expected.GetHeight(), actual.GetHeight());
  ASSERT_EQ(expected.GetBitsPerPixel(), actual.GetBitsPerPixel());
  int wrong = 0;
  for (int y = 0; y < expected.GetHeight(); ++y)
    for (int x = 0; x < expected.GetWidth(); ++x) {
      const bool differs = expected.GetBitsPerPixel() == 8
                               ? expected.GetIndexFromPixel(x, y) != actual.GetIndexFromPixel(x, y)
                               : expected.GetColorFromPixel(x, y) != actual.GetColorFromPixel(x, y);
      if (differs && wrong++ < 5) ADD_FAILURE() << "pixel " << x << "," << y << " differs";
    }
  EXPECT_EQ(wrong, 0);
  if (expected.GetBitsPerPixel() == 8) {
    EXPECT_EQ(expected.Palette(), actual.Palette());
  }
}

int MaxChannelDifference(const CImage& a, const CImage& b) {
  int worst = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) {
      std::uint32_t ca = a.GetColorFromPixel(x, y), cb = b.GetColorFromPixel(x, y);
      for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(int((ca >> shift) & 255) - int((cb >> shift) & 255)));
    }
  return worst;
}

std::vector<std::uint8_t> Encode(const CImage& image, int formatCode) {
  std::vector<std::uint8_t> bytes;
  const ImageCodec* codec = FindCodecByFormat(formatCode);
  if (!codec || !codec->write(image, bytes)) bytes.clear();
  return bytes;
}

}  // namespace linea
