#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "base/layer_names.h"
#include "base/string_table.h"
#include "layers/bitmap_layer.h"
#include "layers/vector_layer.h"
#include "project/blocks_editing.h"
#include "project_fixture.h"

namespace linea {
namespace {

class BlocksEditingTest : public ProjectFixture {
 protected:
  // A source image of width x height and an empty blocks layer over it.
  void MakeBlocks(int width, int height) {
    AddSource(width, height);
    ASSERT_EQ(CreateBlocks(workspace), kBlocksDone);
  }
  void AddSource(int width, int height) {
    auto source = std::make_unique<CBitmapLayer>(LoadText(kBaseLayerName), false);
    ASSERT_TRUE(source->Image().Create(width, height, 8));
    workspace.layerStack.AddLayer(std::move(source));
  }
  CVectorLayer* Blocks() { return editing.Layer(); }
  int At(int x, int y) { return editing.ValueAt({x, y}); }
  void Line(std::vector<BlockPoint> points) {
    ASSERT_EQ(editing.BeginBorder(), kBlocksDone);
    editing.AddBorderVertices(points);
    editing.EndBorder();
  }
  // The layer's rows (padding included) for before/after comparisons.
  std::vector<std::uint8_t> Bytes() {
    const CImage& image = Blocks()->Image();
    return {image.GetBits(), image.GetBits() + std::size_t(image.GetBytesPerLine()) * std::size_t(image.GetHeight())};
  }
  std::set<int> Values() {
    std::set<int> values;
    const CImage& image = Blocks()->Image();
    for (int y = 0; y < image.GetHeight(); ++y)
      for (int x = 0; x < image.GetWidth(); ++x) values.insert(image.Row(y)[x]);
    return values;
  }

  CBlocksEditing editing{workspace.layerStack};
};

TEST_F(BlocksEditingTest, CreateMakesAnEmptyRedBorderedLayerOfTheSourceSize) {
  EXPECT_EQ(CreateBlocks(workspace), kBlocksNoLayer) << "no source image: nothing happens";
  EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
  EXPECT_TRUE(workspace.blocksImagePath.empty());

  MakeBlocks(13, 7);
  CVectorLayer* layer = Blocks();
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->GetWidth(), 13);
  EXPECT_EQ(layer->GetHeight(), 7);
  EXPECT_EQ(layer->Image().GetBytesPerLine(), 16);
  EXPECT_EQ(Values(), std::set<int>{0});
  EXPECT_EQ(layer->Image().GetColorFromIndex(255), 0x000000FFu);  // red
  EXPECT_EQ(layer->Image().GetColorFromIndex(1), 0u);
  EXPECT_EQ(layer->GetColorIndex(), 255);
  EXPECT_TRUE(layer->IsTransparent());
  EXPECT_FALSE(layer->IsDeletable());
  EXPECT_EQ(layer->GetDescription(), "Blocks image");
  EXPECT_EQ(workspace.blocksImagePath, "created");
  EXPECT_GT(host.calcPanelUpdates, 0);
  EXPECT_TRUE(host.lastCalcPanel.hasBlocksImage);

  // Its own colour: recolouring changes what the borders show.
  layer->SetSingleColor(0x0000FF00);
  EXPECT_EQ(layer->Lookup()[255], LookupEntry(0, 255, 0));

