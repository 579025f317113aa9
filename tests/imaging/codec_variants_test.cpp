// Files as other programs write them: hand-built BMP, TGA and PCX files, and
// TIFF, PNG and GIF files made with the libraries themselves.

#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

#include <gtest/gtest.h>

#include <functional>

#include "base/binary_io.h"
#include "image_samples.h"
#include "imaging/image_codecs.h"
#include "support/test_files.h"

namespace linea {
namespace {

CImage MustDecode(const std::vector<std::uint8_t>& bytes) {
  CImage image;
  EXPECT_TRUE(DecodeImage(bytes, image));
  return image;
}

// Indices of an 8-bit image, top row first.
std::vector<int> Indices(const CImage& image) {
  std::vector<int> values;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) values.push_back(image.GetIndexFromPixel(x, y));
  return values;
}

std::vector<std::uint32_t> Colors(const CImage& image) {
  std::vector<std::uint32_t> values;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) values.push_back(image.GetColorFromPixel(x, y));
  return values;
}

// ---- BMP ----

std::vector<std::uint8_t> BmpFile(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
                                  const std::vector<std::uint32_t>& palette, const std::vector<std::uint8_t>& pixels,
                                  const std::vector<std::uint32_t>& masks = {}) {
  ByteWriter w;
  const std::uint32_t offset = 14 + 40 + std::uint32_t(masks.size() * 4 + palette.size() * 4);
  w.U8('B'), w.U8('M'), w.U32(offset + std::uint32_t(pixels.size())), w.U32(0), w.U32(offset);
  w.U32(40), w.S32(width), w.S32(height), w.U16(1), w.U16(std::uint16_t(bits)), w.U32(compression);
  w.U32(std::uint32_t(pixels.size())), w.U32(0), w.U32(0), w.U32(std::uint32_t(palette.size())), w.U32(0);
  for (std::uint32_t m : masks) w.U32(m);
  for (std::uint32_t c : palette) w.U32(c);  // stored B, G, R, 0
  w.Bytes(pixels.data(), pixels.size());
  return w.Data();
}

