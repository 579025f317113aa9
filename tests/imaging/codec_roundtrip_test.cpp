#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "image_samples.h"
#include "imaging/image.h"
#include "imaging/image_codecs.h"
#include "support/test_files.h"

namespace linea {
namespace {

struct RoundTripCase {
  int format;
  int bits;
  int width;
};

std::string CaseName(const testing::TestParamInfo<RoundTripCase>& info) {
  return "Format" + std::to_string(info.param.format) + "Bits" + std::to_string(info.param.bits) + "Width" +
         std::to_string(info.param.width);
}

class LosslessRoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(LosslessRoundTripTest, SavedImageLoadsBackIdentical) {
  const RoundTripCase c = GetParam();
  CTempFolder folder;
  const CImage original = MakePatternImage(c.width, 7, c.bits);
  const std::string path = folder.File("image.out");
  ASSERT_TRUE(original.Save(path, c.format));
  CImage loaded;
  ASSERT_TRUE(loaded.Load(path));
  ExpectSameImage(original, loaded);
}

std::vector<RoundTripCase> LosslessCases() {
  std::vector<RoundTripCase> cases;
  for (int width : {1, 3, 5, 7, 64}) {
    for (int format : {kImageFormatTiff, kImageFormatBmp, kImageFormatPcx, kImageFormatTga, kImageFormatPng})
      for (int bits : {8, 24}) cases.push_back({format, bits, width});
    cases.push_back({kImageFormatGif, 8, width});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllLosslessFormats, LosslessRoundTripTest, testing::ValuesIn(LosslessCases()), CaseName);

TEST(CodecRoundTripTest, GreyEightBitImagesKeepTheirGreyPaletteEverywhere) {
  CImage grey;
  ASSERT_TRUE(grey.Create(9, 4, 8));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) grey.SetColorForPixel(x, y, x * 28 + y);
  for (int format : {kImageFormatTiff, kImageFormatBmp, kImageFormatGif, kImageFormatPcx, kImageFormatTga,
                     kImageFormatPng, kImageFormatJpeg}) {
    CImage loaded;
    ASSERT_TRUE(DecodeImage(Encode(grey, format), loaded)) << format;
    EXPECT_EQ(loaded.GetBitsPerPixel(), 8) << format;
    EXPECT_EQ(loaded.Palette(), grey.Palette()) << format;
    const int tolerance = format == kImageFormatJpeg ? 6 : 0;
    EXPECT_LE(MaxChannelDifference(grey, loaded), tolerance) << format;
  }
}

TEST(CodecRoundTripTest, JpegKeepsColourWithinItsLoss) {
  CImage smooth;
  ASSERT_TRUE(smooth.Create(33, 17, 24));
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 33; ++x) {
      std::uint8_t* p = smooth.Row(y) + 3 * x;
      p[0] = std::uint8_t(40 + x * 4), p[1] = std::uint8_t(90 + y * 5), p[2] = std::uint8_t(200 - x * 3);
    }
  CImage loaded;
  ASSERT_TRUE(DecodeImage(Encode(smooth, kImageFormatJpeg), loaded));
  EXPECT_EQ(loaded.GetBitsPerPixel(), 24);
  EXPECT_LE(MaxChannelDifference(smooth, loaded), 12);

