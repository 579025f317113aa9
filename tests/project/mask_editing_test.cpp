// Mask editing without a window: creating the mask, the brightness selection and
// its growth, adding and removing with one undo, inverting, marking regions and
// dropping marked or unmarked ones, and the four polygon tools.
#include "project/mask_editing.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "base/layer_names.h"
#include "base/string_table.h"
#include "layers/band_layer.h"
#include "layers/layer_stack.h"
#include "layers/region_labelling.h"
#include "project/mask_range_model.h"
#include "project/region_marker.h"
#include "project/workspace.h"
#include "support/test_host.h"

namespace linea {
namespace {

// Counts the pixels of an 8-bit image that hold `value`.
int CountValue(const CImage& image, std::uint8_t value) {
  int count = 0;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) count += image.Row(y)[x] == value;
  return count;
}

class MaskEditingTest : public ::testing::Test {
 protected:
  MaskEditingTest() : stack(host) {}

  // The source image with brightness(x, y) at every pixel.
  void AddSource(int width, int height, const std::function<int(int, int)>& brightness) {
    auto source = std::make_unique<CBitmapLayer>(LoadText(kBaseLayerName), true);
    ASSERT_TRUE(source->Image().Create(width, height, 8));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) source->Image().Row(y)[x] = std::uint8_t(brightness(x, y));
    stack.AddLayer(std::move(source));
  }
  // A source of one brightness with single pixels of other values.
  void AddFlatSource(int width, int height, int value = 100) {
    AddSource(width, height, [value](int, int) { return value; });
  }
  void SetSource(int x, int y, int value) { FindSourceLayer(stack)->Image().Row(y)[x] = std::uint8_t(value); }
  CImage& Mask() { return FindMaskLayer(stack)->Image(); }
  CImage& Preview() { return FindPreviewLayer(stack)->Image(); }
  std::uint8_t MaskAt(int x, int y) { return Mask().Row(y)[x]; }
  std::uint8_t PreviewAt(int x, int y) { return Preview().Row(y)[x]; }

  CTestHost host;
  CLayerStack stack;
};

TEST_F(MaskEditingTest, CreatedMaskIsAnEmptyRedTintedBandLayerThatCannotBeDeleted) {
  AddFlatSource(7, 5);
  ASSERT_EQ(CreateMask(stack), 0);
  auto* mask = dynamic_cast<CExtremumLayer*>(stack.FindLayer("Маска"));
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->GetKind(), 4);
  EXPECT_EQ(mask->GetWidth(), 7);
  EXPECT_EQ(mask->GetHeight(), 5);
  EXPECT_EQ(CountValue(mask->Image(), kOutsideMask), 35);
  EXPECT_EQ(mask->GetDescription(), "Mask image");
  EXPECT_FALSE(mask->IsDeletable());
  EXPECT_TRUE(mask->IsVisible());
  EXPECT_EQ(mask->paletteKind, 3);
  EXPECT_EQ(mask->classWidth, -1.0);
  EXPECT_EQ(mask->Lookup()[0], 0xFF0000u);  // red
  for (int i = 1; i < 256; ++i) EXPECT_EQ(mask->Lookup()[std::size_t(i)], 0u) << i;
  EXPECT_FALSE(FindSourceLayer(stack)->IsDeletable());
}

TEST_F(MaskEditingTest, WithoutTheSourceImageNoMaskIsCreated) {
  EXPECT_EQ(CreateMask(stack), kMaskNothingToDo);
  EXPECT_EQ(stack.LayerCount(), 0);
  CMaskRangeModel model(stack);
  EXPECT_EQ(model.Open(), kMaskNothingToDo);
  EXPECT_TRUE(model.IsOpen());
  EXPECT_FALSE(model.HasUndoBuffer());
  EXPECT_EQ(model.ShowSelection({}), kMaskNothingToDo);
  EXPECT_EQ(model.AddToMask(), kMaskNothingToDo);
  EXPECT_EQ(model.BeginPolygon(PolygonMode::kMask), kMaskNothingToDo);
  EXPECT_EQ(stack.LayerCount(), 0);
}