  EXPECT_EQ(CreateBlocks(workspace), kBlocksNoLayer) << "a second blocks layer is refused";
  EXPECT_EQ(workspace.layerStack.LayerCount(), 2);
}

TEST_F(BlocksEditingTest, DeleteRemovesTheLayerAndForgetsTheBlocks) {
  MakeBlocks(8, 8);
  workspace.results.hasBlockRoses = true;
  EXPECT_TRUE(DeleteBlocks(workspace));
  EXPECT_EQ(Blocks(), nullptr);
  EXPECT_TRUE(workspace.blocksImagePath.empty());
  EXPECT_FALSE(workspace.results.hasBlockRoses);
  EXPECT_FALSE(host.lastCalcPanel.hasBlocksImage);
  EXPECT_FALSE(DeleteBlocks(workspace));
  // The editor finds nothing and does nothing.
  EXPECT_EQ(editing.FindBlocks(), kBlocksNoLayer);
  EXPECT_EQ(editing.Merge({1, 1}, {2, 2}), kBlocksNoLayer);
  EXPECT_EQ(editing.Exclude({1, 1}), kBlocksNoLayer);
  EXPECT_EQ(editing.BeginBorder(), kBlocksNoLayer);
  EXPECT_EQ(editing.Undo(), kBlocksNoLayer);
}

TEST_F(BlocksEditingTest, AnEmptyLayerIsOneBlock) {
  MakeBlocks(9, 5);
  int count = 0;
  EXPECT_EQ(editing.FindBlocks(&count), kBlocksDone);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Values(), std::set<int>{1});
  EXPECT_EQ(Bytes()[9], 0) << "row padding is never written";
}

TEST_F(BlocksEditingTest, SegmentsStepAlongTheLongerAxisAndStopBeforeTheirEnd) {
  MakeBlocks(8, 6);
  editing.DrawSegment({0, 0}, {5, 2});
  // y = trunc(x * 2 / 5): 0 0 0 1 1; the end (5, 2) is not drawn.
  for (int x = 0; x < 5; ++x) EXPECT_EQ(At(x, x * 2 / 5), 255) << x;
  EXPECT_EQ(At(5, 2), 0);
  EXPECT_EQ(At(3, 0), 0);

  // Start over on a fresh layer.
  ASSERT_TRUE(DeleteBlocks(workspace));
  ASSERT_EQ(CreateBlocks(workspace), kBlocksDone);
  // Backwards and steep: from (2, 5) up to (0, 0); x = 2 + trunc(offset * -2 / -5).
  editing.DrawSegment({2, 5}, {0, 0});
  const int expectedX[] = {2, 2, 2, 1, 1};  // offsets 0, -1, -2, -3, -4
  for (int i = 0; i < 5; ++i) EXPECT_EQ(At(expectedX[i], 5 - i), 255) << i;
  EXPECT_EQ(At(0, 0), 0);
  int borders = 0;
  for (int v : Bytes()) borders += v == 255;
  EXPECT_EQ(borders, 5);
}

TEST_F(BlocksEditingTest, SegmentsReachingOutsideAreClippedWithoutTouchingThePadding) {
  MakeBlocks(5, 3);  // stride 8: three padding bytes per row
  editing.DrawSegment({-1, 1}, {5, 1});
  editing.DrawSegment({-40, -40}, {40, 40});
  editing.DrawSegment({2, -1000}, {2, 1000});
  // Far-away ends cost no more than the pixels inside (this would take seconds otherwise).
  editing.DrawSegment({-2000000000, 0}, {2000000000, 0});
  editing.DrawSegment({4, 2000000000}, {4, -2000000000});
  editing.DrawSegment({-2000000000, -2000000000}, {2000000000, 1999999999});
  EXPECT_EQ(At(1, 0), 255);
  EXPECT_EQ(At(4, 2), 255);
  const std::vector<std::uint8_t> bytes = Bytes();
  for (int y = 0; y < 3; ++y)
    for (int pad = 5; pad < 8; ++pad) EXPECT_EQ(bytes[std::size_t(y * 8 + pad)], 0);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(At(x, 1), 255);
  EXPECT_EQ(At(0, 0), 255);
  EXPECT_EQ(At(2, 0), 255);
  EXPECT_EQ(At(2, 2), 255);
}

