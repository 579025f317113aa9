// The layer stack: ownership and replacement by name, the single visible base
// raster, removal and the new-document step, and composition of the picture.

#include <gtest/gtest.h>

#include "layers/band_layer.h"
#include "layers/cursor_layer.h"
#include "layers/layer_stack.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer.h"
#include "layers/vector_layer3.h"
#include "support/test_host.h"
#include "test_pixels.h"

namespace linea {
namespace {

using testing::PaletteTables;
using testing::PixelAt;

constexpr std::uint32_t kRed = MakeColor(255, 0, 0);
constexpr std::uint32_t kBlue = MakeColor(0, 0, 255);
constexpr std::uint32_t kWhite = MakeColor(255, 255, 255);

// A drawing that tells when it is deleted.
class CProbeLayer : public CVectorLayer3 {
 public:
  CProbeLayer(std::string_view name, bool* deleted) : CVectorLayer3(name, true), deleted_(deleted) {}
  ~CProbeLayer() override { *deleted_ = true; }

 private:
  bool* deleted_;
};

// A W x H layer of kind T painted in one colour (palette index 1).
template <typename T>
std::unique_ptr<T> SolidLayer(const std::string& name, int width, int height, std::uint32_t color) {
  PaletteTables tables;
  tables.Set(1, color);
  auto layer = std::make_unique<T>(name, true);
  std::vector<std::uint8_t> pixels(std::size_t(width) * height, 1);
  EXPECT_TRUE(layer->CreateFromPixels(width, height, 8, pixels, tables.red, tables.green, tables.blue,
                                      tables.used, 256));
  return layer;
}

std::unique_ptr<CVectorLayer3> LineLayer(const std::string& name, std::vector<PolylinePoint> points,
                                         std::uint32_t color, int width) {
  auto layer = std::make_unique<CVectorLayer3>(name, true);
  EXPECT_FALSE(layer->AddPolyline32(points, color, width));
  return layer;
}

class LayerStackTest : public ::testing::Test {
 protected:
  CTestHost host;
  CLayerStack stack{host};
  CompositionSettings settings{4, 3, false, 1};
};

TEST_F(LayerStackTest, FindsNamesExactlyAndCaseSensitively) {
  stack.AddLayer(std::make_unique<CVectorLayer3>("Штрихи", true));
  stack.AddLayer(std::make_unique<CVectorLayer3>("Roses", true));
  EXPECT_EQ(stack.FindIndex("Roses"), 1);
  EXPECT_EQ(stack.FindIndex("roses"), -1);
  EXPECT_EQ(stack.FindIndex("Штрихи"), 0);
  EXPECT_EQ(stack.FindIndex("Штрих"), -1);
  EXPECT_EQ(stack.FindLayer("Roses"), stack.LayerAt(1));
  EXPECT_EQ(stack.FindLayer("none"), nullptr);
  EXPECT_EQ(stack.AddLayer(nullptr), nullptr);
}

TEST_F(LayerStackTest, AddingUnderAnExistingNameDeletesTheOldAndAppendsTheNew) {
  bool oldDeleted = false, otherDeleted = false;
  CLayer* old = stack.AddLayer(std::make_unique<CProbeLayer>("Розы 1", &oldDeleted));
  stack.AddLayer(std::make_unique<CProbeLayer>("Штрихи", &otherDeleted));
  stack.SetCurrentLayer(old);
  const int refreshes = host.layersBarRefreshes;
  CLayer* fresh = stack.AddLayer(std::make_unique<CVectorLayer3>("Розы 1", true));
  EXPECT_TRUE(oldDeleted);
  EXPECT_FALSE(otherDeleted);
  ASSERT_EQ(stack.LayerCount(), 2);
  EXPECT_EQ(stack.LayerAt(0)->GetName(), "Штрихи");
  EXPECT_EQ(stack.LayerAt(1), fresh);
  EXPECT_EQ(stack.GetCurrentLayer(), fresh);  // it took the old one's place as current
  EXPECT_EQ(host.layersBarRefreshes, refreshes + 1);
  // Replacing a layer that was not current leaves the current layer alone.
  stack.AddLayer(std::make_unique<CVectorLayer3>("Штрихи", true));
  EXPECT_TRUE(otherDeleted);
  EXPECT_EQ(stack.GetCurrentLayer(), fresh);
}

TEST_F(LayerStackTest, OnlyOneBaseRasterStaysVisibleAndHiddenOnesHideNothing) {
  CLayer* base = stack.AddLayer(SolidLayer<CBitmapLayer>("Исходное", 4, 3, kRed));
  CLayer* band = stack.AddLayer(SolidLayer<CColorBandLayer>("Band", 4, 3, kRed));
  base->ClearChanged();
  band->ClearChanged();

  auto hidden = SolidLayer<CRasterLayer>("Hidden", 4, 3, kBlue);
  hidden->SetVisible(false);
  stack.AddLayer(std::move(hidden));
  EXPECT_TRUE(base->IsVisible());
  EXPECT_FALSE(base->IsChanged());

  CLayer* map = stack.AddLayer(SolidLayer<CRasterLayer>("Розы 1", 4, 3, kBlue));
  EXPECT_FALSE(base->IsVisible());
  EXPECT_TRUE(base->IsChanged());
  EXPECT_TRUE(map->IsVisible());
  EXPECT_TRUE(band->IsVisible());  // bands are not base rasters
  EXPECT_FALSE(band->IsChanged());
  EXPECT_FALSE(stack.FindLayer("Hidden")->IsVisible());
}

TEST_F(LayerStackTest, RemovingTheLastLayerRunsTheNewDocumentStep) {
  CLayer* only = stack.AddLayer(std::make_unique<CVectorLayer3>("a", true));
  stack.SetCurrentLayer(only);
  const int refreshes = host.layersBarRefreshes;
  EXPECT_TRUE(stack.RemoveLayer(only));
  EXPECT_EQ(stack.LayerCount(), 0);
  EXPECT_EQ(stack.GetCurrentLayer(), nullptr);
  EXPECT_EQ(host.newDocumentRuns, 1);
  EXPECT_EQ(host.layersBarRefreshes, refreshes + 1);
}

TEST_F(LayerStackTest, RemovingAVisibleLayerMarksTheFirstRemainingOneChanged) {
  CLayer* first = stack.AddLayer(std::make_unique<CVectorLayer3>("a", true));
  CLayer* hidden = stack.AddLayer(std::make_unique<CVectorLayer3>("b", true));
  CLayer* shown = stack.AddLayer(std::make_unique<CVectorLayer3>("c", true));
  hidden->SetVisible(false);
  first->ClearChanged();
  EXPECT_TRUE(stack.RemoveLayer(hidden));
  EXPECT_FALSE(first->IsChanged());
  EXPECT_TRUE(stack.RemoveLayer(shown));
  EXPECT_TRUE(first->IsChanged());
  EXPECT_EQ(host.newDocumentRuns, 0);
  CVectorLayer3 stranger("x", true);
  EXPECT_FALSE(stack.RemoveLayer(&stranger));
  EXPECT_EQ(stack.LayerCount(), 1);
}

TEST_F(LayerStackTest, ClearingDeletesEveryLayerAndThePicture) {
  bool deleted = false;
  stack.AddLayer(std::make_unique<CProbeLayer>("a", &deleted));
  stack.SetCurrentLayer(stack.LayerAt(0));
  ASSERT_TRUE(stack.ComposeLayers(settings));
  ASSERT_FALSE(stack.CompositionImage().IsEmpty());
  stack.ClearLayers();
  EXPECT_TRUE(deleted);
  EXPECT_EQ(stack.LayerCount(), 0);
  EXPECT_EQ(stack.GetCurrentLayer(), nullptr);
  EXPECT_TRUE(stack.CompositionImage().IsEmpty());
  EXPECT_EQ(host.newDocumentRuns, 0);
}

TEST_F(LayerStackTest, CurrentLayerRefreshesTheCursorReadout) {
  CLayer* layer = stack.AddLayer(std::make_unique<CVectorLayer3>("a", true));
  stack.SetCurrentLayer(layer);
  EXPECT_EQ(stack.GetCurrentLayer(), layer);
  EXPECT_EQ(host.cursorReadoutRefreshes, 1);
  CVectorLayer3 stranger("x", true);
  stack.SetCurrentLayer(&stranger);
  EXPECT_EQ(stack.GetCurrentLayer(), nullptr);
}

TEST_F(LayerStackTest, DrawLastNeedsTwoDrawings) {
  CLayer* a = stack.AddLayer(std::make_unique<CVectorLayer3>("a", true));
  CLayer* base = stack.AddLayer(SolidLayer<CBitmapLayer>("base", 4, 3, kRed));
  a->ClearChanged();
  const int refreshes = host.layersBarRefreshes;
  EXPECT_FALSE(stack.MoveToEnd(a));
  EXPECT_EQ(stack.LayerAt(0), a);
  EXPECT_FALSE(a->IsChanged());
  CLayer* b = stack.AddLayer(std::make_unique<CVectorLayer3>("b", true));
  EXPECT_FALSE(stack.MoveToEnd(base));  // only drawings move
  EXPECT_TRUE(stack.MoveToEnd(a));
  EXPECT_EQ(stack.LayerAt(0), base);
  EXPECT_EQ(stack.LayerAt(1), b);
  EXPECT_EQ(stack.LayerAt(2), a);
  EXPECT_TRUE(a->IsChanged());
  EXPECT_EQ(host.layersBarRefreshes, refreshes + 2);
}

TEST_F(LayerStackTest, NothingVisibleGivesAWhitePictureOfTheProjectSize) {
  auto hidden = SolidLayer<CBitmapLayer>("base", 4, 3, kRed);
  hidden->SetVisible(false);
  stack.AddLayer(std::move(hidden));
  ASSERT_TRUE(stack.ComposeLayers(settings));
  const CImage& picture = stack.CompositionImage();
  ASSERT_EQ(picture.GetWidth(), 4);
  ASSERT_EQ(picture.GetHeight(), 3);
  ASSERT_EQ(picture.GetBitsPerPixel(), 24);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(picture, x, y), kWhite);
  EXPECT_FALSE(stack.AnyChanged());
  EXPECT_EQ(host.displayFailures, 0);
}

TEST_F(LayerStackTest, ComposesBaseThenVectorsAndBandsThenDrawingsWhateverTheListOrder) {
  // Listed drawing first, base last: the kinds decide the order, not the list.
  stack.AddLayer(LineLayer("lines", {{0, 1}, {3, 1}}, kBlue, 1));
  auto vector = std::make_unique<CVectorLayer>("stripes", true);
  {
    PaletteTables tables;
    tables.Set(1, MakeColor(0, 255, 0));
    tables.used[0] = 0;
    std::vector<std::uint8_t> pixels(12, 0);
    pixels[1 * 4 + 1] = 1;  // under the line
    pixels[2 * 4 + 1] = 1;
    ASSERT_TRUE(vector->CreateFromPixels(4, 3, 8, pixels, tables.red, tables.green, tables.blue, tables.used, 256));
  }
  stack.AddLayer(std::move(vector));
  auto band = std::make_unique<CColorBandLayer>("band", true);
  {
    PaletteTables tables;
    tables.Set(1, MakeColor(0, 0, 254));
    std::vector<std::uint8_t> pixels(12, 0);
    pixels[2 * 4 + 1] = 1;  // over the stripe: blended with green
    pixels[2 * 4 + 2] = 1;  // over the base: blended with red
    ASSERT_TRUE(band->CreateFromPixels(4, 3, 8, pixels, tables.red, tables.green, tables.blue, tables.used, 256));
  }
  stack.AddLayer(std::move(band));
  stack.AddLayer(SolidLayer<CBitmapLayer>("base", 4, 3, kRed));
  auto cursor = std::make_unique<CCursorLayer>();
  cursor->SetVisible(true);
  stack.AddLayer(std::move(cursor));

  ASSERT_TRUE(stack.ComposeLayers(settings));
  const CImage& picture = stack.CompositionImage();
  EXPECT_EQ(PixelAt(picture, 0, 0), kRed);
  EXPECT_EQ(PixelAt(picture, 0, 1), kBlue);  // the drawing is painted last
  EXPECT_EQ(PixelAt(picture, 1, 1), kBlue);  // over the stripe
  EXPECT_EQ(PixelAt(picture, 3, 1), kBlue);  // the dot at the last point
  EXPECT_EQ(PixelAt(picture, 3, 0), kRed);
  EXPECT_EQ(PixelAt(picture, 1, 2), MakeColor(0, 127, 127));
  EXPECT_EQ(PixelAt(picture, 2, 2), MakeColor(127, 0, 127));
  EXPECT_EQ(PixelAt(picture, 3, 2), kRed);
  EXPECT_EQ(host.displayFailures, 0);
}

TEST_F(LayerStackTest, ComposesOnlyWhenSomethingChanged) {
  CLayer* base = stack.AddLayer(SolidLayer<CBitmapLayer>("base", 4, 3, kRed));
  ASSERT_TRUE(stack.ComposeLayers(settings));
  EXPECT_EQ(PixelAt(stack.CompositionImage(), 0, 0), kRed);
  static_cast<CBitmapLayer*>(base)->SetGrayPalette();  // marks it changed
  base->ClearChanged();
  ASSERT_TRUE(stack.ComposeLayers(settings));
  EXPECT_EQ(PixelAt(stack.CompositionImage(), 0, 0), kRed);  // not recomposed
  base->MarkChanged();
  ASSERT_TRUE(stack.ComposeLayers(settings));
  EXPECT_EQ(PixelAt(stack.CompositionImage(), 0, 0), MakeColor(1, 1, 1));
}

TEST_F(LayerStackTest, ReusedPictureIsClearedWhenTheBaseDoesNotCoverIt) {
  CLayer* base = stack.AddLayer(SolidLayer<CBitmapLayer>("base", 4, 3, kRed));
  ASSERT_TRUE(stack.ComposeLayers(settings));
  base->SetVisible(false);
  auto small = SolidLayer<CColorBandLayer>("band", 2, 1, MakeColor(200, 0, 0));
  stack.AddLayer(std::move(small));
  ASSERT_TRUE(stack.ComposeLayers(settings));
  EXPECT_EQ(PixelAt(stack.CompositionImage(), 0, 0), MakeColor(100, 0, 0));  // blended with black
  EXPECT_EQ(PixelAt(stack.CompositionImage(), 3, 2), 0u);
}

TEST_F(LayerStackTest, FailureIsPostedToTheHost) {
  stack.AddLayer(std::make_unique<CBitmapLayer>("no image", true));
  EXPECT_FALSE(stack.ComposeLayers(settings));
  EXPECT_EQ(host.displayFailures, 1);
  // A project without a size cannot hold a visible layer's picture either.
  stack.ClearLayers();
  stack.AddLayer(SolidLayer<CBitmapLayer>("base", 4, 3, kRed));
  EXPECT_FALSE(stack.ComposeLayers({0, 0, false, 1}));
  EXPECT_EQ(host.displayFailures, 2);
}

TEST_F(LayerStackTest, PalettePanelFollowsTheColoursOfTheBaseRaster) {
  auto map = SolidLayer<CRasterLayer>("Розы 1", 4, 3, kRed);
  map->steps = 3;
  map->stepBoundaries = {2, 5, 255};
  map->Image().SetColorForIndex(5, MakeColor(77, 0, 0));
  map->Image().SetColorForIndex(255, MakeColor(0, 0, 9));
  CRasterLayer* raster = map.get();
  stack.AddLayer(std::move(map));
  ASSERT_TRUE(stack.ComposeLayers(settings));
  ASSERT_EQ(host.palettePanels.size(), 1u);
  const PalettePanelContents& shown = host.palettePanels[0];
  EXPECT_EQ(shown.count, 3);
  EXPECT_EQ(shown.indices, (std::vector<int>{2, 5, 255}));
  ASSERT_EQ(shown.red.size(), 256u);
  EXPECT_EQ(shown.red[5], 77);
  EXPECT_EQ(shown.blue[255], 9);
  EXPECT_EQ(stack.GetPaletteKey(), 33u);  // palette kind 3 + 10 x 3 steps

  raster->MarkChanged();  // same colours: the panel is not handed the palette again
  ASSERT_TRUE(stack.ComposeLayers(settings));
  EXPECT_EQ(host.palettePanels.size(), 1u);
  // The grey palette keeps the key but changes the colours, and the panel follows.
  raster->SetGrayPalette();
  ASSERT_TRUE(stack.ComposeLayers(settings));
  ASSERT_EQ(host.palettePanels.size(), 2u);
  EXPECT_EQ(host.palettePanels[1].red[1], 1);  // was the map's red
  EXPECT_EQ(host.palettePanels[1].green[1], 1);
  EXPECT_EQ(host.palettePanels[1].red[5], 77);  // unused entries are left alone
  EXPECT_EQ(stack.GetPaletteKey(), 33u);

  const int hides = host.palettePanelHides;
  stack.AddLayer(SolidLayer<CBitmapLayer>("Исходное", 4, 3, kRed));  // hides the map
  ASSERT_TRUE(stack.ComposeLayers(settings));
  EXPECT_EQ(host.palettePanelHides, hides + 1);
  EXPECT_EQ(stack.GetPaletteKey(), kNoPaletteKey);
  EXPECT_EQ(host.palettePanels.size(), 2u);
}

TEST_F(LayerStackTest, DrawingsWidenWithTheZoomWhenScalingIsOn) {
  stack.AddLayer(LineLayer("lines", {{0, 4}, {9, 4}}, kBlue, 1));
  CompositionSettings scaled{10, 10, true, 2};
  ASSERT_TRUE(stack.SetZoom(0.5));
  ASSERT_TRUE(stack.ComposeLayers(scaled));
  // Width trunc(1 x 2 / 0.5 + 0.5) = 4 covers rows 4 - 2 .. 4 + 1.
  for (int y = 0; y < 10; ++y)
    EXPECT_EQ(PixelAt(stack.CompositionImage(), 5, y), y >= 2 && y <= 5 ? kBlue : 0u) << y;

  ASSERT_TRUE(stack.SetZoom(2.0));
  stack.LayerAt(0)->MarkChanged();
  ASSERT_TRUE(stack.ComposeLayers(scaled));
  for (int y = 0; y < 10; ++y)
    EXPECT_EQ(PixelAt(stack.CompositionImage(), 5, y), y >= 3 && y <= 4 ? kBlue : 0u) << y;

  stack.LayerAt(0)->MarkChanged();
  ASSERT_TRUE(stack.ComposeLayers({10, 10, false, 2}));
  for (int y = 0; y < 10; ++y) EXPECT_EQ(PixelAt(stack.CompositionImage(), 5, y), y == 4 ? kBlue : 0u) << y;
}

TEST_F(LayerStackTest, ZoomingOutMarksDrawingsChangedAndRemembersThePreviousZoom) {
  CLayer* drawing = stack.AddLayer(std::make_unique<CVectorLayer3>("d", true));
  CLayer* base = stack.AddLayer(SolidLayer<CBitmapLayer>("base", 4, 3, kRed));
  ASSERT_TRUE(stack.ComposeLayers(settings));
  EXPECT_EQ(stack.GetZoom(), 1.0);
  ASSERT_TRUE(stack.SetZoom(1.5));
  EXPECT_FALSE(drawing->IsChanged());
  ASSERT_TRUE(stack.SetZoom(0.75));
  EXPECT_TRUE(drawing->IsChanged());
  EXPECT_FALSE(base->IsChanged());
  EXPECT_EQ(stack.GetPreviousZoom(), 1.5);
  EXPECT_FALSE(stack.SetZoom(0.0));
  EXPECT_FALSE(stack.SetZoom(1e9));  // 4 x 1e9 pixels cannot be shown
  EXPECT_EQ(stack.GetZoom(), 0.75);
}

}  // namespace
}  // namespace linea
