// The drawings' pixels kept between compositions: after every kind of change the
// composed picture must equal the one made by painting every layer in turn and
// drawing the lines straight into it, and the drawings are rasterised again only
// when something they depend on changed.

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "layers/band_layer.h"
#include "layers/layer_stack.h"
#include "layers/line_raster.h"
#include "layers/vector_layer3.h"
#include "support/test_host.h"
#include "test_pixels.h"

namespace linea {
namespace {

using testing::FillImage;
using testing::PaletteTables;

// Several strips of composition, and rows padded to four bytes.
constexpr int kWidth = 701;
constexpr int kHeight = 203;

// The picture as composition made it before the drawings were kept: the first pass
// layer by layer over black (white without layers), then every drawing over it.
CImage DirectComposition(const CLayerStack& stack, const CompositionSettings& settings) {
  CImage picture;
  EXPECT_TRUE(picture.Create(settings.imageWidth, settings.imageHeight, 24));
  const std::vector<CLayer*> layers = stack.CollectVisible();
  FillImage(picture, layers.empty() ? MakeColor(255, 255, 255) : 0);
  for (CLayer* layer : layers) {
    if (layer->GetKind() != kLayerKindVector3) {
      EXPECT_TRUE(layer->DrawOnImage(picture));
    }
  }
  const LineWidthScaling scaling{settings.lineWidthScaling, settings.lineWidth, stack.GetZoom()};
  for (CLayer* layer : layers) {
    if (layer->GetKind() == kLayerKindVector3) {
      EXPECT_TRUE(layer->DrawOverImage(picture, scaling));
    }
  }
  return picture;
}

// Empty when equal, else where the first difference is.
std::string Difference(const CImage& composed, const CImage& expected) {
  if (composed.GetWidth() != expected.GetWidth() || composed.GetHeight() != expected.GetHeight())
    return "sizes differ";
  for (int y = 0; y < expected.GetHeight(); ++y)
    for (int x = 0; x < expected.GetWidth(); ++x)
      if (testing::PixelAt(composed, x, y) != testing::PixelAt(expected, x, y))
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
  return {};
}

std::vector<PolylinePoint> RandomPolyline(std::mt19937& random, int width, int height) {
  std::vector<PolylinePoint> points(1 + random() % 4);
  // Some points lie outside the picture, so that clipping is part of every check.
  for (auto& p : points) p = {int(random() % (width + 80)) - 40, int(random() % (height + 80)) - 40};
  return points;
}

class CachedDrawings : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 random(7);
    PaletteTables tables;
    for (int i = 0; i < 256; ++i) tables.Set(i, MakeColor(std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 3)));
    std::vector<std::uint8_t> pixels(std::size_t(kWidth) * kHeight);
    for (auto& p : pixels) p = std::uint8_t(random());
    auto base = std::make_unique<CBitmapLayer>("Исходное", true);
    ASSERT_TRUE(base->CreateFromPixels(kWidth, kHeight, 8, pixels, tables.red, tables.green, tables.blue,
                                       tables.used, 256));
    stack.AddLayer(std::move(base));