TEST(BmpVariantsTest, OneBitBottomUpExpandsThePaletteTo256Entries) {
  // 10 x 2, rows padded to 4 bytes; the file's first row is the bottom.
  const auto file = BmpFile(10, 2, 1, 0, {0x000000FF, 0x00FF0000},
                            {0b10000000, 0b01000000, 0, 0, 0b11111111, 0b11000000, 0, 0});
  const CImage image = MustDecode(file);
  ASSERT_EQ(image.GetBitsPerPixel(), 8);
  EXPECT_EQ(Indices(image), (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(image.GetColorFromIndex(0), MakeColor(0, 0, 255));
  EXPECT_EQ(image.GetColorFromIndex(1), MakeColor(255, 0, 0));
  EXPECT_EQ(image.GetColorFromIndex(2), 0u);
}

TEST(BmpVariantsTest, FourBitTopDownAndOs2HeaderKeepRowOrder) {
  std::vector<std::uint32_t> palette(16);
  for (int i = 0; i < 16; ++i) palette[i] = std::uint32_t(i * 16);  // blue ramp
  const auto file = BmpFile(3, -2, 4, 0, palette, {0x12, 0x30, 0, 0, 0xAB, 0xC0, 0, 0});
  const CImage image = MustDecode(file);
  EXPECT_EQ(Indices(image), (std::vector<int>{1, 2, 3, 10, 11, 12}));
  EXPECT_EQ(image.GetColorFromIndex(15), MakeColor(0, 0, 240));

  ByteWriter os2;  // 12-byte header, 3-byte palette entries, 2 x 1 at 8 bits
  os2.U8('B'), os2.U8('M'), os2.U32(0), os2.U32(0), os2.U32(14 + 12 + 6);
  os2.U32(12), os2.U16(2), os2.U16(1), os2.U16(1), os2.U16(8);
  for (std::uint8_t b : {0, 0, 9, 7, 0, 0}) os2.U8(b);
  for (std::uint8_t b : {1, 0, 0, 0}) os2.U8(b);
  const CImage old = MustDecode(os2.Data());
  EXPECT_EQ(Indices(old), (std::vector<int>{1, 0}));
  EXPECT_EQ(old.GetColorFromIndex(1), MakeColor(0, 0, 7));
}

TEST(BmpVariantsTest, ThirtyTwoAndSixteenBitLoadAsTwentyFourBit) {
  const auto file32 = BmpFile(2, 1, 32, 0, {}, {1, 2, 3, 0xFF, 4, 5, 6, 0x80});
  const CImage deep = MustDecode(file32);
  EXPECT_EQ(deep.GetBitsPerPixel(), 24);
  EXPECT_EQ(Colors(deep), (std::vector<std::uint32_t>{MakeColor(3, 2, 1), MakeColor(6, 5, 4)}));

  // 5-6-5 bit fields: pure red, pure green.
  const auto file16 = BmpFile(2, 1, 16, 3, {}, {0x00, 0xF8, 0xE0, 0x07}, {0xF800, 0x07E0, 0x001F});
  EXPECT_EQ(Colors(MustDecode(file16)), (std::vector<std::uint32_t>{MakeColor(255, 0, 0), MakeColor(0, 255, 0)}));
}

TEST(BmpVariantsTest, Rle8AndRle4DecodeRunsAbsoluteBlocksAndDeltas) {
  std::vector<std::uint32_t> palette(256, 0);
  // Bottom row: run of 3 x 5, then 1 x 6; next row: absolute 7 8 9 (padded); top row: delta by 1, run 2 x 4.
  const std::vector<std::uint8_t> rle8 = {3, 5, 1, 6, 0, 0, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 1, 0, 2, 4, 0, 1};
  const CImage image = MustDecode(BmpFile(4, 3, 8, 1, palette, rle8));
  EXPECT_EQ(Indices(image), (std::vector<int>{0, 4, 4, 0, 7, 8, 9, 0, 5, 5, 5, 6}));

  palette.resize(16);
  // Run of 5 alternating 1 and 2, end of line; absolute 3 nibbles 3 4 5, end of bitmap.
  const std::vector<std::uint8_t> rle4 = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1};
  EXPECT_EQ(Indices(MustDecode(BmpFile(5, 2, 4, 2, palette, rle4))),
            (std::vector<int>{3, 4, 5, 0, 0, 1, 2, 1, 2, 1}));
}

// ---- TIFF ----

struct TiffVariant {
  std::uint16_t photometric = PHOTOMETRIC_PALETTE;
  std::uint16_t bits = 8;
  std::uint16_t samples = 1;
  std::uint16_t compression = COMPRESSION_NONE;
  bool tiled = false;
  std::uint16_t planar = PLANARCONFIG_CONTIG;
};

constexpr int kTiffWidth = 21, kTiffHeight = 19;  // not multiples of the 16 x 16 tiles

std::uint8_t TiffSample(int x, int y, int s) { return std::uint8_t(x * 11 + y * 7 + s * 50); }

std::vector<std::uint8_t> WriteTiffVariant(const TiffVariant& v) {
  CTempFolder folder;
  const std::string path = folder.File("variant.tif");
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) return {};
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kTiffWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kTiffHeight);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, v.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, v.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, v.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, v.planar);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, v.compression);
  if (v.samples == 4) {
    std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  std::vector<std::uint16_t> map(3 * (1u << v.bits));
  if (v.photometric == PHOTOMETRIC_PALETTE) {
    const std::size_t n = 1u << v.bits;
    for (std::size_t i = 0; i < n; ++i) map[i] = std::uint16_t(i * 257), map[n + i] = 0x1234, map[2 * n + i] = 65535;
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
  }
  // Whole image packed row by row, samples interleaved.
  const std::size_t rowBytes = (std::size_t(kTiffWidth) * v.samples * v.bits + 7) / 8;
  std::vector<std::uint8_t> pixels(rowBytes * kTiffHeight, 0);
  for (int y = 0; y < kTiffHeight; ++y)
    for (int x = 0; x < kTiffWidth; ++x)
      for (int s = 0; s < v.samples; ++s) {
        const std::size_t bit = (std::size_t(x) * v.samples + s) * v.bits;
        const int value = TiffSample(x, y, s) >> (8 - v.bits);
        pixels[y * rowBytes + bit / 8] |= std::uint8_t(value << (8 - v.bits - bit % 8));
      }
  bool ok = true;
  if (v.tiled) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
    std::vector<std::uint8_t> tile(TIFFTileSize(tif));
    const std::size_t tileRow = TIFFTileRowSize(tif);
    for (int top = 0; top < kTiffHeight; top += 16)
      for (int left = 0; left < kTiffWidth; left += 16) {
        std::fill(tile.begin(), tile.end(), 0);
        for (int r = 0; r < 16 && top + r < kTiffHeight; ++r)
          for (std::size_t b = 0; b < tileRow && left * v.samples + b < rowBytes; ++b)
            tile[r * tileRow + b] = pixels[(top + r) * rowBytes + left * v.samples + b];
        ok = ok && TIFFWriteTile(tif, tile.data(), left, top, 0, 0) >= 0;
      }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
    for (int y = 0; y < kTiffHeight; ++y) ok = ok && TIFFWriteScanline(tif, &pixels[y * rowBytes], y, 0) >= 0;
  }
  TIFFClose(tif);
  return ok ? ReadBytes(path) : std::vector<std::uint8_t>{};
}