TEST_F(BlocksEditingTest, AClosedRectangleGivesOutsideOneAndInsideTwo) {
  MakeBlocks(60, 40);
  Line({{20, 10}, {40, 10}, {40, 30}, {20, 30}, {20, 10}});
  int count = 0;
  ASSERT_EQ(editing.FindBlocks(&count), kBlocksDone);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(At(0, 0), 1);
  EXPECT_EQ(At(59, 39), 1);
  EXPECT_EQ(At(30, 20), 2);
  for (int x = 20; x <= 40; ++x) {
    EXPECT_EQ(At(x, 10), 255);
    EXPECT_EQ(At(x, 30), 255);
  }
  for (int y = 10; y <= 30; ++y) {
    EXPECT_EQ(At(20, y), 255);
    EXPECT_EQ(At(40, y), 255);
  }
  EXPECT_EQ(Values(), (std::set<int>{1, 2, 255}));
}

TEST_F(BlocksEditingTest, VerticesNearAnEdgeSnapJustOutsideIt) {
  EXPECT_EQ(SnapBorderPoint(9, 10, 100, 50), (BlockPoint{-1, 10}));
  EXPECT_EQ(SnapBorderPoint(10, 9, 100, 50), (BlockPoint{10, -1}));
  EXPECT_EQ(SnapBorderPoint(89, 39, 100, 50), (BlockPoint{89, 39}));
  EXPECT_EQ(SnapBorderPoint(90, 40, 100, 50), (BlockPoint{100, 50}));
  EXPECT_EQ(SnapBorderPoint(-500, 4000, 100, 50), (BlockPoint{-1, 50}));
}

TEST_F(BlocksEditingTest, TwoLinesStartedNearTheEdgesSplitTheImageInFour) {
  MakeBlocks(100, 80);
  Line({SnapBorderPoint(5, 40, 100, 80), SnapBorderPoint(95, 41, 100, 80)});
  Line({SnapBorderPoint(50, 3, 100, 80), SnapBorderPoint(52, 76, 100, 80)});
  // Without snapping the first column and the last pixels would stay open.
  EXPECT_EQ(At(0, 40), 255);
  EXPECT_EQ(At(99, 40), 255);  // 40 + trunc(100 / 101)
  EXPECT_EQ(At(50, 0), 255);
  EXPECT_EQ(At(51, 79), 255);  // 50 + trunc(80 * 2 / 81)
  int count = 0;
  ASSERT_EQ(editing.FindBlocks(&count), kBlocksDone);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(At(0, 0), 1);
  EXPECT_EQ(At(99, 0), 2);
  EXPECT_EQ(At(0, 79), 3);
  EXPECT_EQ(At(99, 79), 4);
}

TEST_F(BlocksEditingTest, BordersArriveInBatchesThatContinueTheLine) {
  MakeBlocks(40, 40);
  ASSERT_EQ(editing.BeginBorder(), kBlocksDone);
  const BlockPoint first[] = {{5, 5}, {20, 5}};
  const BlockPoint second[] = {{20, 20}};
  editing.AddBorderVertices(first);
  editing.AddBorderVertices(second);  // continues from (20, 5)
  editing.EndBorder();
  EXPECT_EQ(At(20, 10), 255);
  const BlockPoint third[] = {{30, 30}};
  editing.AddBorderVertices(third);  // a new line: nothing from (20, 20)
  EXPECT_EQ(At(25, 25), 0);
}

TEST_F(BlocksEditingTest, CheckRemovesASpurInsideOneBlockButKeepsTheBorderBetweenTwo) {
  MakeBlocks(60, 40);
  Line({{30, -1}, {30, 40}});  // the border between two blocks
  Line({{12, 20}, {30, 20}});  // a spur ending inside the left block
  Line({{45, 8}, {45, 15}});   // a stray stroke inside the right block
  ASSERT_EQ(editing.FindBlocks(), kBlocksDone);
  ASSERT_EQ(At(20, 20), 255);
  ASSERT_EQ(editing.CheckBorders(), kBlocksDone);
  for (int x = 12; x < 30; ++x) EXPECT_EQ(At(x, 20), 1) << x;
  for (int y = 8; y < 15; ++y) EXPECT_EQ(At(45, y), 2) << y;
  for (int y = 0; y < 40; ++y) EXPECT_EQ(At(30, y), 255) << y;
}