    PaletteTables band;
    band.Set(3, MakeColor(0, 200, 0));
    band.used[0] = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) pixels[std::size_t(y) * kWidth + x] = (x / 50 + y / 30) % 3 == 0 ? 3 : 0;
    auto bandLayer = std::make_unique<CColorBandLayer>("Полоса", true);
    ASSERT_TRUE(bandLayer->CreateFromPixels(kWidth, kHeight, 8, pixels, band.red, band.green, band.blue, band.used,
                                            256));
    this->band = static_cast<CColorBandLayer*>(stack.AddLayer(std::move(bandLayer)));

    first = AddDrawing("Рисунок1", random, {MakeColor(0, 0, 255), MakeColor(255, 255, 0)});
    second = AddDrawing("Рисунок2", random, {MakeColor(255, 0, 0), MakeColor(0, 0, 0)});
    auto hidden = std::make_unique<CVectorLayer3>("Скрытый", true);
    hidden->SetVisible(false);
    poke = stack.AddLayer(std::move(hidden));
  }

  CVectorLayer3* AddDrawing(const std::string& name, std::mt19937& random, std::vector<std::uint32_t> colours) {
    auto drawing = std::make_unique<CVectorLayer3>(name, true);
    for (int i = 0; i < 60; ++i)
      EXPECT_FALSE(drawing->AddPolyline32(RandomPolyline(random, kWidth, kHeight), colours[i % colours.size()],
                                          1 + i % 4));
    return static_cast<CVectorLayer3*>(stack.AddLayer(std::move(drawing)));
  }

  // Composes as the view does after a change of some other layer (the drawings are
  // not marked), and compares with the direct composition. Twice: the first
  // composition after a change draws the drawings directly, the next one keeps them.
  void ComposeAndCompare(bool markOther = true) {
    if (markOther) poke->MarkChanged();
    ASSERT_TRUE(stack.ComposeLayers(settings));
    EXPECT_EQ(Difference(stack.CompositionImage(), DirectComposition(stack, settings)), "") << "first composition";
    poke->MarkChanged();
    ASSERT_TRUE(stack.ComposeLayers(settings));
    EXPECT_EQ(Difference(stack.CompositionImage(), DirectComposition(stack, settings)), "") << "second composition";
  }

  // One composition after a change of the hidden layer.
  void ComposeOnce() {
    poke->MarkChanged();
    ASSERT_TRUE(stack.ComposeLayers(settings));
    EXPECT_EQ(Difference(stack.CompositionImage(), DirectComposition(stack, settings)), "");
  }

  CTestHost host;
  CLayerStack stack{host};
  CompositionSettings settings{kWidth, kHeight, true, 1};
  CColorBandLayer* band = nullptr;
  CVectorLayer3* first = nullptr;
  CVectorLayer3* second = nullptr;
  CLayer* poke = nullptr;  // hidden: marking it changed makes the picture composed
};