class TiffCompressionTest : public testing::TestWithParam<std::tuple<std::uint16_t, bool>> {};

TEST_P(TiffCompressionTest, PaletteImageLoadsWithExactIndicesAndEightBitColours) {
  TiffVariant v;
  v.compression = std::get<0>(GetParam());
  v.tiled = std::get<1>(GetParam());
  const CImage image = MustDecode(WriteTiffVariant(v));
  ASSERT_EQ(image.GetBitsPerPixel(), 8);
  ASSERT_EQ(image.GetWidth(), kTiffWidth);
  for (int y = 0; y < kTiffHeight; ++y)
    for (int x = 0; x < kTiffWidth; ++x) ASSERT_EQ(image.GetIndexFromPixel(x, y), TiffSample(x, y, 0)) << x << "," << y;
  EXPECT_EQ(image.GetColorFromIndex(200), MakeColor(200, 0x12, 255));
}

INSTANTIATE_TEST_SUITE_P(StripsAndTiles, TiffCompressionTest,
                         testing::Combine(testing::Values(COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE,
                                                          COMPRESSION_PACKBITS),
                                          testing::Bool()));

TEST(TiffVariantsTest, GreyscaleLoadsWithBrightnessAsTheIndexForBothPhotometrics) {
  TiffVariant v;
  v.photometric = PHOTOMETRIC_MINISBLACK;
  const CImage black = MustDecode(WriteTiffVariant(v));
  v.photometric = PHOTOMETRIC_MINISWHITE;
  v.compression = COMPRESSION_LZW;
  const CImage white = MustDecode(WriteTiffVariant(v));
  EXPECT_EQ(black.Palette(), white.Palette());
  EXPECT_EQ(black.GetColorFromIndex(77), MakeColor(77, 77, 77));
  EXPECT_EQ(black.GetIndexFromPixel(3, 2), TiffSample(3, 2, 0));
  EXPECT_EQ(white.GetIndexFromPixel(3, 2), 255 - TiffSample(3, 2, 0));

  v.bits = 1;  // bilevel: black and white
  v.photometric = PHOTOMETRIC_MINISBLACK;
  const CImage bilevel = MustDecode(WriteTiffVariant(v));
  EXPECT_EQ(bilevel.GetIndexFromPixel(12, 0), 255);  // sample 132: its top bit is set
  EXPECT_EQ(bilevel.GetIndexFromPixel(0, 0), 0);

  v.photometric = PHOTOMETRIC_PALETTE;  // 4-bit palette: indices 0..15
  v.bits = 4;
  const CImage nibbles = MustDecode(WriteTiffVariant(v));
  EXPECT_EQ(nibbles.GetIndexFromPixel(5, 1), TiffSample(5, 1, 0) >> 4);
  EXPECT_EQ(nibbles.GetColorFromIndex(15), MakeColor(15, 0x12, 255));
  EXPECT_EQ(nibbles.GetColorFromIndex(16), 0u);
}