TEST_F(MaskEditingTest, RangeSelectsExactlyTheBrightnessesFromToAndOutsideTheRest) {
  AddSource(16, 16, [](int x, int y) { return y * 16 + x; });
  ASSERT_EQ(BuildSelectionPreview(stack, {0, 10, false, false}), 0);
  for (int v = 0; v < 256; ++v) EXPECT_EQ(PreviewAt(v % 16, v / 16), v <= 10 ? kSelected : kNotSelected) << v;
  auto* preview = dynamic_cast<CExtremumLayer*>(stack.FindLayer("Изменение маски"));
  ASSERT_NE(preview, nullptr);
  EXPECT_TRUE(preview->IsVisible());
  EXPECT_FALSE(preview->IsDeletable());
  EXPECT_EQ(preview->Lookup()[kSelected], 0x0000FFu);      // blue
  EXPECT_EQ(preview->Lookup()[kMarkedRegion], 0x808000u);  // olive
  EXPECT_EQ(preview->Lookup()[kNotSelected], 0u);

  ASSERT_EQ(BuildSelectionPreview(stack, {0, 10, true, false}), 0);
  EXPECT_EQ(stack.LayerCount(), 2);  // the older preview was replaced
  for (int v = 0; v < 256; ++v) EXPECT_EQ(PreviewAt(v % 16, v / 16), v > 10 ? kSelected : kNotSelected) << v;

  // Limits outside 0..255 simply select all or nothing.
  ASSERT_EQ(BuildSelectionPreview(stack, {-5, 300, false, false}), 0);
  EXPECT_EQ(CountValue(Preview(), kSelected), 256);
  ASSERT_EQ(BuildSelectionPreview(stack, {20, 10, false, false}), 0);
  EXPECT_EQ(CountValue(Preview(), kSelected), 0);
}

TEST_F(MaskEditingTest, GrowthTurnsOneInteriorPixelIntoA21PixelBlockAndNeverTouchesTheBorder) {
  AddFlatSource(11, 11);
  SetSource(5, 5, 0);
  ASSERT_EQ(BuildSelectionPreview(stack, {0, 10, false, true}), 0);
  EXPECT_EQ(CountValue(Preview(), kSelected), 21);
  for (int y = 3; y <= 7; ++y)
    for (int x = 3; x <= 7; ++x) {
      const bool corner = (x == 3 || x == 7) && (y == 3 || y == 7);
      EXPECT_EQ(PreviewAt(x, y), corner ? kNotSelected : kSelected) << x << "," << y;
    }
  // A selected pixel next to the border grows inwards only.
  FindSourceLayer(stack)->Image().Fill(0, 0, 11, 11, 0);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) SetSource(x, y, 100);
  SetSource(1, 1, 0);
  ASSERT_EQ(BuildSelectionPreview(stack, {0, 10, false, true}), 0);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(PreviewAt(i, 0), kNotSelected) << i;
    EXPECT_EQ(PreviewAt(0, i), kNotSelected) << i;
  }
  EXPECT_EQ(PreviewAt(3, 1), kSelected);
  EXPECT_EQ(PreviewAt(1, 3), kSelected);
  EXPECT_EQ(PreviewAt(2, 2), kSelected);
}

TEST_F(MaskEditingTest, AddingTwiceUnitesAndUndoRestoresOnlyTheStateBeforeTheLastOne) {
  AddSource(16, 16, [](int x, int y) { return y * 16 + x; });
  ASSERT_EQ(CreateMask(stack), 0);
  CMaskRangeModel model(stack);
  ASSERT_EQ(model.Open(), 0);
  EXPECT_FALSE(model.CanUndo());
  ASSERT_EQ(model.ShowSelection({0, 9, false, false}), 0);
  ASSERT_EQ(model.AddToMask(), 0);
  EXPECT_TRUE(model.CanUndo());
  ASSERT_EQ(model.ShowSelection({100, 104, false, false}), 0);
  ASSERT_EQ(model.AddToMask(), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 15);
  EXPECT_EQ(MaskAt(9, 0), kInMask);
  EXPECT_EQ(MaskAt(100 % 16, 100 / 16), kInMask);

  ASSERT_EQ(model.Undo(), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 10);
  EXPECT_EQ(MaskAt(100 % 16, 100 / 16), kOutsideMask);
  EXPECT_FALSE(model.CanUndo());
  // Only one earlier state is kept: a second undo changes nothing.
  EXPECT_EQ(model.Undo(), kMaskNothingToDo);
  EXPECT_EQ(CountValue(Mask(), kInMask), 10);

  ASSERT_EQ(model.ShowSelection({0, 4, false, false}), 0);
  ASSERT_EQ(model.RemoveFromMask(), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 5);
  EXPECT_EQ(MaskAt(4, 0), kOutsideMask);
  EXPECT_EQ(MaskAt(5, 0), kInMask);
}

