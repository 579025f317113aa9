// Truncated, corrupt and hostile files: every one must be refused, and the image
// it was loaded into must stay as it was.

#include <zlib.h>

#include <gtest/gtest.h>

#include <string>

#include "base/binary_io.h"
#include "image_samples.h"
#include "imaging/image_codecs.h"

namespace linea {
namespace {

void ExpectRefused(const std::vector<std::uint8_t>& bytes, const std::string& what) {
  CImage target = MakePatternImage(3, 2, 8);
  const CImage before = target;
  EXPECT_FALSE(DecodeImage(bytes, target)) << what;
  ExpectSameImage(before, target);
}

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t size) {
  bytes.resize(std::min(size, bytes.size()));
  return bytes;
}

class TruncatedFileTest : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(TruncatedFileTest, FileCutAnywhereBeforeItsEndIsRefused) {
  auto [format, bits] = GetParam();
  const std::vector<std::uint8_t> whole = Encode(MakePatternImage(13, 11, bits), format);
  ASSERT_FALSE(whole.empty());
  CImage check;
  ASSERT_TRUE(DecodeImage(whole, check));
  // Bytes a reader may do without: the TARGA footer, the GIF trailer, the padding
  // of the last row of a bitmap.
  const std::size_t optional = format == kImageFormatTga ? 26 : format == kImageFormatGif ? 1
                             : format == kImageFormatBmp ? 4 : 0;
  const std::size_t size = whole.size() - optional;
  for (std::size_t cut : {std::size_t(0), std::size_t(1), std::size_t(2), std::size_t(8), std::size_t(17),
                          std::size_t(40), size / 4, size / 2, size * 3 / 4, size - 1})
    ExpectRefused(Cut(whole, cut), "cut at " + std::to_string(cut) + " of " + std::to_string(whole.size()));
}

INSTANTIATE_TEST_SUITE_P(AllReadableFormats, TruncatedFileTest,
                         testing::Combine(testing::Values(kImageFormatTiff, kImageFormatBmp, kImageFormatPcx,
                                                          kImageFormatTga, kImageFormatPng, kImageFormatJpeg,
                                                          kImageFormatGif),
                                          testing::Values(8, 24)));

// 8-bit bitmap header with the fields the tests change; pixels follow the palette.
std::vector<std::uint8_t> Bmp(std::int32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t compression,
                              std::uint32_t colors, const std::vector<std::uint8_t>& pixels) {
  ByteWriter w;
  const std::uint32_t offset = 14 + 40 + 1024;
  w.U8('B'), w.U8('M'), w.U32(0), w.U32(0), w.U32(offset);
  w.U32(40), w.S32(width), w.S32(height), w.U16(1), w.U16(bits), w.U32(compression);
  w.U32(0), w.U32(0), w.U32(0), w.U32(colors), w.U32(0);
  for (int i = 0; i < 1024; ++i) w.U8(0);
  w.Bytes(pixels.data(), pixels.size());
  return w.Data();
}

TEST(MalformedBmpTest, HostileHeadersAndRunsAreRefused) {
  const std::vector<std::uint8_t> row(8, 1);
  ExpectRefused(Bmp(100000, 100000, 8, 0, 0, row), "absurd size");
  ExpectRefused(Bmp(30000, 30000, 24, 0, 0, row), "large size, no pixels");
  ExpectRefused(Bmp(0, 2, 8, 0, 0, row), "zero width");
  ExpectRefused(Bmp(4, INT32_MIN, 8, 0, 0, row), "most negative height");
  ExpectRefused(Bmp(4, 2, 8, 0, 300, row), "more than 256 colours");
  ExpectRefused(Bmp(4, 2, 7, 0, 0, row), "7 bits per pixel");
  ExpectRefused(Bmp(4, 2, 8, 4, 0, row), "JPEG inside a bitmap");
  ExpectRefused(Bmp(4, 2, 24, 1, 0, row), "RLE8 at 24 bits");
  ExpectRefused(Bmp(4, 1, 8, 1, 0, {5, 1, 0, 1}), "run past the row end");
  ExpectRefused(Bmp(4, 1, 8, 1, 0, {0, 5, 1, 2, 3, 4, 5, 0, 0, 1}), "absolute block past the row end");
  ExpectRefused(Bmp(4, 2, 8, 1, 0, {0, 2, 1, 5, 0, 1}), "delta out of the image");
  ExpectRefused(Bmp(4, 2, 8, 1, 0, {2, 1, 0, 0}), "stream ends before the image");
  ExpectRefused(Bmp(4, 2, 8, 1, 0, {0, 3, 1, 2}), "absolute block cut short");
  ExpectRefused(Bmp(30000, 30000, 8, 1, 0, {0, 1}), "tiny stream for a huge image");
  auto offsetPastEnd = Bmp(2, 2, 8, 0, 0, row);
  PutLE32(&offsetPastEnd[10], 0xFFFFFF00u);
  ExpectRefused(offsetPastEnd, "pixel offset past the end");
}

std::vector<std::uint8_t> Pcx(int xmax, int ymax, int bits, int planes, int bytesPerLine,
                              const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> h(128, 0);
  h[0] = 0x0A, h[1] = 5, h[2] = 1, h[3] = std::uint8_t(bits), h[65] = std::uint8_t(planes);
  PutLE16(&h[8], std::uint16_t(xmax));
  PutLE16(&h[10], std::uint16_t(ymax));
  PutLE16(&h[66], std::uint16_t(bytesPerLine));
  h.insert(h.end(), body.begin(), body.end());
  return h;
}

TEST(MalformedPcxTest, HostileHeadersAndRunsAreRefused) {
  std::vector<std::uint8_t> palette(769, 0);
  palette[0] = 0x0C;
  auto withPalette = [&](std::vector<std::uint8_t> body) {
    body.insert(body.end(), palette.begin(), palette.end());
    return body;
  };
  ExpectRefused(Pcx(65535, 0, 8, 1, 65535, withPalette({1})), "width 65536");
  ExpectRefused(Pcx(32766, 32766, 8, 3, 32768, {0xFF, 0x00}), "huge image, two bytes of data");
  ExpectRefused(Pcx(3, 0, 8, 1, 2, withPalette({1, 2, 3, 4})), "line shorter than the width");
  ExpectRefused(Pcx(1, 0, 8, 1, 2, {1, 2}), "8-bit without its palette");
  ExpectRefused(Pcx(3, 1, 8, 3, 4, {0xC5, 1, 2, 3, 0xC3}), "run without its value at the end");
  ExpectRefused(Pcx(1, 0, 8, 2, 2, {1, 2, 3, 4}), "two 8-bit planes");
  auto reversed = Pcx(1, 0, 8, 1, 2, withPalette({1, 2}));
  PutLE16(&reversed[4], 5);  // xmin beyond xmax
  ExpectRefused(reversed, "xmin beyond xmax");
}

std::vector<std::uint8_t> Tga(int type, int mapFirst, int mapLength, int width, int height, int bits,
                              const std::vector<std::uint8_t>& body) {
  ByteWriter w;
  w.U8(0), w.U8(mapLength ? 1 : 0), w.U8(std::uint8_t(type)), w.U16(std::uint16_t(mapFirst));
  w.U16(std::uint16_t(mapLength)), w.U8(mapLength ? 24 : 0), w.U16(0), w.U16(0);
  w.U16(std::uint16_t(width)), w.U16(std::uint16_t(height)), w.U8(std::uint8_t(bits)), w.U8(0x20);
  for (int i = 0; i < mapLength * 3; ++i) w.U8(7);
  w.Bytes(body.data(), body.size());
  return w.Data();
}

TEST(MalformedTgaTest, HostileHeadersAndPacketsAreRefused) {
  ExpectRefused(Tga(3, 0, 0, 0, 2, 8, {1, 2}), "zero width");
  ExpectRefused(Tga(3, 0, 0, 40000, 2, 8, {1, 2}), "width over 32767");
  ExpectRefused(Tga(3, 0, 0, 30000, 30000, 8, {1, 2}), "raw pixels missing");
  ExpectRefused(Tga(11, 0, 0, 30000, 30000, 8, {0xFF, 1}), "tiny stream for a huge image");
  ExpectRefused(Tga(1, 0, 0, 2, 1, 8, {0, 1}), "colour-mapped without a map");
  ExpectRefused(Tga(1, 200, 100, 2, 1, 8, {0, 1}), "map beyond 256 entries");
  ExpectRefused(Tga(9, 0, 4, 4, 1, 8, {0x83}), "run packet without its pixel");
  ExpectRefused(Tga(10, 0, 0, 4, 1, 24, {0x03, 1, 2, 3, 4, 5, 6}), "raw packet cut short");
  ExpectRefused(Tga(2, 0, 0, 2, 1, 12, {1, 2, 3}), "12 bits per pixel");
  auto mapCut = Tga(1, 0, 256, 2, 1, 8, {});
  ExpectRefused(Cut(mapCut, 18 + 100), "colour map cut short");
  const std::string text = "DSAA\n3 2\n0 2\n0 1\n0 9\n1 2 3\n4 5 6\n";
  EXPECT_EQ(IdentifyCodec(std::vector<std::uint8_t>(text.begin(), text.end())), nullptr);
}

// Sets the value of `tag` in the first directory of a little-endian TIFF.
void PatchTiffTag(std::vector<std::uint8_t>& tiff, std::uint16_t tag, std::uint32_t value) {
  const std::uint32_t directory = GetLE32(&tiff[4]);
  const int count = GetLE16(&tiff[directory]);
  for (int i = 0; i < count; ++i) {
    std::uint8_t* entry = &tiff[directory + 2 + 12 * i];
    if (GetLE16(entry) != tag) continue;
    if (GetLE16(entry + 2) == 3) PutLE16(entry + 8, std::uint16_t(value));
    else PutLE32(entry + 8, value);
    return;
  }
  ADD_FAILURE() << "no tag " << tag;
}

TEST(MalformedTiffTest, HostileDirectoriesAreRefused) {
  const auto whole = Encode(MakePatternImage(5, 3, 8), kImageFormatTiff);
  const std::pair<std::uint16_t, std::uint32_t> patches[] = {
      {256, 100000},      // width
      {257, 0},           // height
      {259, 7},           // JPEG compression
      {259, 34676},       // a compression libtiff has no codec for
      {262, 5},           // separated (CMYK)
      {258, 16},          // 16 bits per sample
      {273, 0x7FFFFFF0},  // strip offset past the end
  };
  for (const auto& [tag, value] : patches) {
    auto bytes = whole;
    PatchTiffTag(bytes, tag, value);
    ExpectRefused(bytes, "tag " + std::to_string(tag) + " = " + std::to_string(value));
  }
}

// Sets IHDR's width and height and recomputes its checksum.
std::vector<std::uint8_t> PngWithSize(std::vector<std::uint8_t> png, std::uint32_t width, std::uint32_t height) {
  auto putBE32 = [](std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v >> 24), p[1] = std::uint8_t(v >> 16), p[2] = std::uint8_t(v >> 8), p[3] = std::uint8_t(v);
  };
  putBE32(&png[16], width);
  putBE32(&png[20], height);
  putBE32(&png[29], std::uint32_t(crc32(0, &png[12], 17)));
  return png;
}