TEST(TiffVariantsTest, RgbAndRgbaLoadAsTwentyFourBit) {
  TiffVariant v;
  v.photometric = PHOTOMETRIC_RGB;
  for (std::uint16_t samples : {3, 4}) {
    v.samples = samples;
    v.tiled = samples == 4;
    v.compression = COMPRESSION_ADOBE_DEFLATE;
    const CImage image = MustDecode(WriteTiffVariant(v));
    ASSERT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_EQ(image.GetColorFromPixel(20, 18), MakeColor(TiffSample(20, 18, 0), TiffSample(20, 18, 1), TiffSample(20, 18, 2)));
  }
}

TEST(TiffVariantsTest, UnsupportedLayoutsFailCleanly) {
  TiffVariant separate;
  separate.photometric = PHOTOMETRIC_RGB;
  separate.samples = 3;
  separate.planar = PLANARCONFIG_SEPARATE;
  TiffVariant twoSamples;  // grey with alpha
  twoSamples.photometric = PHOTOMETRIC_MINISBLACK;
  twoSamples.samples = 2;
  for (const TiffVariant& v : {separate, twoSamples}) {
    const auto bytes = WriteTiffVariant(v);
    ASSERT_FALSE(bytes.empty());
    CImage image = MakePatternImage(2, 2, 8);
    EXPECT_FALSE(DecodeImage(bytes, image));
    EXPECT_EQ(image.GetWidth(), 2);
  }
}

// ---- TGA ----

std::vector<std::uint8_t> TgaFile(int type, int width, int height, int pixelBits, int descriptor,
                                  const std::vector<std::uint8_t>& data, int mapFirst = 0, int mapLength = 0) {
  ByteWriter w;
  w.U8(0), w.U8(mapLength ? 1 : 0), w.U8(std::uint8_t(type));
  w.U16(std::uint16_t(mapFirst)), w.U16(std::uint16_t(mapLength)), w.U8(mapLength ? 24 : 0);
  w.U16(0), w.U16(0), w.U16(std::uint16_t(width)), w.U16(std::uint16_t(height));
  w.U8(std::uint8_t(pixelBits)), w.U8(std::uint8_t(descriptor));
  for (int i = 0; i < mapLength; ++i) w.U8(std::uint8_t(i)), w.U8(0), w.U8(std::uint8_t(100 + i));  // B, G, R
  w.Bytes(data.data(), data.size());
  return w.Data();
}

TEST(TgaVariantsTest, AllFourOriginsGiveTheSameUprightImage) {
  // The file stores 1 2 / 3 4 in its own order; the image must read 1 2 over 3 4.
  const std::pair<int, std::vector<std::uint8_t>> origins[] = {
      {0x20, {1, 2, 3, 4}}, {0x00, {3, 4, 1, 2}}, {0x30, {2, 1, 4, 3}}, {0x10, {4, 3, 2, 1}}};
  for (const auto& [descriptor, data] : origins)
    EXPECT_EQ(Indices(MustDecode(TgaFile(3, 2, 2, 8, descriptor, data))), (std::vector<int>{1, 2, 3, 4}))
        << descriptor;
}

TEST(TgaVariantsTest, RlePacketsMayCrossRowsAndAreCutAtTheImageEnd) {
  // Grey RLE, top-left: a run of 3 x 9 crossing into row 1, raw 5 6 7 ... cut after 1 pixel.
  const CImage grey = MustDecode(TgaFile(11, 2, 2, 8, 0x20, {0x82, 9, 0x02, 5, 6, 7}));
  EXPECT_EQ(Indices(grey), (std::vector<int>{9, 9, 9, 5}));

  // Colour-mapped RLE: map entries 2..4; indices kept, palette placed at its first entry.
  const CImage mapped = MustDecode(TgaFile(9, 3, 1, 8, 0x20, {0x81, 3, 0x00, 4}, 2, 3));
  EXPECT_EQ(Indices(mapped), (std::vector<int>{3, 3, 4}));
  EXPECT_EQ(mapped.GetColorFromIndex(3), MakeColor(101, 0, 1));
  EXPECT_EQ(mapped.GetColorFromIndex(1), 0u);

  // True-colour RLE, 32 bits (alpha dropped) and 24 bits.
  const CImage deep = MustDecode(TgaFile(10, 2, 1, 32, 0x28, {0x81, 1, 2, 3, 0x7F}));
  EXPECT_EQ(Colors(deep), (std::vector<std::uint32_t>{MakeColor(3, 2, 1), MakeColor(3, 2, 1)}));
  const CImage raw = MustDecode(TgaFile(10, 2, 1, 24, 0x20, {0x01, 10, 20, 30, 40, 50, 60}));
  EXPECT_EQ(Colors(raw), (std::vector<std::uint32_t>{MakeColor(30, 20, 10), MakeColor(60, 50, 40)}));
  // 16-bit 5-5-5: pure red.
  EXPECT_EQ(Colors(MustDecode(TgaFile(2, 1, 1, 16, 0x20, {0x00, 0x7C}))), std::vector<std::uint32_t>{MakeColor(255, 0, 0)});
}