TEST_F(MaskEditingTest, ClosingRemovesThePreviewButKeepsTheMask) {
  AddFlatSource(8, 8);
  ASSERT_EQ(CreateMask(stack), 0);
  CMaskRangeModel model(stack);
  ASSERT_EQ(model.Open(), 0);
  ASSERT_EQ(model.ShowSelection({0, 255, false, false}), 0);
  ASSERT_EQ(model.AddToMask(), 0);
  model.Close();
  EXPECT_EQ(stack.FindLayer("Изменение маски"), nullptr);
  EXPECT_FALSE(model.IsOpen());
  EXPECT_FALSE(model.HasUndoBuffer());
  EXPECT_EQ(CountValue(Mask(), kInMask), 64);
  EXPECT_EQ(model.Undo(), kMaskNothingToDo);
}

TEST_F(MaskEditingTest, InvertingTwiceRestoresAZeroAnd255MaskAndOtherValuesBecomeMask) {
  AddFlatSource(4, 4);
  EXPECT_EQ(InvertMask(stack), kMaskNothingToDo);
  ASSERT_EQ(CreateMask(stack), 0);
  Mask().Row(1)[2] = 0;
  Mask().Row(3)[3] = 0;
  ASSERT_EQ(InvertMask(stack), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 14);
  EXPECT_EQ(MaskAt(2, 1), kOutsideMask);
  ASSERT_EQ(InvertMask(stack), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 2);
  EXPECT_EQ(MaskAt(2, 1), kInMask);
  EXPECT_EQ(MaskAt(3, 3), kInMask);
  Mask().Row(0)[0] = 77;
  ASSERT_EQ(InvertMask(stack), 0);
  EXPECT_EQ(MaskAt(0, 0), kInMask);
}

// Three selected regions of a 12 x 6 preview: columns 1..2, 5..6 and 9..10.
class RegionMarkerTest : public MaskEditingTest {
 protected:
  void SetUp() override {
    AddSource(12, 6, [](int x, int) { return (x % 4 == 1 || x % 4 == 2) ? 0 : 200; });
    ASSERT_EQ(BuildSelectionPreview(stack, {0, 10, false, false}), 0);
  }
};

TEST_F(RegionMarkerTest, AClickMarksTheWholeFourConnectedRegionAndOnlyIt) {
  CRegionMarker marker(stack);
  EXPECT_FALSE(marker.HasMarks());
  EXPECT_EQ(marker.MarkAt(3, 2), kMaskNothingToDo);  // not selected
  EXPECT_EQ(marker.MarkAt(-1, 2), kMaskNothingToDo);
  EXPECT_EQ(marker.MarkAt(12, 2), kMaskNothingToDo);
  EXPECT_FALSE(marker.HasMarks());
  ASSERT_EQ(marker.MarkAt(5, 4), 0);
  EXPECT_TRUE(marker.HasMarks());
  EXPECT_EQ(CountValue(Preview(), kMarkedRegion), 12);
  for (int y = 0; y < 6; ++y) {
    EXPECT_EQ(PreviewAt(5, y), kMarkedRegion);
    EXPECT_EQ(PreviewAt(6, y), kMarkedRegion);
    EXPECT_EQ(PreviewAt(1, y), kSelected);
  }
  // A marked pixel is no longer selected: clicking it again does nothing.
  EXPECT_EQ(marker.MarkAt(6, 0), kMaskNothingToDo);
}