TEST_F(CachedDrawings, MatchDirectDrawingAfterEveryKindOfEdit) {
  std::mt19937 random(11);
  {
    SCOPED_TRACE("first composition");
    ComposeAndCompare();
    EXPECT_GT(stack.DrawingOverlay().RunCount(), 0u);  // the kept pixels were used
  }
  {
    // Edits that nobody marked: the band's change makes the picture composed, and
    // the drawings must not come from before the edit.
    SCOPED_TRACE("lines added to existing and new groups, drawing not marked");
    ASSERT_FALSE(first->AddPolyline32(std::vector<PolylinePoint>{{5, 5}, {600, 190}}, MakeColor(0, 0, 255), 1));
    ComposeAndCompare();
    ASSERT_FALSE(first->AddPolyline16(std::vector<PolylinePoint16>{{690, 3}, {10, 200}}, MakeColor(1, 2, 3), 7));
    ComposeAndCompare();
  }
  {
    SCOPED_TRACE("one colour, then one width for every line");
    second->SetAllColors(MakeColor(10, 250, 10));
    ComposeAndCompare();
    first->SetAllWidths(2);
    ComposeAndCompare();
  }
  {
    SCOPED_TRACE("hidden and shown again");
    first->SetVisible(false);
    first->MarkChanged();
    ComposeAndCompare(false);
    first->SetVisible(true);
    ComposeAndCompare();  // shown without being marked
  }
  {
    SCOPED_TRACE("every drawing hidden, then shown without being marked");
    first->SetVisible(false);
    second->SetVisible(false);
    ComposeAndCompare();
    EXPECT_EQ(stack.DrawingOverlay().RunCount(), 0u);  // freed while nothing shows
    first->SetVisible(true);
    second->SetVisible(true);
    ComposeAndCompare();
  }
  {
    SCOPED_TRACE("drawing order");
    ASSERT_TRUE(stack.MoveToEnd(first));
    ComposeAndCompare(false);
  }
  {
    SCOPED_TRACE("zoom and line-width settings");
    ASSERT_TRUE(stack.SetZoom(0.25));
    ComposeAndCompare(false);
    ASSERT_TRUE(stack.SetZoom(0.5));  // marks the drawings changed
    ComposeAndCompare(false);
    settings.lineWidth = 3;  // a setting only, nothing marked
    ComposeAndCompare();
    settings.lineWidthScaling = false;
    ComposeAndCompare();
    ASSERT_TRUE(stack.SetZoom(4.0));
    settings.lineWidthScaling = true;
    ComposeAndCompare();
  }
  {
    SCOPED_TRACE("picture size");
    settings.imageWidth = kWidth - 100;
    settings.imageHeight = kHeight - 50;
    ComposeAndCompare();
    settings.imageWidth = kWidth;
    settings.imageHeight = kHeight;
    ComposeAndCompare();
  }
  {
    // The new drawing may well take the deleted one's address, with as many edits.
    SCOPED_TRACE("drawing deleted and another one added");
    ASSERT_TRUE(stack.MoveToEnd(second));  // where the new one will be added
    ComposeAndCompare(false);
    // Same revision and group widths, other lines and colours.
    const std::uint64_t revision = second->Revision();
    std::vector<int> widths;
    for (int g = 0; g < second->GroupCount(); ++g) widths.push_back(second->Group(g).GetWidth());
    ASSERT_TRUE(stack.DropLayer(second));
    auto replacement = std::make_unique<CVectorLayer3>("Рисунок2", true);
    for (std::uint64_t i = 0; i < revision; ++i) {
      const std::size_t g = i < widths.size() ? i : 0;
      ASSERT_FALSE(replacement->AddPolyline32(RandomPolyline(random, kWidth, kHeight),
                                              MakeColor(200, std::uint8_t(g), 200), widths[g]));
    }
    ASSERT_EQ(replacement->Revision(), revision);
    ASSERT_EQ(replacement->GroupCount(), int(widths.size()));
    replacement->ClearChanged();  // so that only the stack can tell the layers apart
    second = static_cast<CVectorLayer3*>(stack.AddLayer(std::move(replacement)));
    ComposeAndCompare();
    auto sameName = std::make_unique<CVectorLayer3>("Рисунок2", true);
    ASSERT_FALSE(sameName->AddPolyline32(std::vector<PolylinePoint>{{0, 0}, {700, 0}}, MakeColor(9, 9, 9), 5));
    second = static_cast<CVectorLayer3*>(stack.AddLayer(std::move(sameName)));  // replaces by name
    ComposeAndCompare();
  }
  {
    SCOPED_TRACE("raster layers changed under the drawings");
    auto* base = static_cast<CBitmapLayer*>(stack.FindLayer("Исходное"));
    base->SetGrayPalette();
    ComposeAndCompare(false);
    band->SetBandColor(MakeColor(255, 0, 255));
    ComposeAndCompare(false);
    base->SetVisible(false);
    base->MarkChanged();
    ComposeAndCompare(false);
    ASSERT_TRUE(stack.DropLayer(band));
    ASSERT_TRUE(stack.DropLayer(base));
    first->MarkChanged();
    ComposeAndCompare(false);  // lines over black
  }
  {
    SCOPED_TRACE("drawings removed");
    ASSERT_TRUE(stack.DropLayer(first));
    ASSERT_TRUE(stack.DropLayer(second));
    ASSERT_EQ(stack.LayerCount(), 1);  // the hidden one
    stack.AddLayer(std::make_unique<CVectorLayer3>("Пустой", true));
    ComposeAndCompare(false);
  }
}