// ---- PCX ----

std::vector<std::uint8_t> PcxHeader(int width, int height, int bits, int planes, int bytesPerLine) {
  std::vector<std::uint8_t> h(128, 0);
  h[0] = 0x0A, h[1] = 5, h[2] = 1, h[3] = std::uint8_t(bits);
  PutLE16(&h[8], std::uint16_t(width - 1));
  PutLE16(&h[10], std::uint16_t(height - 1));
  h[65] = std::uint8_t(planes);
  PutLE16(&h[66], std::uint16_t(bytesPerLine));
  return h;
}

TEST(PcxVariantsTest, TwentyFourBitPlanesWithRunsCrossingScanlines) {
  // 2 x 2, planes R, G, B of 2 bytes each: a run of 7 x 0x10 fills row 0 and the first
  // red byte of row 1; 0xC8 needs a run of one to be a literal.
  auto file = PcxHeader(2, 2, 8, 3, 2);
  for (std::uint8_t b : {0xC7, 0x10, 0x21, 0x30, 0x31, 0xC1, 0xC8, 0x02}) file.push_back(b);
  const CImage image = MustDecode(file);
  ASSERT_EQ(image.GetBitsPerPixel(), 24);
  EXPECT_EQ(Colors(image), (std::vector<std::uint32_t>{MakeColor(0x10, 0x10, 0x10), MakeColor(0x10, 0x10, 0x10),
                                                       MakeColor(0x10, 0x30, 0xC8), MakeColor(0x21, 0x31, 0x02)}));
  // Only the first x bytes of a padded plane line are pixels.
  auto padded = PcxHeader(1, 1, 8, 3, 2);
  for (std::uint8_t b : {0x05, 0x99, 0x06, 0x99, 0x07, 0x99}) padded.push_back(b);
  EXPECT_EQ(Colors(MustDecode(padded)), std::vector<std::uint32_t>{MakeColor(5, 6, 7)});
}

TEST(PcxVariantsTest, SixteenColourPlanesUseTheHeaderPalette) {
  auto file = PcxHeader(8, 1, 1, 4, 1);
  file[16 + 3 * 5] = 250;  // entry 5 red
  for (std::uint8_t b : {0x80, 0x00, 0x80, 0x01}) file.push_back(b);  // planes 0..3: pixel 0 = 0101, pixel 7 = 1000
  const CImage image = MustDecode(file);
  EXPECT_EQ(Indices(image), (std::vector<int>{5, 0, 0, 0, 0, 0, 0, 8}));
  EXPECT_EQ(image.GetColorFromIndex(5), MakeColor(250, 0, 0));
}

// ---- PNG ----

std::vector<std::uint8_t> WritePngVariant(int colorType, int depth, bool interlaced) {
  CTempFolder folder;
  const std::string path = folder.File("variant.png");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return {};
  }
  png_init_io(png, f);
  const int width = 9, height = 5;
  png_set_IHDR(png, info, width, height, depth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color palette[5] = {{0, 0, 0}, {10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {1, 2, 3}};
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, 5);
  png_write_info(png, info);
  const int channels = png_get_channels(png, info);
  std::vector<std::uint8_t> row(std::size_t(width) * channels * 2 + 8);
  const int passes = png_set_interlace_handling(png);
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < height; ++y) {
      std::fill(row.begin(), row.end(), 0);
      for (int x = 0; x < width; ++x)
        for (int c = 0; c < channels; ++c) {
          const int value = (x + y + c) % 5;  // also the palette index
          if (depth == 16) row[(x * channels + c) * 2] = std::uint8_t(value * 60), row[(x * channels + c) * 2 + 1] = 0x7F;
          else if (depth == 8) row[x * channels + c] = std::uint8_t(value * 60);
          else row[x * depth / 8] |= std::uint8_t(value % (1 << depth) << (8 - depth - x * depth % 8));
        }
      png_write_row(png, row.data());
    }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return ReadBytes(path);
}