TEST_F(RegionMarkerTest, UndoingTheLastMarkKeepsTheEarlierOne) {
  CRegionMarker marker(stack);
  ASSERT_EQ(marker.MarkAt(1, 0), 0);
  ASSERT_EQ(marker.MarkAt(9, 0), 0);
  EXPECT_EQ(CountValue(Preview(), kMarkedRegion), 24);
  ASSERT_EQ(marker.UndoLastStep(), 0);
  EXPECT_EQ(CountValue(Preview(), kMarkedRegion), 12);
  EXPECT_EQ(PreviewAt(9, 0), kSelected);
  EXPECT_TRUE(marker.HasMarks());
  // After the first mark is undone the flag is as it was before it: no marks.
  CRegionMarker fresh(stack);
  ASSERT_EQ(fresh.MarkAt(5, 0), 0);
  ASSERT_EQ(fresh.UndoLastStep(), 0);
  EXPECT_FALSE(fresh.HasMarks());
}

TEST_F(RegionMarkerTest, DeletingMarkedOrUnmarkedRegionsAndUnmarkingAll) {
  CRegionMarker marker(stack);
  ASSERT_EQ(marker.MarkAt(1, 0), 0);
  ASSERT_EQ(marker.MarkAt(9, 0), 0);
  ASSERT_EQ(marker.DeleteUnmarked(), 0);
  EXPECT_FALSE(marker.HasMarks());
  EXPECT_EQ(CountValue(Preview(), kSelected), 24);
  EXPECT_EQ(CountValue(Preview(), kMarkedRegion), 0);
  EXPECT_EQ(PreviewAt(5, 0), kNotSelected);
  EXPECT_EQ(PreviewAt(9, 5), kSelected);

  ASSERT_EQ(marker.MarkAt(9, 0), 0);
  ASSERT_EQ(marker.DeleteMarked(), 0);
  EXPECT_EQ(CountValue(Preview(), kSelected), 12);
  EXPECT_EQ(PreviewAt(9, 0), kNotSelected);
  // "с предыдущей" brings the deleted region back, marked.
  ASSERT_EQ(marker.UndoLastStep(), 0);
  EXPECT_EQ(CountValue(Preview(), kMarkedRegion), 12);
  EXPECT_TRUE(marker.HasMarks());

  ASSERT_EQ(marker.UnmarkAll(), 0);
  EXPECT_EQ(CountValue(Preview(), kSelected), 24);
  EXPECT_FALSE(marker.HasMarks());
}

TEST_F(RegionMarkerTest, KeepingOnlyMarkedRegionsWithoutMarksClearsTheSelection) {
  CRegionMarker marker(stack);
  ASSERT_EQ(marker.DeleteUnmarked(), 0);
  EXPECT_EQ(CountValue(Preview(), kSelected), 0);
  EXPECT_EQ(CountValue(Preview(), kNotSelected), 72);
}

TEST_F(RegionMarkerTest, LeavingTakesRemainingMarksOff) {
  CRegionMarker marker(stack);
  ASSERT_EQ(marker.MarkAt(5, 1), 0);
  marker.Exit();
  EXPECT_FALSE(marker.HasMarks());
  EXPECT_FALSE(marker.HasUndo());
  EXPECT_EQ(CountValue(Preview(), kMarkedRegion), 0);
  EXPECT_EQ(CountValue(Preview(), kSelected), 36);
}

TEST_F(MaskEditingTest, MarkingWhenTheLabellingRunsOutOfLabelsLeavesThePreviewUnchanged) {
  // A checkerboard selection needs 80 000 provisional labels.
  AddSource(400, 400, [](int x, int y) { return (x + y) % 2 ? 0 : 200; });
  ASSERT_EQ(BuildSelectionPreview(stack, {0, 10, false, false}), 0);
  CRegionMarker marker(stack);
  EXPECT_EQ(marker.MarkAt(1, 0), kLabelTooManyRegions);
  EXPECT_EQ(CountValue(Preview(), kMarkedRegion), 0);
  EXPECT_EQ(CountValue(Preview(), kSelected), 80000);
  EXPECT_FALSE(marker.HasMarks());
  EXPECT_EQ(marker.UndoLastStep(), kMaskNothingToDo);
}