TEST_F(CachedDrawings, AreRasterisedOnlyWhenTheyStayTheSame) {
  const CDrawingOverlay& overlay = stack.DrawingOverlay();
  ComposeOnce();  // seen for the first time: drawn directly
  EXPECT_EQ(overlay.Builds(), 0u);
  EXPECT_EQ(overlay.RunCount(), 0u);
  ComposeOnce();  // unchanged: kept
  EXPECT_EQ(overlay.Builds(), 1u);
  EXPECT_GT(overlay.RunCount(), 0u);
  ComposeOnce();
  ComposeOnce();
  EXPECT_EQ(overlay.Builds(), 1u);  // other layers' changes only
  ASSERT_TRUE(stack.SetZoom(2.0));
  ComposeOnce();
  EXPECT_EQ(overlay.Builds(), 1u);  // zoomed in: the widths stay

  // A line in a group that exists: only the revision tells.
  const CPolylineGroup& group = second->Group(0);
  ASSERT_FALSE(second->AddPolyline32(std::vector<PolylinePoint>{{1, 1}, {2, 2}}, group.GetColor(), group.GetWidth()));
  ComposeOnce();
  EXPECT_EQ(overlay.RunCount(), 0u);  // the stale runs are gone at once
  ComposeOnce();
  EXPECT_EQ(overlay.Builds(), 2u);
  first->MarkChanged();
  ASSERT_TRUE(stack.ComposeLayers(settings));
  ComposeOnce();
  EXPECT_EQ(overlay.Builds(), 3u);
  ASSERT_TRUE(stack.SetZoom(0.5));  // marks the drawings
  ASSERT_TRUE(stack.ComposeLayers(settings));
  ComposeOnce();
  EXPECT_EQ(overlay.Builds(), 4u);

  // Lines drawn one after another, a composition after each: never rasterised twice.
  for (int i = 0; i < 3; ++i) {
    ASSERT_FALSE(first->AddPolyline32(std::vector<PolylinePoint>{{i, 1}, {2, 20}}, MakeColor(0, 0, 0), 1));
    first->MarkChanged();
    ASSERT_TRUE(stack.ComposeLayers(settings));
    EXPECT_EQ(Difference(stack.CompositionImage(), DirectComposition(stack, settings)), "");
  }
  EXPECT_EQ(overlay.Builds(), 4u);

  // Nothing marked: nothing composed, nothing rasterised.
  ASSERT_FALSE(first->AddPolyline32(std::vector<PolylinePoint>{{1, 1}, {2, 2}}, MakeColor(0, 0, 0), 1));
  ASSERT_TRUE(stack.ComposeLayers(settings));
  EXPECT_EQ(overlay.Builds(), 4u);
}

TEST_F(CachedDrawings, MoreColoursThanTheOverlayHoldsAreDrawnDirectly) {
  // 11 drawings of 24 colours each: 264 colours.
  for (int d = 0; d < 11; ++d) {
    auto drawing = std::make_unique<CVectorLayer3>("Много" + std::to_string(d), true);
    for (int g = 0; g < CVectorLayer3::kMaxGroups; ++g) {
      const int y = (d * 24 + g) % kHeight;
      ASSERT_FALSE(drawing->AddPolyline32(std::vector<PolylinePoint>{{g * 3, y}, {kWidth - 1 - g, y + 5}},
                                          MakeColor(std::uint8_t(d), std::uint8_t(g), 77), 2));
    }
    stack.AddLayer(std::move(drawing));
  }
  ComposeAndCompare();
  EXPECT_EQ(stack.DrawingOverlay().RunCount(), 0u);
  const std::uint64_t builds = stack.DrawingOverlay().Builds();
  EXPECT_EQ(builds, 1u);  // tried once
  ComposeAndCompare();
  EXPECT_EQ(stack.DrawingOverlay().Builds(), builds);  // not tried again while nothing changed

  // Back under the limit: kept again.
  ASSERT_TRUE(stack.DropLayer(stack.FindLayer("Много0")));
  ComposeAndCompare();
  EXPECT_GT(stack.DrawingOverlay().RunCount(), 0u);
}