TEST(PngVariantsTest, PaletteGreyAndDeepColourFilesLoad) {
  const CImage indexed = MustDecode(WritePngVariant(PNG_COLOR_TYPE_PALETTE, 4, true));
  ASSERT_EQ(indexed.GetBitsPerPixel(), 8);
  EXPECT_EQ(indexed.GetIndexFromPixel(8, 4), (8 + 4) % 5);
  EXPECT_EQ(indexed.GetColorFromIndex(3), MakeColor(70, 80, 90));
  EXPECT_EQ(indexed.GetColorFromIndex(5), 0u);

  const CImage grey16 = MustDecode(WritePngVariant(PNG_COLOR_TYPE_GRAY, 16, false));
  EXPECT_EQ(grey16.GetBitsPerPixel(), 8);
  EXPECT_EQ(grey16.GetIndexFromPixel(2, 1), 180);  // 180 * 256 + 127 scaled down
  EXPECT_EQ(grey16.GetColorFromIndex(180), MakeColor(180, 180, 180));

  const CImage grey2 = MustDecode(WritePngVariant(PNG_COLOR_TYPE_GRAY, 2, false));
  EXPECT_EQ(grey2.GetIndexFromPixel(1, 1), 170);  // level 2 of 0..3

  const CImage rgba = MustDecode(WritePngVariant(PNG_COLOR_TYPE_RGB_ALPHA, 8, true));
  ASSERT_EQ(rgba.GetBitsPerPixel(), 24);
  EXPECT_EQ(rgba.GetColorFromPixel(4, 3), MakeColor(120, 180, 240));
}

// ---- GIF ----

TEST(GifVariantsTest, InterlacedFrameSmallerThanTheScreenLandsAtItsPlace) {
  CTempFolder folder;
  const std::string path = folder.File("variant.gif");
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  ASSERT_NE(gif, nullptr);
  GifColorType global[4] = {{0, 0, 0}, {9, 9, 9}, {0, 0, 0}, {0, 0, 0}};
  GifColorType local[4] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
  ColorMapObject* globalMap = GifMakeMapObject(4, global);
  ColorMapObject* localMap = GifMakeMapObject(4, local);
  ASSERT_NE(EGifPutScreenDesc(gif, 5, 12, 2, 1, globalMap), GIF_ERROR);
  ASSERT_NE(EGifPutImageDesc(gif, 1, 1, 3, 10, true, localMap), GIF_ERROR);
  // Interlaced: lines go in pass order, each line's pixels are its row number % 4.
  for (int row : {0, 8, 4, 2, 6, 1, 3, 5, 7, 9}) {
    GifPixelType line[3] = {GifPixelType(row % 4), GifPixelType(row % 4), GifPixelType(3)};
    ASSERT_NE(EGifPutLine(gif, line, 3), GIF_ERROR);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(globalMap);
  GifFreeMapObject(localMap);

  const CImage image = MustDecode(ReadBytes(path));
  ASSERT_EQ(image.GetWidth(), 5);
  ASSERT_EQ(image.GetHeight(), 12);
  EXPECT_EQ(image.GetIndexFromPixel(0, 0), 1);  // background index
  for (int row = 0; row < 10; ++row) {
    EXPECT_EQ(image.GetIndexFromPixel(1, row + 1), row % 4) << row;
    EXPECT_EQ(image.GetIndexFromPixel(3, row + 1), 3);
  }
  EXPECT_EQ(image.GetColorFromIndex(2), MakeColor(7, 8, 9));  // the frame's own map
}

}  // namespace
}  // namespace linea