// A 20 x 20 image and the square with corners (5, 5) and (14, 14): 100 pixels
// inside or on the outline.
class PolygonTest : public MaskEditingTest {
 protected:
  void SetUp() override {
    AddFlatSource(20, 20);
    ASSERT_EQ(CreateMask(stack), 0);
    ASSERT_EQ(model.Open(), 0);
  }
  int Draw(PolygonMode mode, std::vector<MaskVertex> vertices) {
    EXPECT_EQ(model.BeginPolygon(mode), 0);
    EXPECT_TRUE(model.IsDrawingPolygon());
    EXPECT_EQ(model.AppendVertices(vertices), 0);
    const int result = model.FinishPolygon();
    EXPECT_FALSE(model.IsDrawingPolygon());
    return result;
  }
  const std::vector<MaskVertex> square{{5, 5}, {14, 5}, {14, 14}, {5, 14}};
  CMaskRangeModel model{stack};
};

TEST_F(PolygonTest, MaskModeFillsTheSquareWithItsOutline) {
  ASSERT_EQ(Draw(PolygonMode::kMask, square), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 100);
  EXPECT_EQ(MaskAt(5, 5), kInMask);
  EXPECT_EQ(MaskAt(14, 14), kInMask);
  EXPECT_EQ(MaskAt(4, 5), kOutsideMask);
  EXPECT_EQ(MaskAt(15, 14), kOutsideMask);
  EXPECT_TRUE(model.CanUndo());
  ASSERT_EQ(model.Undo(), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 0);
}

TEST_F(PolygonTest, NotMaskModeMakesTheOutsideMask) {
  ASSERT_EQ(Draw(PolygonMode::kNotMask, square), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 300);
  EXPECT_EQ(MaskAt(0, 0), kInMask);
  EXPECT_EQ(MaskAt(10, 10), kOutsideMask);
}

TEST_F(PolygonTest, EraseModeTakesTheSquareOutOfTheMask) {
  ASSERT_EQ(InvertMask(stack), 0);
  ASSERT_EQ(Draw(PolygonMode::kErase, square), 0);
  EXPECT_EQ(CountValue(Mask(), kOutsideMask), 100);
  EXPECT_EQ(MaskAt(10, 10), kOutsideMask);
}

TEST_F(PolygonTest, OutlineModeDeselectsInThePreviewAndLeavesTheMaskAndItsUndo) {
  ASSERT_EQ(model.ShowSelection({0, 255, false, false}), 0);
  ASSERT_EQ(Draw(PolygonMode::kOutline, square), 0);
  EXPECT_EQ(CountValue(Preview(), kNotSelected), 100);
  EXPECT_EQ(CountValue(Preview(), kSelected), 300);
  EXPECT_EQ(CountValue(Mask(), kOutsideMask), 400);
  EXPECT_FALSE(model.CanUndo());
  // Without a preview the outline has no target.
  RemoveSelectionPreview(stack);
  EXPECT_EQ(Draw(PolygonMode::kOutline, square), kMaskNothingToDo);
}

TEST_F(PolygonTest, VerticesOutsideTheImageAreClipped) {
  // Snapped to the edges: the whole top-left quarter up to the column and row 9.
  ASSERT_EQ(Draw(PolygonMode::kMask, {{-1, -1}, {9, -1}, {9, 9}, {-1, 9}}), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 100);
  EXPECT_EQ(MaskAt(0, 0), kInMask);
  ASSERT_EQ(model.Undo(), 0);
  // Far outside, around the corner of the grid: the same quarter, not its complement.
  ASSERT_EQ(Draw(PolygonMode::kMask, {{-50, -50}, {9, -50}, {9, 9}, {-50, 9}}), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 100);
  EXPECT_EQ(MaskAt(0, 0), kInMask);
  EXPECT_EQ(MaskAt(10, 10), kOutsideMask);
  ASSERT_EQ(model.Undo(), 0);
  // Around the whole image at absurd distances: everything, at once.
  ASSERT_EQ(
      Draw(
          PolygonMode::kMask,
          {{-2000000000, -2000000000}, {2000000000, -2000000000}, {2000000000, 2000000000}, {-2000000000, 2000000000}}),
      0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 400);
  ASSERT_EQ(model.Undo(), 0);
  // Entirely outside: nothing.
  ASSERT_EQ(Draw(PolygonMode::kMask, {{30, 30}, {40, 30}, {40, 40}}), 0);
  EXPECT_EQ(CountValue(Mask(), kInMask), 0);
}

