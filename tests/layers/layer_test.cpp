// The layer classes: flags, palettes, single colours and how each kind paints
// itself into the composition image.

#include <gtest/gtest.h>

#include <random>

#include "base/string_table.h"
#include "layers/band_layer.h"
#include "layers/cursor_layer.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer.h"
#include "layers/vector_layer3.h"
#include "support/test_files.h"
#include "test_pixels.h"

namespace linea {
namespace {

using testing::MakeTarget;
using testing::PaletteTables;
using testing::PixelAt;

constexpr std::uint32_t kRed = MakeColor(255, 0, 0);
constexpr std::uint32_t kGreen = MakeColor(0, 255, 0);
constexpr std::uint32_t kBlue = MakeColor(0, 0, 255);
constexpr std::uint32_t kWhite = MakeColor(255, 255, 255);

// A layer of `T` whose 8-bit pixels are `pixels` (width x height, top row first).
template <typename T>
std::unique_ptr<T> MakePaletted(int width, int height, const std::vector<std::uint8_t>& pixels,
                                const PaletteTables& tables) {
  auto layer = std::make_unique<T>("layer", true);
  EXPECT_TRUE(layer->CreateFromPixels(width, height, 8, pixels, tables.red, tables.green, tables.blue,
                                      tables.used, 256));
  return layer;
}

TEST(LayerFlags, ConstructorGivesVisibleChangedAndDeletableWhenAsked) {
  CVectorLayer3 deletable("a", true), fixed("b", false);
  EXPECT_EQ(deletable.GetFlags(), 7u);
  EXPECT_EQ(fixed.GetFlags(), 5u);
  EXPECT_TRUE(deletable.GetDescription().empty());
  deletable.SetDescription("Isolines (x");
  EXPECT_EQ(deletable.GetDescription(), "Isolines (x");
}

TEST(LayerFlags, NameKeepsAtMost259CharactersWithoutSplittingOne) {
  std::string name;
  for (int i = 0; i < 300; ++i) name += "Ж";  // two bytes each
  CVectorLayer3 layer(name, true);
  EXPECT_EQ(layer.GetName().size(), 259u * 2);
  EXPECT_EQ(layer.GetName().substr(0, 4), "ЖЖ");
  CVectorLayer3 shortName("Розы 1", true);
  EXPECT_EQ(shortName.GetName(), "Розы 1");
}

TEST(LayerKinds, EachClassReportsItsKind) {
  EXPECT_EQ(CBitmapLayer("a", true).GetKind(), 0);
  EXPECT_EQ(CVectorLayer("a", true).GetKind(), 1);
  EXPECT_EQ(CRasterLayer("a", true).GetKind(), 3);
  EXPECT_EQ(CColorBandLayer("a", true).GetKind(), 4);
  EXPECT_EQ(CExtremumLayer("a", true).GetKind(), 4);
  EXPECT_EQ(CCursorLayer().GetKind(), 5);
  EXPECT_EQ(CVectorLayer3("a", true).GetKind(), 6);
}

TEST(RasterLayer, StartsWithAnEmptyMapRecord) {
  CRasterLayer layer("Розы 1", true);
  EXPECT_EQ(layer.steps, 0);
  EXPECT_TRUE(layer.stepBoundaries.empty());
  EXPECT_EQ(layer.equalPopulation, 0);
  EXPECT_EQ(layer.paletteKind, 3);
  EXPECT_EQ(layer.PaletteKey(), 3u);
  layer.steps = 8;
  EXPECT_EQ(layer.PaletteKey(), 83u);
}

TEST(CursorLayer, IsNamedFromTheStringTableHiddenAndNotDeletable) {
  CCursorLayer cursor;
  EXPECT_EQ(cursor.GetName(), LoadText(61444));
  EXPECT_EQ(cursor.GetName(), "\"Данные курсора\"");
  EXPECT_EQ(cursor.GetFlags(), kLayerChanged | kLayerCursor);
  CImage target;
  EXPECT_TRUE(cursor.Load("/nonexistent"));
  EXPECT_TRUE(cursor.DrawOnImage(target));
  EXPECT_TRUE(cursor.DrawOverImage(target, {}));
}

TEST(CursorLayer, HitTestCoversTheCursorRectangleAroundTheHotSpot) {
  CCursorLayer cursor;
  cursor.cursorWidth = 32;
  cursor.cursorHeight = 16;
  cursor.hotSpotX = 10;
  cursor.hotSpotY = 4;
  cursor.positionX = 100;
  cursor.positionY = 50;
  EXPECT_TRUE(cursor.HitTest(90, 46));    // top-left corner
  EXPECT_TRUE(cursor.HitTest(121, 61));   // bottom-right pixel
  EXPECT_FALSE(cursor.HitTest(122, 61));  // one past the right edge
  EXPECT_FALSE(cursor.HitTest(121, 62));
  EXPECT_FALSE(cursor.HitTest(89, 50));
  EXPECT_FALSE(cursor.HitTest(100, 45));
}

TEST(LayerSize, NegativeOrMissingSizesReportZero) {
  CCursorLayer cursor;
  cursor.cursorWidth = -5;
  cursor.cursorHeight = -1;
  EXPECT_EQ(cursor.GetWidth(), 0);
  EXPECT_EQ(cursor.GetHeight(), 0);
  CBitmapLayer empty("a", true);
  EXPECT_EQ(empty.GetWidth(), 0);
  EXPECT_EQ(empty.GetHeight(), 0);
  CVectorLayer3 drawing("d", true);
  EXPECT_EQ(drawing.GetWidth(), 0);
  EXPECT_EQ(drawing.GetHeight(), 0);
}

TEST(BitmapPalette, UsedEntriesTakeTheColourAndUnusedOnesTheTransparentColour) {
  CBitmapLayer layer("a", true);
  ASSERT_TRUE(layer.Image().Create(2, 2, 8));
  layer.SetTransparentColor(MakeColor(1, 2, 3));
  PaletteTables tables;
  tables.Set(0, MakeColor(0x12, 0x34, 0x56));
  tables.Set(1, kRed);
  tables.used[1] = 0;
  tables.Set(2, kBlue);
  tables.Set(3, kGreen);
  layer.SetPalette(tables.red, tables.green, tables.blue, tables.used, 3);
  EXPECT_EQ(layer.Lookup()[0], 0x123456u);  // red x 65536 + green x 256 + blue
  EXPECT_EQ(layer.Image().GetColorFromIndex(0), MakeColor(0x12, 0x34, 0x56));
  EXPECT_EQ(layer.Lookup()[1], MakeColor(1, 2, 3));
  EXPECT_EQ(layer.Image().GetColorFromIndex(1), MakeColor(1, 2, 3));
  EXPECT_TRUE(layer.IsTransparent());
  EXPECT_EQ(layer.Lookup()[2], 0x0000FFu);
  // Entry 3 lies beyond the count and keeps the grey of a new image.
  EXPECT_EQ(layer.Image().GetColorFromIndex(3), MakeColor(3, 3, 3));

  // A count beyond the tables stops at their end; the switch is never turned off.
  std::vector<std::uint8_t> one = {7}, used = {1};
  layer.SetPalette(one, one, one, used, 1000);
  EXPECT_EQ(layer.Lookup()[0], 0x070707u);
  EXPECT_TRUE(layer.IsTransparent());
}

TEST(BitmapCreate, CopiesContiguousRowsIntoPaddedImageRows) {
  PaletteTables tables;
  std::vector<std::uint8_t> pixels = {1, 2, 3, 4, 5, 6};  // 3 x 2
  auto layer = std::make_unique<CBitmapLayer>("a", true);
  layer->ClearChanged();
  ASSERT_TRUE(layer->CreateFromPixels(3, 2, 8, pixels, tables.red, tables.green, tables.blue, tables.used, 256));
  EXPECT_TRUE(layer->IsChanged());
  ASSERT_EQ(layer->Image().GetBytesPerLine(), 4);
  EXPECT_EQ(layer->Image().GetIndexFromPixel(2, 0), 3);
  EXPECT_EQ(layer->Image().GetIndexFromPixel(0, 1), 4);
  EXPECT_EQ(layer->Image().GetIndexFromPixel(2, 1), 6);
  EXPECT_EQ(layer->GetWidth(), 3);
  EXPECT_EQ(layer->GetHeight(), 2);
}

TEST(BitmapCreate, RefusesShortPixelDataAndImpossibleSizesLeavingTheLayerAlone) {
  PaletteTables tables;
  CBitmapLayer layer("a", true);
  std::vector<std::uint8_t> pixels(5, 1);
  EXPECT_FALSE(layer.CreateFromPixels(3, 2, 8, pixels, tables.red, tables.green, tables.blue, tables.used, 256));
  EXPECT_FALSE(layer.CreateFromPixels(0, 2, 8, pixels, tables.red, tables.green, tables.blue, tables.used, 256));
  EXPECT_FALSE(layer.CreateFromPixels(1, 1, 4, pixels, tables.red, tables.green, tables.blue, tables.used, 256));
  EXPECT_TRUE(layer.Image().IsEmpty());
  EXPECT_FALSE(layer.IsTransparent());
  // A 24-bit raster takes three bytes per pixel from each row.
  std::vector<std::uint8_t> rgb = {10, 20, 30, 40, 50, 60};
  ASSERT_TRUE(layer.CreateFromPixels(2, 1, 24, rgb, tables.red, tables.green, tables.blue, tables.used, 256));
  EXPECT_EQ(layer.Image().GetColorFromPixel(1, 0), MakeColor(60, 50, 40));
}

TEST(BitmapPalette, GrayPaletteKeepsTransparentEntries) {
  PaletteTables tables;
  tables.Set(1, kRed);
  tables.Set(2, kBlue);
  tables.used[2] = 0;
  tables.Set(3, kGreen);
  tables.Set(200, kWhite);
  auto layer = MakePaletted<CRasterLayer>(4, 1, {0, 1, 2, 3}, tables);
  layer->ClearChanged();
  layer->SetGrayPalette();
  EXPECT_TRUE(layer->IsChanged());
  EXPECT_EQ(layer->Lookup()[1], 0x010101u);
  EXPECT_EQ(layer->Image().GetColorFromIndex(3), MakeColor(3, 3, 3));
  EXPECT_EQ(layer->Lookup()[2], 0u);  // still the transparent colour
  EXPECT_EQ(layer->Lookup()[0], 0u);  // black equals the transparent colour, so it stays
  EXPECT_EQ(layer->Lookup()[200], 200u * 0x010101u);

  CImage target = MakeTarget(4, 1, kWhite);
  ASSERT_TRUE(layer->DrawOnImage(target));
  EXPECT_EQ(PixelAt(target, 0, 0), kWhite);
  EXPECT_EQ(PixelAt(target, 1, 0), MakeColor(1, 1, 1));
  EXPECT_EQ(PixelAt(target, 2, 0), kWhite);
  EXPECT_EQ(PixelAt(target, 3, 0), MakeColor(3, 3, 3));
}

TEST(BitmapLoad, FillsTheLookupFromAnEightBitFilesPalette) {
  CTempFolder folder;
  CImage source;
  ASSERT_TRUE(source.Create(2, 1, 8));
  source.SetColorForIndex(5, MakeColor(10, 20, 30));
  source.SetColorForPixel(0, 0, 5);
  ASSERT_TRUE(source.Save(folder.File("a.bmp"), kImageFormatBmp));
  CBitmapLayer layer("a", true);
  ASSERT_TRUE(layer.Load(folder.File("a.bmp")));
  EXPECT_EQ(layer.Lookup()[5], 0x0A141Eu);
  EXPECT_EQ(layer.GetWidth(), 2);
  EXPECT_FALSE(layer.Load(folder.File("missing.bmp")));
  EXPECT_EQ(layer.GetWidth(), 2);
}

TEST(BitmapDrawOnImage, PaintsThroughTheLookupAndStopsAtTheRowEnd) {
  PaletteTables tables;
  tables.Set(1, kRed);
  tables.Set(2, MakeColor(1, 2, 3));
  auto layer = MakePaletted<CBitmapLayer>(4, 2, {1, 2, 0, 1, 2, 2, 2, 2}, tables);
  // A target one pixel wider than the layer: its last column must stay untouched.
  CImage target = MakeTarget(5, 2, MakeColor(0xAA, 0xAA, 0xAA));
  ASSERT_TRUE(layer->DrawOnImage(target));
  EXPECT_EQ(PixelAt(target, 0, 0), kRed);
  EXPECT_EQ(PixelAt(target, 1, 0), MakeColor(1, 2, 3));
  EXPECT_EQ(PixelAt(target, 2, 0), 0u);  // black, no transparency switch
  EXPECT_EQ(PixelAt(target, 3, 0), kRed);
  EXPECT_EQ(PixelAt(target, 4, 0), MakeColor(0xAA, 0xAA, 0xAA));
  EXPECT_EQ(PixelAt(target, 3, 1), MakeColor(1, 2, 3));
  EXPECT_EQ(PixelAt(target, 4, 1), MakeColor(0xAA, 0xAA, 0xAA));
}

TEST(BitmapDrawOnImage, SkipsTransparentPixelsOnlyWithTheSwitchOn) {
  PaletteTables tables;
  tables.Set(1, kRed);
  std::vector<std::uint8_t> pixels(20, 0);
  pixels[3] = 1;
  pixels[17] = 1;
  auto layer = MakePaletted<CVectorLayer>(20, 1, pixels, tables);
  CImage target = MakeTarget(20, 1, kWhite);
  ASSERT_TRUE(layer->DrawOnImage(target));
  EXPECT_EQ(PixelAt(target, 0, 0), 0u);
  layer->SetTransparency(true);
  target = MakeTarget(20, 1, kWhite);
  ASSERT_TRUE(layer->DrawOnImage(target));
  for (int x = 0; x < 20; ++x) EXPECT_EQ(PixelAt(target, x, 0), x == 3 || x == 17 ? kRed : kWhite) << x;
}

TEST(BitmapDrawOnImage, CopiesTwentyFourBitImagesExceptTheTransparentColour) {
  CBitmapLayer layer("a", true);
  ASSERT_TRUE(layer.Image().Create(3, 1, 24));
  testing::FillImage(layer.Image(), kBlue);
  std::uint8_t* p = layer.Image().Row(0);
  p[3] = 1, p[4] = 2, p[5] = 3;  // pixel 1: blue 1, green 2, red 3
  CImage target = MakeTarget(3, 1, kWhite);
  ASSERT_TRUE(layer.DrawOnImage(target));
  EXPECT_EQ(PixelAt(target, 0, 0), kBlue);
  EXPECT_EQ(PixelAt(target, 1, 0), MakeColor(3, 2, 1));
  layer.SetTransparentColor(kBlue);
  layer.SetTransparency(true);
  target = MakeTarget(3, 1, kWhite);
  ASSERT_TRUE(layer.DrawOnImage(target));
  EXPECT_EQ(PixelAt(target, 0, 0), kWhite);
  EXPECT_EQ(PixelAt(target, 1, 0), MakeColor(3, 2, 1));
  EXPECT_EQ(PixelAt(target, 2, 0), kWhite);
}

TEST(BitmapDrawOnImage, HiddenSucceedsWithoutPaintingAndMissingImagesFail) {
  CBitmapLayer empty("a", true);
  CImage target = MakeTarget(2, 2, kWhite);
  EXPECT_FALSE(empty.DrawOnImage(target));
  empty.SetVisible(false);
  EXPECT_TRUE(empty.DrawOnImage(target));
  PaletteTables tables;
  auto layer = MakePaletted<CBitmapLayer>(2, 2, {1, 1, 1, 1}, tables);
  CImage none;
  EXPECT_FALSE(layer->DrawOnImage(none));
  CImage paletted;
  ASSERT_TRUE(paletted.Create(2, 2, 8));
  EXPECT_FALSE(layer->DrawOnImage(paletted));
  layer->SetVisible(false);
  EXPECT_TRUE(layer->DrawOnImage(target));
  EXPECT_EQ(PixelAt(target, 0, 0), kWhite);
}

TEST(BandDrawOnImage, BlendsHalfAndHalfTruncatedAndAlwaysSkipsTransparent) {
  PaletteTables tables;
  tables.Set(1, MakeColor(255, 0, 101));
  auto band = MakePaletted<CColorBandLayer>(3, 1, {0, 1, 1}, tables);
  ASSERT_FALSE(band->IsTransparent());  // the band skips black without the switch
  CImage target = MakeTarget(3, 1, MakeColor(10, 255, 50));
  std::uint8_t* p = target.Row(0);
  p[6] = 0, p[7] = 1, p[8] = 2;  // pixel 2: blue 0, green 1, red 2
  ASSERT_TRUE(band->DrawOnImage(target));
  EXPECT_EQ(PixelAt(target, 0, 0), MakeColor(10, 255, 50));
  EXPECT_EQ(PixelAt(target, 1, 0), MakeColor((255 + 10) / 2, 255 / 2, (101 + 50) / 2));  // 132, 127, 75
  EXPECT_EQ(PixelAt(target, 2, 0), MakeColor(128, 0, 50));  // (255+2)/2, (0+1)/2, (101+0)/2
}

TEST(BandDrawOnImage, TwentyFourBitBandsAreCopied) {
  CColorBandLayer band("b", true);
  ASSERT_TRUE(band.Image().Create(1, 1, 24));
  testing::FillImage(band.Image(), kRed);
  CImage target = MakeTarget(1, 1, kBlue);
  ASSERT_TRUE(band.DrawOnImage(target));
  EXPECT_EQ(PixelAt(target, 0, 0), kRed);
}

TEST(BandColor, RecoloursEveryNonBlackEntryAndKeepsBlack) {
  PaletteTables tables;
  tables.Set(3, kGreen);
  tables.Set(4, MakeColor(0, 0, 1));
  auto band = MakePaletted<CColorBandLayer>(3, 1, {0, 3, 4}, tables);
  band->red.fill(0), band->green.fill(0), band->blue.fill(0);
  band->red[3] = 0, band->green[3] = 255;
  band->blue[4] = 1;
  band->used.fill(1);
  band->ClearChanged();
  band->SetBandColor(MakeColor(200, 100, 50));
  EXPECT_TRUE(band->IsChanged());
  EXPECT_EQ(band->red[3], 200);
  EXPECT_EQ(band->green[4], 100);
  EXPECT_EQ(band->blue[4], 50);
  EXPECT_EQ(band->red[0], 0);
  EXPECT_EQ(band->Lookup()[3], LookupEntry(200, 100, 50));
  EXPECT_EQ(band->Lookup()[0], 0u);
  CImage target = MakeTarget(3, 1, MakeColor(0, 0, 0));
  ASSERT_TRUE(band->DrawOnImage(target));
  EXPECT_EQ(PixelAt(target, 0, 0), 0u);
  EXPECT_EQ(PixelAt(target, 1, 0), MakeColor(100, 50, 25));
}

TEST(VectorSingleColor, OnlyTransparentPixelsSucceedAndKeepTheIndex) {
  PaletteTables tables;
  tables.Set(9, kRed);
  tables.used[0] = 0;
  auto layer = MakePaletted<CVectorLayer>(3, 2, {0, 0, 0, 0, 0, 0}, tables);
  layer->SetColorIndex(7);
  EXPECT_TRUE(layer->FindSingleColor());
  EXPECT_EQ(layer->GetColorIndex(), 7);
}

TEST(VectorSingleColor, FindsTheOneIndexAndRefusesTwo) {
  PaletteTables tables;
  tables.Set(9, kRed);
  tables.Set(10, kBlue);
  tables.used[0] = 0;
  auto one = MakePaletted<CVectorLayer>(3, 1, {0, 9, 9}, tables);
  EXPECT_TRUE(one->FindSingleColor());
  EXPECT_EQ(one->GetColorIndex(), 9);
  auto two = MakePaletted<CVectorLayer>(3, 1, {9, 0, 10}, tables);
  two->SetColorIndex(4);
  EXPECT_FALSE(two->FindSingleColor());
  EXPECT_EQ(two->GetColorIndex(), 4);
  CVectorLayer rgb("c", true);
  ASSERT_TRUE(rgb.Image().Create(1, 1, 24));
  EXPECT_FALSE(rgb.FindSingleColor());
}

TEST(VectorSingleColor, SetSingleColorRecoloursTheColourIndex) {
  PaletteTables tables;
  tables.Set(9, kRed);
  tables.used[0] = 0;
  auto layer = MakePaletted<CVectorLayer>(2, 1, {0, 9}, tables);
  ASSERT_TRUE(layer->FindSingleColor());
  layer->ClearChanged();
  layer->SetSingleColor(MakeColor(1, 2, 3));
  EXPECT_TRUE(layer->IsChanged());
  EXPECT_EQ(layer->Lookup()[9], 0x010203u);
  EXPECT_EQ(layer->Image().GetColorFromIndex(9), MakeColor(1, 2, 3));
  EXPECT_TRUE(layer->IsColorChangeable());

  CVectorLayer rgb("c", true);
  ASSERT_TRUE(rgb.Image().Create(1, 1, 24));
  rgb.SetSingleColor(kRed);
  EXPECT_EQ(rgb.Lookup()[0], 0u);
  EXPECT_TRUE(rgb.IsChanged());
}

TEST(BitmapDrawOverImage, SetsNonTransparentPixelsToTheNearestTargetColour) {
  PaletteTables tables;
  tables.Set(1, MakeColor(250, 5, 5));
  tables.used[0] = 0;
  auto layer = MakePaletted<CVectorLayer>(2, 2, {0, 1, 1, 0}, tables);
  CImage target;
  ASSERT_TRUE(target.Create(2, 2, 8));
  for (int i = 0; i < 256; ++i) target.SetColorForIndex(i, 0);
  target.SetColorForIndex(7, kRed);
  target.SetColorForIndex(8, kBlue);
  for (int i = 0; i < 4; ++i) target.SetColorForPixel(i % 2, i / 2, 3);
  ASSERT_TRUE(layer->DrawOverImage(target, {}));
  EXPECT_EQ(target.GetIndexFromPixel(0, 0), 3);
  EXPECT_EQ(target.GetIndexFromPixel(1, 0), 7);
  EXPECT_EQ(target.GetIndexFromPixel(0, 1), 7);
  EXPECT_EQ(target.GetIndexFromPixel(1, 1), 3);
  CImage small;
  ASSERT_TRUE(small.Create(1, 1, 8));
  EXPECT_FALSE(layer->DrawOverImage(small, {}));  // pixel (1, 0) has no place there
}


// The composition rule pixel by pixel, as the fast paths must reproduce it.
std::uint32_t ExpectedPixel(std::uint32_t below, std::uint32_t entry, bool painted, bool blend) {
  if (!painted) return below;
  // entry is red x 65536 + green x 256 + blue; below is 0x00BBGGRR.
  const unsigned red = (entry >> 16) & 0xFF, green = (entry >> 8) & 0xFF, blue = entry & 0xFF;
  if (!blend) return MakeColor(std::uint8_t(red), std::uint8_t(green), std::uint8_t(blue));
  return MakeColor(std::uint8_t((red + ColorRed(below)) / 2), std::uint8_t((green + ColorGreen(below)) / 2),
                   std::uint8_t((blue + ColorBlue(below)) / 2));
}

TEST(CompositionPixels, EveryRunLengthAndMixOfIndicesFollowsThePixelRule) {
  // Rows of every width up to 101 with flat runs, empty stretches, scattered
  // pixels and noise, for plain copies, transparent copies and band blends.
  std::mt19937 random(99);
  for (int round = 0; round < 3000; ++round) {
    const int width = 1 + round % 101, height = 1 + round % 3;
    std::vector<std::uint8_t> pixels(std::size_t(width) * height);
    int x = 0;
    for (auto& value : pixels) {
      if (x++ % 9 == 0 || random() % 4 == 0) value = std::uint8_t(random() % 4 == 0 ? random() % 256 : random() % 3);
      else value = (&value)[-1];  // runs of the previous index
    }
    if (round % 4 == 0) {  // a long empty stretch in every row, then a painted pixel
      const int end = 3 + int(random() % std::max(1, width - 3));
      for (int y = 0; y < height; ++y) {
        for (int column = 3; column < end; ++column) pixels[std::size_t(y) * width + column] = 0;
        if (end < width) pixels[std::size_t(y) * width + end] = 1;
      }
    }
    PaletteTables tables;
    for (int i = 1; i < 256; ++i) tables.Set(i, std::uint32_t(random()) & 0xFFFFFF);
    const bool zeroTransparent = round % 2 == 0;
    tables.used[zeroTransparent ? 0 : 2] = 0;
    if (!zeroTransparent) tables.Set(0, MakeColor(9, 8, 7));
    tables.used[200] = 0;
    const int kind = round % 3;  // 0 plain, 1 transparent, 2 band
    std::unique_ptr<CBitmapLayer> layer;
    if (kind == 2)
      layer = MakePaletted<CColorBandLayer>(width, height, pixels, tables);
    else
      layer = MakePaletted<CBitmapLayer>(width, height, pixels, tables);
    layer->SetTransparency(kind != 0);
    CImage target = MakeTarget(width + 1, height);
    for (int y = 0; y < height; ++y)
      for (int i = 0; i < 3 * (width + 1); ++i) target.Row(y)[i] = std::uint8_t(random());
    const CImage before = target;
    ASSERT_TRUE(layer->DrawOnImage(target));
    for (int y = 0; y < height; ++y) {
      for (int column = 0; column <= width; ++column) {
        const std::uint32_t below = PixelAt(before, column, y);
        std::uint32_t expected = below;
        if (column < width) {
          const std::uint32_t entry = layer->Lookup()[pixels[std::size_t(y) * width + column]];
          const bool painted = kind == 0 || entry != layer->GetTransparentColor();
          expected = ExpectedPixel(below, entry, painted, kind == 2);
        }
        ASSERT_EQ(PixelAt(target, column, y), expected) << "round " << round << " at " << column << ", " << y;
      }
    }
  }
}

}  // namespace
}  // namespace linea