  // A coloured palette cannot be a greyscale JPEG: the pixels' colours are kept.
  CImage indexed;
  ASSERT_TRUE(indexed.Create(16, 16, 8));
  for (int i = 0; i < 256; ++i) indexed.SetColorForIndex(i, MakeColor(200, 40, 60));
  ASSERT_TRUE(DecodeImage(Encode(indexed, kImageFormatJpeg), loaded));
  EXPECT_EQ(loaded.GetBitsPerPixel(), 24);
  EXPECT_LE(MaxChannelDifference(indexed, loaded), 6);
}

TEST(CodecRoundTripTest, GifOfAColourImageIsQuantizedToItsOwnColours) {
  CImage colour;
  ASSERT_TRUE(colour.Create(10, 6, 24));
  colour.Fill(0, 0, 10, 6, MakeColor(10, 200, 30));
  colour.Fill(2, 1, 3, 3, MakeColor(250, 5, 5));
  colour.Fill(7, 0, 3, 6, MakeColor(1, 2, 3));
  CImage loaded;
  ASSERT_TRUE(DecodeImage(Encode(colour, kImageFormatGif), loaded));
  EXPECT_EQ(loaded.GetBitsPerPixel(), 8);
  EXPECT_EQ(MaxChannelDifference(colour, loaded), 0);
}

TEST(CodecRoundTripTest, LoadRecognisesTheFormatByContentNotName) {
  CTempFolder folder;
  const CImage original = MakePatternImage(6, 5, 8);
  for (int format : {kImageFormatTiff, kImageFormatPng, kImageFormatGif, kImageFormatPcx, kImageFormatTga}) {
    const std::string saved = folder.File("picture.tif"), renamed = folder.File("picture.bmp");
    ASSERT_TRUE(original.Save(saved, format));
    ASSERT_EQ(std::rename(saved.c_str(), renamed.c_str()), 0);
    CImage loaded;
    ASSERT_TRUE(loaded.Load(renamed)) << format;
    ExpectSameImage(original, loaded);
  }
}

TEST(CodecRoundTripTest, FailedSaveOrLoadChangesNothing) {
  CTempFolder folder;
  const std::string path = folder.File("kept.bmp");
  WriteBytes(path, {1, 2, 3});
  const CImage image = MakePatternImage(3, 3, 24);
  EXPECT_FALSE(image.Save(path, 2));   // no such format code
  EXPECT_FALSE(image.Save(path, -1));  // raw data is not the image's business
  EXPECT_FALSE(CImage().Save(path, kImageFormatBmp));
  EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_FALSE(image.Save(folder.File("missing/folder.bmp"), kImageFormatBmp));

  CImage target = MakePatternImage(4, 2, 8);
  const CImage before = target;
  EXPECT_FALSE(target.Load(path));
  EXPECT_FALSE(target.Load(folder.File("absent.png")));
  EXPECT_FALSE(target.Load(folder.Path()));  // a folder
  ExpectSameImage(before, target);
}

TEST(CodecRoundTripTest, SaveReplacesAnExistingFileWhole) {
  CTempFolder folder;
  const std::string path = folder.File("image.bmp");
  WriteBytes(path, std::vector<std::uint8_t>(5000, 0xEE));
  const CImage image = MakePatternImage(2, 2, 24);
  ASSERT_TRUE(image.Save(path, kImageFormatBmp));
  EXPECT_EQ(ReadBytes(path).size(), 54u + 8u * 2u);
  EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::string>{"image.bmp"});
}

TEST(GridWriterTest, WritesDsaaTextWithTheBottomRowFirst) {
  CImage image;
  ASSERT_TRUE(image.Create(3, 2, 8));
  const int indices[2][3] = {{7, 8, 9}, {1, 200, 3}};  // row 0 is the top
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) image.SetColorForPixel(x, y, indices[y][x]);
  image.SetColorForIndex(200, MakeColor(1, 2, 3));  // the index is written, not the colour
  const std::vector<std::uint8_t> bytes = Encode(image, kImageFormatGrid);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "DSAA\n3 2\n0 2\n0 1\n1 200\n1 200 3\n7 8 9\n");

  CImage colour;
  ASSERT_TRUE(colour.Create(3, 2, 24));
  colour.Fill(0, 0, 3, 1, MakeColor(30, 60, 91));  // (30 + 60 + 91) / 3 = 60
  colour.Fill(2, 1, 1, 1, MakeColor(255, 255, 254));
  const std::vector<std::uint8_t> grey = Encode(colour, kImageFormatGrid);
  EXPECT_EQ(std::string(grey.begin(), grey.end()), "DSAA\n3 2\n0 2\n0 1\n0 254\n0 0 254\n60 60 60\n");
}

TEST(CodecTableTest, EveryFormatCodeHasOneNamedCodecAndGridsAreWriteOnly) {
  for (int format : {0, 1, 6, 7, 8, 9, 17, 30}) {
    const ImageCodec* codec = FindCodecByFormat(format);
    ASSERT_NE(codec, nullptr) << format;
    EXPECT_NE(std::string(codec->name), "");
    EXPECT_NE(codec->write, nullptr);
  }
  EXPECT_EQ(FindCodecByFormat(2), nullptr);
  EXPECT_EQ(FindCodecByFormat(-1), nullptr);
  EXPECT_EQ(ImageCodecs().size(), 8u);
  const std::vector<std::uint8_t> grid = Encode(MakePatternImage(2, 2, 8), kImageFormatGrid);
  EXPECT_EQ(IdentifyCodec(grid), nullptr);
  CImage image;
  EXPECT_FALSE(DecodeImage(grid, image));
  EXPECT_EQ(IdentifyCodec(Encode(MakePatternImage(2, 2, 8), kImageFormatPcx))->formatCode, kImageFormatPcx);
}

}  // namespace
}  // namespace linea