TEST_F(PolygonTest, APolygonOfManyVerticesIsKeptWhole) {
  // A 400-vertex staircase along the square's outline fills like the square.
  std::vector<MaskVertex> vertices;
  for (int i = 0; i < 100; ++i) vertices.push_back({5 + i % 10, 5});
  for (int i = 0; i < 100; ++i) vertices.push_back({14, 5 + i % 10});
  for (int i = 0; i < 100; ++i) vertices.push_back({14 - i % 10, 14});
  for (int i = 0; i < 100; ++i) vertices.push_back({5, 14 - i % 10});
  ASSERT_EQ(model.BeginPolygon(PolygonMode::kMask), 0);
  for (std::size_t i = 0; i < vertices.size(); i += 11)
    ASSERT_EQ(model.AppendVertices(std::span(vertices).subspan(i, std::min<std::size_t>(11, vertices.size() - i))), 0);
  EXPECT_EQ(model.Vertices().size(), 400u);
  ASSERT_EQ(model.FinishPolygon(), 0);
  EXPECT_EQ(MaskAt(10, 10), kInMask);
  EXPECT_EQ(MaskAt(4, 10), kOutsideMask);
}

TEST_F(PolygonTest, CancellingWritesNothing) {
  ASSERT_EQ(model.BeginPolygon(PolygonMode::kNotMask), 0);
  ASSERT_EQ(model.AppendVertices(square), 0);
  model.CancelPolygon();
  EXPECT_FALSE(model.IsDrawingPolygon());
  EXPECT_TRUE(model.Vertices().empty());
  EXPECT_EQ(model.FinishPolygon(), kMaskNothingToDo);
  EXPECT_EQ(CountValue(Mask(), kOutsideMask), 400);
}

TEST_F(PolygonTest, LabellingFailureLeavesTheMaskUnchanged) {
  // An outline through every even column and every even row of a 600 x 600 mask
  // isolates 299 x 299 single pixels: more regions than the labelling can number.
  CLayerStack big(host);
  auto source = std::make_unique<CBitmapLayer>(LoadText(kBaseLayerName), true);
  ASSERT_TRUE(source->Image().Create(600, 600, 8));
  big.AddLayer(std::move(source));
  ASSERT_EQ(CreateMask(big), 0);
  std::vector<MaskVertex> lattice;
  for (int x = 0; x < 600; x += 4) {
    lattice.push_back({x, 0});
    lattice.push_back({x, 599});
    lattice.push_back({x + 2, 599});
    lattice.push_back({x + 2, 0});
  }
  for (int y = 0; y < 600; y += 4) {
    lattice.push_back({0, y});
    lattice.push_back({599, y});
    lattice.push_back({599, y + 2});
    lattice.push_back({0, y + 2});
  }
  CImage& mask = FindMaskLayer(big)->Image();
  EXPECT_EQ(FillPolygon(mask, lattice, PolygonMode::kMask), kLabelTooManyRegions);
  EXPECT_EQ(CountValue(mask, kOutsideMask), 360000);
}

TEST(DeleteMask, ARemovedMaskIsNoLongerUsedAndTheCalculationPanelFollows) {
  CTestHost host;
  CWorkspace workspace(host);
  EXPECT_EQ(DeleteMask(workspace), kMaskNothingToDo);
  auto source = std::make_unique<CBitmapLayer>(LoadText(kBaseLayerName), true);
  ASSERT_TRUE(source->Image().Create(6, 6, 8));
  workspace.layerStack.AddLayer(std::move(source));
  ASSERT_EQ(CreateMask(workspace.layerStack), 0);
  workspace.params.UseMask = true;
  const int updates = host.calcPanelUpdates;
  ASSERT_EQ(DeleteMask(workspace), 0);
  EXPECT_EQ(workspace.layerStack.FindLayer("Маска"), nullptr);
  EXPECT_NE(workspace.layerStack.FindLayer("Исходное"), nullptr);
  EXPECT_FALSE(workspace.params.UseMask);
  EXPECT_GT(host.calcPanelUpdates, updates);
}

}  // namespace
}  // namespace linea