TEST_F(CachedDrawings, LinesTooDenseForRunsAreDrawnDirectly) {
  // Columns of alternating colours: a run for every pixel.
  auto dense = std::make_unique<CVectorLayer3>("Штриховка", true);
  for (int x = 0; x < kWidth; ++x)
    ASSERT_FALSE(dense->AddPolyline32(std::vector<PolylinePoint>{{x, 0}, {x, kHeight}},
                                      x % 2 == 0 ? MakeColor(255, 255, 255) : MakeColor(1, 1, 1), 1));
  stack.AddLayer(std::move(dense));
  ComposeAndCompare();
  EXPECT_EQ(stack.DrawingOverlay().Builds(), 1u);  // tried
  EXPECT_EQ(stack.DrawingOverlay().RunCount(), 0u);
}

TEST_F(CachedDrawings, RandomEditsKeepThePictureIdentical) {
  std::mt19937 random(2024);
  CVectorLayer3* drawings[2] = {first, second};
  for (int step = 0; step < 150; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    CVectorLayer3* drawing = drawings[random() % 2];
    bool markBand = true;
    switch (random() % 7) {
      case 0:
      case 1:
        // A 25th colour and width is refused; the picture must not change then either.
        drawing->AddPolyline32(RandomPolyline(random, kWidth, kHeight), MakeColor(std::uint8_t(random() % 4 * 80), 0, 255),
                               1 + int(random() % 5));
        break;
      case 2:
        drawing->SetAllColors(MakeColor(0, std::uint8_t(random()), 0));
        break;
      case 3:
        drawing->SetAllWidths(1 + int(random() % 4));
        break;
      case 4:
        drawing->SetVisible(!drawing->IsVisible());
        if (random() % 2) drawing->MarkChanged();
        break;
      case 5:
        stack.MoveToEnd(drawing);
        markBand = false;
        break;
      default:
        ASSERT_TRUE(stack.SetZoom(std::ldexp(1.0, int(random() % 6) - 3)));
        settings.lineWidth = 1 + int(random() % 2);
        break;
    }
    ComposeAndCompare(markBand);
    if (HasFatalFailure() || HasFailure()) return;
  }
}

// Rasterised a few rows at a time, long and wide lines crossing many bands.
TEST(DrawingOverlay, BandsOfAFewRowsGiveTheDirectPicture) {
  std::mt19937 random(99);
  constexpr int kW = 301, kH = 157;
  for (int trial = 0; trial < 40; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    CVectorLayer3 first("a", true), second("b", true);
    for (int i = 0; i < 30; ++i) {
      CVectorLayer3& drawing = i % 3 == 0 ? second : first;
      std::vector<PolylinePoint> points(1 + random() % 5);
      const int reach = i % 4 == 0 ? 2000 : 400;
      for (auto& p : points) p = {int(random() % reach) - reach / 4, int(random() % reach) - reach / 4};
      ASSERT_FALSE(drawing.AddPolyline32(points, MakeColor(std::uint8_t(i % 5 * 50), std::uint8_t(i % 3), 9),
                                         1 + int(random() % 6)));
    }
    const LineWidthScaling scaling{trial % 2 == 0, 1 + trial % 3, trial % 4 == 0 ? 0.3 : 1.0};
    CImage expected = testing::MakeTarget(kW, kH, MakeColor(1, 2, 3));
    ASSERT_TRUE(first.DrawOverImage(expected, scaling));
    ASSERT_TRUE(second.DrawOverImage(expected, scaling));

    CDrawingOverlay overlay(std::size_t(kW) * (1 + trial % 9));  // 1 .. 9 rows a band
    const CVectorLayer3* drawings[] = {&first, &second};
    ASSERT_FALSE(overlay.Update(drawings, scaling, kW, kH, false));  // first seen: drawn directly
    ASSERT_TRUE(overlay.Update(drawings, scaling, kW, kH, false));
    CImage composed = testing::MakeTarget(kW, kH, MakeColor(1, 2, 3));
    for (int top = 0; top < kH; top += 10) overlay.PaintRows(composed, top, top + 10);
    ASSERT_EQ(Difference(composed, expected), "");
  }
}