TEST(MalformedPngTest, HostileHeadersAndDamagedDataAreRefused) {
  const auto whole = Encode(MakePatternImage(6, 4, 24), kImageFormatPng);
  CImage sane;
  ASSERT_TRUE(DecodeImage(PngWithSize(whole, 6, 4), sane));  // the patching itself is right
  ExpectRefused(PngWithSize(whole, 100000, 100000), "absurd size");
  ExpectRefused(PngWithSize(whole, 32768, 1), "width over 32767");
  ExpectRefused(PngWithSize(whole, 0, 4), "zero width");
  ExpectRefused(PngWithSize(whole, 6, 40), "more rows than data");
  auto damaged = whole;
  damaged[damaged.size() - 20] ^= 0x55;  // inside IDAT: checksum mismatch
  ExpectRefused(damaged, "damaged image data");
}

TEST(MalformedGifTest, HostileScreensFramesAndCodesAreRefused) {
  const auto whole = Encode(MakePatternImage(4, 3, 8), kImageFormatGif);
  // Screen at 6, frame descriptor after the 256-entry global map at 13 + 768.
  const std::size_t frame = 13 + 768;
  ASSERT_EQ(whole[frame], 0x2C);
  auto screen = whole;
  PutLE16(&screen[6], 40000);
  ExpectRefused(screen, "screen width over 32767");
  auto zeroFrame = whole;
  PutLE16(&zeroFrame[frame + 5], 0);
  ExpectRefused(zeroFrame, "zero frame width");
  auto farFrame = whole;
  PutLE16(&farFrame[frame + 1], 32767);
  ExpectRefused(farFrame, "frame beyond 32767");
  auto codeSize = whole;
  codeSize[frame + 10] = 12;  // LZW minimum code size above 8
  ExpectRefused(codeSize, "bad code size");
}

