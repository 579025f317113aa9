// The cursor readout of each layer kind and the vertex collection of the drawing
// tools, on their own: snapping to the edges, batches of 19, removal, finishing.
#include <gtest/gtest.h>

#include <vector>

#include "layers/band_layer.h"
#include "layers/bitmap_layer.h"
#include "layers/raster_layer.h"
#include "ui/cursor_readout.h"
#include "ui/vertex_collection.h"

namespace linea {
namespace {

// A tool that records what reaches it.
class CRecordingTool : public CViewTool {
 public:
  void ReceiveVertices(std::span<const ImageVertex> vertices) override {
    batches.push_back(int(vertices.size()));
    received.insert(received.end(), vertices.begin(), vertices.end());
  }
  void FinishPolyline(std::span<const ImageVertex> rest) override {
    ++finished;
    finalBatch = int(rest.size());
    received.insert(received.end(), rest.begin(), rest.end());
  }
  std::vector<ImageVertex> received;
  std::vector<int> batches;
  int finished = 0;
  int finalBatch = -1;
};

TEST(VertexSnapping, ClicksWithinTenPixelsOfAnEdgeLieJustOutsideTheImage) {
  EXPECT_EQ(SnapToEdges(10, 50, 100, 80), (ImageVertex{10, 50}));
  EXPECT_EQ(SnapToEdges(9, 50, 100, 80), (ImageVertex{-1, 50}));
  EXPECT_EQ(SnapToEdges(89, 50, 100, 80), (ImageVertex{89, 50}));
  EXPECT_EQ(SnapToEdges(90, 50, 100, 80), (ImageVertex{100, 50}));
  EXPECT_EQ(SnapToEdges(50, 9, 100, 80), (ImageVertex{50, -1}));
  EXPECT_EQ(SnapToEdges(50, 70, 100, 80), (ImageVertex{50, 80}));
  EXPECT_EQ(SnapToEdges(50, 69, 100, 80), (ImageVertex{50, 69}));
  // Far outside a huge image the coordinates stay within 16 bits.
  EXPECT_EQ(SnapToEdges(100000, 20, 200000, 80).x, 32767);
}

TEST(VertexCollection, FortyVerticesReachTheToolOnceEachInOrder) {
  CVertexCollector collector;
  CRecordingTool tool;
  std::vector<ImageVertex> clicked;
  for (int i = 0; i < 40; ++i) {
    const ImageVertex v{std::int16_t(20 + i), std::int16_t(30 + 2 * i)};
    clicked.push_back(v);
    collector.Append(v, &tool);
    EXPECT_LT(collector.Count(), CVertexCollector::kCapacity);
  }
  EXPECT_EQ(tool.batches, (std::vector<int>{11, 10, 10}));
  // The last vertex handed over starts the next stretch.
  EXPECT_EQ(collector.Vertices().front(), clicked[30]);
  collector.Finish(&tool);
  EXPECT_EQ(tool.finished, 1);
  EXPECT_EQ(tool.finalBatch, 9);
  EXPECT_EQ(tool.received, clicked);
  EXPECT_EQ(collector.Count(), 0);
}

TEST(VertexCollection, RightClicksRemoveOnlyVerticesTheToolHasNotReceived) {
  CVertexCollector collector;
  CRecordingTool tool;
  EXPECT_FALSE(collector.RemoveLast());
  std::vector<ImageVertex> kept;
  for (int i = 0; i < 19; ++i) {
    const ImageVertex v{std::int16_t(i), std::int16_t(i)};
    collector.Append(v, &tool);
    if (i < 11) kept.push_back(v);
  }
  ASSERT_EQ(collector.Count(), 9);
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(collector.RemoveLast());
  EXPECT_FALSE(collector.RemoveLast());
  EXPECT_EQ(collector.Count(), 1);
  const ImageVertex next{200, 300};
  collector.Append(next, &tool);
  kept.push_back(next);
  collector.Finish(&tool);
  EXPECT_EQ(tool.received, kept);
  // Before the first batch every vertex can be taken back.
  CVertexCollector fresh;
  fresh.Append({1, 1}, nullptr);
  EXPECT_TRUE(fresh.RemoveLast());
  EXPECT_EQ(fresh.Count(), 0);
}

// A 4 x 1 class map whose pixels hold the given classes.
void FillClasses(CRasterLayer& map, std::initializer_list<int> classes) {
  ASSERT_TRUE(map.Image().Create(int(classes.size()), 1, 8));
  int x = 0;
  for (int c : classes) map.Image().SetColorForPixel(x++, 0, c);
}

TEST(CursorReadout, MapPixelOfClassZeroReadsZerosWhateverTheLimits) {
  CRasterLayer map("Розы 0", true);
  FillClasses(map, {0, 3});
  map.From = 500;
  map.Min = 7;
  map.Max = 900;
  map.classWidth = 3.5;
  map.steps = 2;
  map.stepBoundaries = {4, 255};
  const CursorReadout readout = ReadLayerAt(&map, 0, 0, false, "Исходное");
  EXPECT_EQ(readout.values, (std::array<std::int16_t, 3>{0, 0, 0}));
  EXPECT_EQ(readout.labels, (std::array<std::string, 3>{"V", ">", "<"}));
}

TEST(CursorReadout, MapPixelReadsItsValueBetweenTheStepLimitsAroundIt) {
  CRasterLayer map("Розы 0", true);
  FillClasses(map, {3, 7, 12, 255});
  map.From = 100;
  map.Min = 90;
  map.Max = 700;
  map.classWidth = 2.0;
  map.steps = 3;
  map.stepBoundaries = {5, 10, 255};
  // Class k stands for (k - 1) x 2 + 100.
  EXPECT_EQ(ReadLayerAt(&map, 0, 0, false, "").values, (std::array<std::int16_t, 3>{104, 90, 108}));
  EXPECT_EQ(ReadLayerAt(&map, 1, 0, false, "").values, (std::array<std::int16_t, 3>{112, 108, 118}));
  EXPECT_EQ(ReadLayerAt(&map, 2, 0, false, "").values, (std::array<std::int16_t, 3>{122, 118, 700}));
  EXPECT_EQ(ReadLayerAt(&map, 3, 0, false, "").values, (std::array<std::int16_t, 3>{608, 118, 700}));
  // Outside the map nothing is read.
  EXPECT_EQ(ReadLayerAt(&map, 4, 0, false, ""), CursorReadout{});
  EXPECT_EQ(ReadLayerAt(&map, -1, 0, false, ""), CursorReadout{});
  // A map with one step has no boundary before its last one.
  map.steps = 1;
  map.stepBoundaries = {255};
  EXPECT_EQ(ReadLayerAt(&map, 3, 0, false, "").values, (std::array<std::int16_t, 3>{608, 90, 700}));
  // Steps the layer claims but does not hold are not read.
  map.steps = 40;
  map.stepBoundaries = {5, 10};
  EXPECT_EQ(ReadLayerAt(&map, 3, 0, false, "").values, (std::array<std::int16_t, 3>{608, 108, 700}));
}

TEST(CursorReadout, BandShowsItsClassValueOnlyWithAClassWidth) {
  CColorBandLayer band("Розы 0#", true);
  FillClasses(band, {0, 6});
  band.From = 10;
  EXPECT_EQ(ReadLayerAt(&band, 1, 0, false, ""), CursorReadout{});
  band.classWidth = 4.0;
  const CursorReadout readout = ReadLayerAt(&band, 1, 0, false, "");
  EXPECT_EQ(readout.values, (std::array<std::int16_t, 3>{30, 0, 0}));
  EXPECT_EQ(readout.labels, (std::array<std::string, 3>{"V", "", ""}));
  EXPECT_EQ(ReadLayerAt(&band, 0, 0, false, "").values[0], 0);
}

TEST(CursorReadout, PicturesShowGreyLevelOrColourAndNothingOverAnElevationModel) {
  CBitmapLayer source("Исходное", false);
  ASSERT_TRUE(source.Image().Create(2, 1, 24));
  source.Image().Fill(0, 0, 1, 1, 0x00505050);
  CursorReadout readout = ReadLayerAt(&source, 0, 0, false, "Исходное");
  EXPECT_EQ(readout.values, (std::array<std::int16_t, 3>{0x50, 0, 0}));
  EXPECT_EQ(readout.labels, (std::array<std::string, 3>{"V", "", ""}));
  EXPECT_EQ(ReadLayerAt(&source, 0, 0, true, "Исходное"), CursorReadout{});

  CBitmapLayer other("Вид", true);
  ASSERT_TRUE(other.Image().Create(1, 1, 24));
  other.Image().Fill(0, 0, 1, 1, 0x00302010);  // red 0x10, green 0x20, blue 0x30
  readout = ReadLayerAt(&other, 0, 0, false, "Исходное");
  EXPECT_EQ(readout.values, (std::array<std::int16_t, 3>{0x10, 0x20, 0x30}));
  EXPECT_EQ(readout.labels, (std::array<std::string, 3>{"r", "g", "b"}));
  EXPECT_EQ(ReadLayerAt(nullptr, 0, 0, false, "Исходное"), CursorReadout{});
}

}  // namespace
}  // namespace linea