TEST_F(BlocksEditingTest, CheckFreesPixelsWithinOnePassInRowOrder) {
  MakeBlocks(8, 7);
  CImage& image = Blocks()->Image();
  // A 3 x 3 square of borders inside block 1: its centre has only border
  // neighbours until the pixels above and left of it are freed in the same pass.
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 8; ++x) image.Row(y)[x] = (x >= 2 && x <= 4 && y >= 2 && y <= 4) ? 255 : 1;
  ASSERT_EQ(editing.CheckBorders(), kBlocksDone);
  EXPECT_EQ(Values(), std::set<int>{1});
}

TEST_F(BlocksEditingTest, MergingLeavesDenseNumbersAndRemovesTheBorderBetween) {
  MakeBlocks(60, 40);
  // Top: three blocks 1 2 3; bottom: two blocks 4 5. Blocks 3 and 5 touch.
  Line({{-1, 20}, {60, 20}});
  Line({{20, -1}, {20, 20}});
  Line({{40, -1}, {40, 20}});
  Line({{50, 20}, {50, 40}});
  int count = 0;
  ASSERT_EQ(editing.FindBlocks(&count), kBlocksDone);
  ASSERT_EQ(count, 5);
  ASSERT_EQ(At(55, 5), 3);
  ASSERT_EQ(At(55, 35), 5);
  ASSERT_EQ(editing.Merge({55, 5}, {55, 35}), kBlocksDone);
  EXPECT_EQ(Values(), (std::set<int>{1, 2, 3, 4, 255}));
  EXPECT_EQ(At(55, 5), 3);
  EXPECT_EQ(At(55, 35), 3);
  for (int x = 52; x < 59; ++x) EXPECT_EQ(At(x, 20), 3) << "border inside the merged block: " << x;
  EXPECT_EQ(At(45, 20), 255) << "border between blocks 3 and 4 stays";
  EXPECT_EQ(At(10, 20), 255);
}

TEST_F(BlocksEditingTest, MergingABorderOrOneBlockChangesNothingAndSaysWhy) {
  MakeBlocks(40, 20);
  Line({{20, -1}, {20, 20}});
  ASSERT_EQ(editing.FindBlocks(), kBlocksDone);
  const std::vector<std::uint8_t> before = Bytes();
  EXPECT_EQ(editing.Merge({20, 5}, {30, 5}), kBlocksOnBorder);
  EXPECT_EQ(editing.Merge({2, 5}, {10, 15}), kBlocksSameBlock);
  EXPECT_EQ(editing.Merge({2, 5}, {40, 5}), kBlocksOutside);
  EXPECT_EQ(editing.Exclude({20, 3}), kBlocksOnBorder);
  EXPECT_EQ(editing.Exclude({-1, 3}), kBlocksOutside);
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(LoadText(BlocksMessageId(kBlocksOnBorder)), "Выбрана граница, а не блок. Блоки не изменены.");
  EXPECT_EQ(LoadText(BlocksMessageId(kBlocksSameBlock)), "Обе точки лежат в одном блоке. Блоки не изменены.");
  EXPECT_EQ(BlocksMessageId(kBlocksDone), 0);
}

TEST_F(BlocksEditingTest, ExcludedBlocksAre254UntilTheNextFind) {
  MakeBlocks(40, 20);
  Line({{20, -1}, {20, 20}});
  ASSERT_EQ(editing.FindBlocks(), kBlocksDone);
  ASSERT_EQ(editing.Exclude({5, 5}), kBlocksDone);
  EXPECT_EQ(At(0, 0), 254);
  EXPECT_EQ(At(19, 19), 254);
  EXPECT_EQ(At(30, 5), 2);
  ASSERT_EQ(editing.FindBlocks(), kBlocksDone);
  EXPECT_EQ(At(0, 0), 1) << "a later find numbers the excluded block again";
  EXPECT_EQ(At(30, 5), 2);
}