// The widest picture, and runs longer than one run holds.
TEST(DrawingOverlay, WidePicturesAndLongRuns) {
  constexpr int kW = kMaxImageSide, kH = 4;
  CVectorLayer3 drawing("a", true);
  ASSERT_FALSE(drawing.AddPolyline32(std::vector<PolylinePoint>{{3, 0}}, MakeColor(1, 2, 3), 1));
  ASSERT_FALSE(drawing.AddPolyline32(std::vector<PolylinePoint>{{kW - 2, 0}}, MakeColor(4, 5, 6), 3));
  ASSERT_FALSE(drawing.AddPolyline32(std::vector<PolylinePoint>{{20000, 2}, {20700, 2}}, MakeColor(7, 8, 9), 1));
  ASSERT_FALSE(drawing.AddPolyline32(std::vector<PolylinePoint>{{0, 3}, {kW, 3}}, MakeColor(7, 8, 9), 1));
  CImage expected = testing::MakeTarget(kW, kH, MakeColor(200, 200, 200));
  ASSERT_TRUE(drawing.DrawOverImage(expected, {}));
  CDrawingOverlay overlay;
  const CVectorLayer3* drawings[] = {&drawing};
  ASSERT_FALSE(overlay.Update(drawings, {}, kW, kH, false));
  ASSERT_TRUE(overlay.Update(drawings, {}, kW, kH, false));
  CImage composed = testing::MakeTarget(kW, kH, MakeColor(200, 200, 200));
  overlay.PaintRows(composed, 0, kH);
  EXPECT_EQ(Difference(composed, expected), "");
}

// The byte rasterisers paint exactly where the colour ones do, in any window of rows,
// and nothing outside it.
TEST(ByteRasterisers, PaintThePixelsOfTheColourOnesInTheirRows) {
  std::mt19937 random(5);
  constexpr int kW = 67, kH = 41, kStride = kW + 5, kGuard = 3;
  const std::uint32_t white = MakeColor(255, 255, 255);
  for (int trial = 0; trial < 4000; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    CImage picture = testing::MakeTarget(kW, kH, 0);
    // Long lines and far-away ends too, so that the stepping is clipped to the rows.
    const int reach = trial % 4 == 0 ? 4000 : 120;
    const int x0 = int(random() % reach) - reach / 4, y0 = int(random() % reach) - reach / 4;
    const int x1 = int(random() % reach) - reach / 4, y1 = int(random() % reach) - reach / 4;
    const int width = trial % 50 == 0 ? 200 : int(random() % 8);
    const int firstRow = int(random() % (kH + 10)) - 5;
    const int endRow = trial % 5 == 0 ? kH : firstRow + int(random() % 20);
    const int from = std::max(firstRow, 0), to = std::min(endRow, kH);
    const int rows = std::max(to - from, 0);
    // Guard rows before and after the window's rows.
    std::vector<std::uint8_t> bytes(std::size_t(kStride) * (rows + 2 * kGuard), 0);
    std::uint8_t* window = bytes.data() + std::size_t(kStride) * kGuard;
    if (trial % 3 == 0) {
      DrawDot(x0, y0, picture.GetBits(), picture.GetBytesPerLine(), 3, white, width, kW, kH);
      DrawDotBytes(x0, y0, window, kStride, 1, width, kW, kH, firstRow, endRow);
    } else {
      DrawSegment(x0, y0, x1, y1, picture.GetBits(), picture.GetBytesPerLine(), 3, white, width, kW, kH);
      DrawSegmentBytes(x0, y0, x1, y1, window, kStride, 1, width, kW, kH, firstRow, endRow);
    }
    for (int r = -kGuard; r < rows + kGuard; ++r) {
      for (int x = 0; x < kStride; ++x) {
        const int y = from + r;
        const bool painted = r >= 0 && r < rows && x < kW && testing::PixelAt(picture, x, y) == white;
        ASSERT_EQ(window[std::ptrdiff_t(r) * kStride + x] == 1, painted) << x << ", " << y;
      }
    }
  }
}

}  // namespace
}  // namespace linea