TEST(MalformedJpegTest, HostileFramesAreRefused) {
  const auto whole = Encode(MakePatternImage(8, 8, 24), kImageFormatJpeg);
  std::size_t frame = 0;
  for (std::size_t i = 2; i + 1 < whole.size() && !frame; ++i)
    if (whole[i] == 0xFF && whole[i + 1] == 0xC0) frame = i;
  ASSERT_NE(frame, 0u);
  auto withSize = [&](int width, int height) {
    auto bytes = whole;
    bytes[frame + 5] = std::uint8_t(height >> 8), bytes[frame + 6] = std::uint8_t(height);
    bytes[frame + 7] = std::uint8_t(width >> 8), bytes[frame + 8] = std::uint8_t(width);
    return bytes;
  };
  ExpectRefused(withSize(65000, 65000), "sides over 32767");
  ExpectRefused(withSize(8, 0), "zero height");
  ExpectRefused(withSize(30000, 30000), "far more pixels than data");
}

TEST(MalformedFileTest, NoiseAfterEverySignatureIsRefused) {
  const std::vector<std::vector<std::uint8_t>> signatures = {
      {'B', 'M'}, {0x0A, 5, 1, 8}, {'I', 'I', 42, 0}, {'M', 'M', 0, 42}, {0xFF, 0xD8, 0xFF},
      {'G', 'I', 'F', '8', '9', 'a'}, {0x89, 'P', 'N', 'G', 13, 10, 26, 10}, {}};
  std::uint32_t state = 12345;
  for (const auto& signature : signatures)
    for (int round = 0; round < 20; ++round) {
      std::vector<std::uint8_t> bytes = signature;
      for (int i = 0; i < 400; ++i) bytes.push_back(std::uint8_t((state = state * 1103515245u + 12345u) >> 24));
      ExpectRefused(bytes, "noise " + std::to_string(round));
    }
  ExpectRefused({}, "empty file");
}

}  // namespace
}  // namespace linea