TEST_F(BlocksEditingTest, MoreThan253BlocksAreRefusedWithTheLayerUnchanged) {
  // Borders in every odd column: width / 2 blocks.
  MakeBlocks(2 * 254, 3);
  for (int x = 1; x < 2 * 254; x += 2) editing.DrawSegment({x, -1}, {x, 3});
  const std::vector<std::uint8_t> before = Bytes();
  int count = -1;
  EXPECT_EQ(editing.FindBlocks(&count), kBlocksTooMany);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(LoadText(BlocksMessageId(kBlocksTooMany)), "Блоков больше 253. Блоки не изменены.");

  // 253 blocks are fine: the last column's border closes one of them off.
  editing.DrawSegment({2 * 254 - 2, -1}, {2 * 254 - 2, 3});
  EXPECT_EQ(editing.FindBlocks(&count), kBlocksDone);
  EXPECT_EQ(count, 253);
  EXPECT_EQ(At(2 * 254 - 4, 1), 253);
}

TEST_F(BlocksEditingTest, ANumberingThatFailsLeavesTheLayerUnchanged) {
  MakeBlocks(400, 400);
  CImage& image = Blocks()->Image();
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) image.Row(y)[x] = (x + y) % 2 ? 255 : 0;
  const std::vector<std::uint8_t> before = Bytes();
  EXPECT_EQ(editing.FindBlocks(), kBlocksLabelFailed);
  EXPECT_EQ(Bytes(), before);
}

TEST_F(BlocksEditingTest, UndoRestoresTheLayerAsTheLastToolFoundIt) {
  MakeBlocks(30, 20);
  EXPECT_EQ(editing.Undo(), kBlocksNoUndo) << "no copy taken yet";
  ASSERT_EQ(editing.TakeUndoCopy(), kBlocksDone);
  const std::vector<std::uint8_t> empty = Bytes();
  Line({{10, -1}, {10, 20}});  // takes a new copy at its start: still the empty layer
  ASSERT_EQ(editing.FindBlocks(), kBlocksDone);
  const std::vector<std::uint8_t> numbered = Bytes();
  ASSERT_EQ(editing.Undo(), kBlocksDone);
  EXPECT_EQ(Bytes(), empty);
  EXPECT_TRUE(Blocks()->IsChanged());

  // A copy of another layer's size is never pasted over.
  ASSERT_EQ(editing.TakeUndoCopy(), kBlocksDone);
  ASSERT_TRUE(DeleteBlocks(workspace));
  workspace.layerStack.AddLayer(MakeBlocksLayer(31, 20));
  EXPECT_EQ(editing.Undo(), kBlocksNoUndo);
  editing.DropUndoCopy();
  EXPECT_FALSE(editing.HasUndoCopy());
}

TEST_F(BlocksEditingTest, BlocksOpenedFromAFileAreRecolouredAndEditedLikeCreatedOnes) {
  AddSource(20, 10);
  workspace.results.imageWidth = 20;
  workspace.results.imageHeight = 10;
  CImage saved;
  ASSERT_TRUE(saved.Create(20, 10, 8));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) saved.Row(y)[x] = x == 9 ? 255 : (x < 9 ? 1 : 2);
  const std::string path = folder.File("saved_blocks.bmp");
  ASSERT_TRUE(saved.Save(path, kImageFormatBmp));
  ASSERT_TRUE(workspace.LoadBlocksImage(path, 0));
  CVectorLayer* layer = Blocks();
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->GetColorIndex(), 255);
  layer->SetSingleColor(0x00FF0000);  // blue
  EXPECT_EQ(layer->Lookup()[255], LookupEntry(0, 0, 255)) << "the borders take the new colour";
  EXPECT_EQ(layer->Lookup()[0], 0u);

  ASSERT_EQ(editing.Merge({2, 2}, {15, 2}), kBlocksDone);
  EXPECT_EQ(At(2, 2), 1);
  EXPECT_EQ(At(15, 2), 1);
  EXPECT_EQ(At(9, 5), 1) << "the border inside the merged block is gone";
}

}  // namespace
}  // namespace linea
