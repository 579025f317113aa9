// Line drawings: the polyline store with its groups and capacities, the width
// rule, and the segment and dot rasterisers pixel by pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <utility>

#include "layers/line_raster.h"
#include "layers/vector_layer3.h"
#include "test_pixels.h"

namespace linea {
namespace {

using testing::MakeTarget;
using testing::PixelAt;
using Pixels = std::set<std::pair<int, int>>;  // (x, y)

constexpr std::uint32_t kRed = MakeColor(255, 0, 0);
constexpr std::uint32_t kWhite = MakeColor(255, 255, 255);

Pixels PaintedPixels(const CImage& image, std::uint32_t background = 0) {
  Pixels painted;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x)
      if (PixelAt(image, x, y) != background) painted.insert({x, y});
  return painted;
}

Pixels Segment(int x0, int y0, int x1, int y1, int width, int size = 16) {
  CImage image = MakeTarget(size, size);
  DrawSegment(x0, y0, x1, y1, image.GetBits(), image.GetBytesPerLine(), 3, kRed, width, size, size);
  return PaintedPixels(image);
}

Pixels Dot(int x, int y, int width, int size = 16) {
  CImage image = MakeTarget(size, size);
  DrawDot(x, y, image.GetBits(), image.GetBytesPerLine(), 3, kRed, width, size, size);
  return PaintedPixels(image);
}

// The square of side `width` whose top-left corner is (left, top).
Pixels Square(int left, int top, int width) {
  Pixels square;
  for (int y = top; y < top + width; ++y)
    for (int x = left; x < left + width; ++x) square.insert({x, y});
  return square;
}

TEST(DrawSegment, ThinLineStepsTheMajorAxisAndLeavesTheEndPoint) {
  EXPECT_EQ(Segment(0, 0, 10, 3, 1),
            (Pixels{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 1}, {6, 1}, {7, 2}, {8, 2}, {9, 2}}));
  // The same line drawn backwards starts from the other end.
  EXPECT_EQ(Segment(10, 3, 0, 0, 1),
            (Pixels{{10, 3}, {9, 3}, {8, 3}, {7, 3}, {6, 2}, {5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 1}}));
  // Mostly vertical, and the diagonal counts as vertical.
  EXPECT_EQ(Segment(2, 1, 3, 5, 1), (Pixels{{2, 1}, {2, 2}, {2, 3}, {2, 4}}));
  EXPECT_EQ(Segment(0, 0, 3, 3, 1), (Pixels{{0, 0}, {1, 1}, {2, 2}}));
  EXPECT_TRUE(Segment(4, 4, 4, 4, 1).empty());
  EXPECT_TRUE(Segment(4, 4, 4, 4, 3).empty());
}

TEST(DrawSegment, BrushOffsetsLieToTheLowerSideForEvenWidths) {
  EXPECT_EQ(Dot(5, 5, 1), (Pixels{{5, 5}}));
  EXPECT_EQ(Dot(5, 5, 2), Square(4, 4, 2));  // offsets -1 and 0
  EXPECT_EQ(Dot(5, 5, 3), Square(4, 4, 3));  // offsets -1 .. 1
  EXPECT_EQ(Dot(5, 5, 4), Square(3, 3, 4));  // offsets -2 .. 1
  EXPECT_TRUE(Dot(5, 5, 0).empty());
  EXPECT_TRUE(Dot(5, 5, -3).empty());
  Pixels wide = Segment(2, 5, 5, 5, 3);
  Pixels expected;
  for (int x = 2; x < 5; ++x) expected.merge(Square(x - 1, 4, 3));
  EXPECT_EQ(wide, expected);
}

TEST(DrawSegment, WideBrushesTruncateTheSumThinOnesTheOffset) {
  // From (0, 1) to (2, 0): at x = 1 the exact row is 0.5. A thin line keeps row
  // 1 + trunc(-0.5) = 1; a wide brush centres on trunc(1 - 0.5) = 0.
  EXPECT_EQ(Segment(0, 1, 2, 0, 1), (Pixels{{0, 1}, {1, 1}}));
  Pixels wide = Segment(0, 1, 2, 0, 2);
  Pixels expected = Square(-1, 0, 2);
  expected.merge(Square(0, -1, 2));
  std::erase_if(expected, [](const auto& p) { return p.first < 0 || p.second < 0; });
  EXPECT_EQ(wide, expected);
}

TEST(DrawSegment, ClipsToTheImageWhereverTheEndsLie) {
  EXPECT_EQ(Segment(-3, 2, 3, 2, 1), (Pixels{{0, 2}, {1, 2}, {2, 2}}));
  EXPECT_EQ(Segment(14, 15, 20, 15, 3), (Pixels{{13, 14}, {14, 14}, {15, 14}, {13, 15}, {14, 15}, {15, 15}}));
  // Ends far outside: only the part inside is painted, in bounded time.
  Pixels across = Segment(INT_MIN / 2, 7, INT_MAX / 2, 7, 1);
  Pixels row;
  for (int x = 0; x < 16; ++x) row.insert({x, 7});
  EXPECT_EQ(across, row);
  EXPECT_TRUE(Segment(INT_MIN, INT_MIN, INT_MAX, INT_MIN, 5).empty());
  EXPECT_TRUE(Segment(-100, -100, -50, -60, 9).empty());
  // A target with fewer than three bytes per pixel is not written at all.
  CImage gray;
  ASSERT_TRUE(gray.Create(4, 4, 8));
  DrawSegment(0, 0, 3, 0, gray.GetBits(), gray.GetBytesPerLine(), 1, kRed, 1, 4, 4);
  DrawDot(1, 1, gray.GetBits(), gray.GetBytesPerLine(), 1, kRed, 3, 4, 4);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(gray.GetIndexFromPixel(i % 4, i / 4), 0);
}

TEST(DrawSegment, WritesBlueGreenRedAtTheBytesPerPixelStride) {
  std::vector<std::uint8_t> bits(2 * 8, 0);  // 2 x 2 pixels of 4 bytes
  DrawDot(1, 1, bits.data(), 8, 4, MakeColor(1, 2, 3), 1, 2, 2);
  EXPECT_EQ(std::vector<std::uint8_t>(bits.begin() + 12, bits.end()), (std::vector<std::uint8_t>{3, 2, 1, 0}));
  EXPECT_EQ(std::count(bits.begin(), bits.begin() + 12, 0), 12);
}

TEST(LineWidth, ScalingFollowsTheZoomBelowOneAndTheLineWidth) {
  EXPECT_EQ(ScaledLineWidth(1, {true, 2, 0.5}), 4);  // trunc(1 x 4 + 0.5)
  EXPECT_EQ(ScaledLineWidth(1, {true, 2, 2.0}), 2);
  EXPECT_EQ(ScaledLineWidth(3, {true, 1, 0.4}), 8);  // trunc(7.5 + 0.5)
  EXPECT_EQ(ScaledLineWidth(1, {true, 1, 0.6666666666666666}), 2);
  EXPECT_EQ(ScaledLineWidth(0, {true, 1, 1.0}), 1);  // never below one pixel
  EXPECT_EQ(ScaledLineWidth(3, {false, 2, 0.5}), 3);
  EXPECT_EQ(ScaledLineWidth(0, {false, 2, 0.5}), 0);
  // A zoom that cannot occur is read as 1:1 instead of being divided by.
  EXPECT_EQ(ScaledLineWidth(2, {true, 3, 0.0}), 6);
  EXPECT_EQ(ScaledLineWidth(1 << 30, {true, 1000, 1e-9}), INT_MAX);
}

TEST(PolylineStore, TheTwentyFifthCombinationIsRefusedAndTheOthersDraw) {
  CVectorLayer3 layer("d", true);
  for (int i = 0; i < 24; ++i) {
    std::vector<PolylinePoint16> dot = {{std::int16_t(i), 0}};
    EXPECT_FALSE(layer.AddPolyline16(dot, MakeColor(std::uint8_t(i + 1), 0, 0), 1)) << i;
  }
  std::vector<PolylinePoint16> more = {{24, 0}};
  EXPECT_TRUE(layer.AddPolyline16(more, MakeColor(99, 0, 0), 1));
  EXPECT_TRUE(layer.AddPolyline16(more, MakeColor(1, 0, 0), 2));  // same colour, other width
  EXPECT_FALSE(layer.AddPolyline16(more, MakeColor(5, 0, 0), 1));  // an existing group still takes lines
  EXPECT_EQ(layer.GroupCount(), 24);
  CImage target = MakeTarget(30, 1);
  ASSERT_TRUE(layer.DrawOverImage(target, {}));
  for (int x = 0; x < 24; ++x) EXPECT_EQ(PixelAt(target, x, 0), MakeColor(std::uint8_t(x + 1), 0, 0)) << x;
  EXPECT_EQ(PixelAt(target, 24, 0), MakeColor(5, 0, 0));
  EXPECT_EQ(PixelAt(target, 25, 0), 0u);
}

TEST(PolylineStore, TheHundredthPolylineFirstEnlargesTheGroupTo200) {
  CVectorLayer3 layer("d", true);
  std::vector<PolylinePoint> line = {{1, 2}, {3, 4}};
  for (int i = 0; i < 98; ++i) ASSERT_FALSE(layer.AddPolyline32(line, kRed, 1));
  EXPECT_EQ(layer.Group(0).Capacity(), 100);
  ASSERT_FALSE(layer.AddPolyline32(line, kRed, 1));  // the 99th
  EXPECT_EQ(layer.Group(0).Capacity(), 100);
  ASSERT_FALSE(layer.AddPolyline32(line, kRed, 1));  // the 100th
  EXPECT_EQ(layer.Group(0).Capacity(), 200);
  EXPECT_EQ(layer.Group(0).PolylineCount(), 100);
  for (int i = 0; i < 99; ++i) ASSERT_FALSE(layer.AddPolyline32(line, kRed, 1));
  EXPECT_EQ(layer.Group(0).Capacity(), 200);
  ASSERT_FALSE(layer.AddPolyline32(line, kRed, 1));  // the 200th
  EXPECT_EQ(layer.Group(0).Capacity(), 300);
  EXPECT_EQ(layer.Group(0).PolylineCount(), 200);
  EXPECT_EQ(layer.Group(0).Polyline(150)[1], (PolylinePoint{3, 4}));
}

TEST(PolylineStore, KeepsPointsPerGroupInOrderWithSignExtension) {
  CVectorLayer3 layer("d", true);
  std::vector<PolylinePoint16> first = {{-1, 2}, {-32768, 32767}};
  std::vector<PolylinePoint> second = {{100000, -7}};
  ASSERT_FALSE(layer.AddPolyline16(first, kRed, 3));
  ASSERT_FALSE(layer.AddPolyline32(second, kWhite, 1));
  ASSERT_FALSE(layer.AddPolyline16({}, kRed, 3));  // stored empty
  ASSERT_EQ(layer.GroupCount(), 2);
  const CPolylineGroup& red = layer.Group(0);
  EXPECT_EQ(red.GetColor(), kRed);
  EXPECT_EQ(red.GetWidth(), 3);
  ASSERT_EQ(red.PolylineCount(), 2);
  ASSERT_EQ(red.Polyline(0).size(), 2u);
  EXPECT_EQ(red.Polyline(0)[0], (PolylinePoint{-1, 2}));
  EXPECT_EQ(red.Polyline(0)[1], (PolylinePoint{-32768, 32767}));
  EXPECT_TRUE(red.Polyline(1).empty());
  EXPECT_EQ(layer.Group(1).Polyline(0)[0], (PolylinePoint{100000, -7}));
}

TEST(DrawOverImage, EachPolylineGetsADotAtItsLastPointThenItsSegments) {
  CVectorLayer3 layer("d", true);
  std::vector<PolylinePoint> bend = {{1, 1}, {4, 1}, {4, 3}};
  std::vector<PolylinePoint> single = {{7, 7}};
  ASSERT_FALSE(layer.AddPolyline32(bend, kRed, 1));
  ASSERT_FALSE(layer.AddPolyline32(single, kWhite, 3));
  CImage target = MakeTarget(10, 10);
  ASSERT_TRUE(layer.DrawOverImage(target, {}));
  Pixels expected = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}};
  expected.merge(Square(6, 6, 3));
  EXPECT_EQ(PaintedPixels(target), expected);
  EXPECT_EQ(PixelAt(target, 4, 3), kRed);
  EXPECT_EQ(PixelAt(target, 7, 7), kWhite);
}

TEST(DrawOverImage, LaterGroupsPaintOverEarlierOnes) {
  CVectorLayer3 layer("d", true);
  std::vector<PolylinePoint> line = {{0, 0}, {5, 0}};
  ASSERT_FALSE(layer.AddPolyline32(line, kRed, 1));
  ASSERT_FALSE(layer.AddPolyline32(line, kWhite, 2));
  ASSERT_FALSE(layer.AddPolyline32(line, kRed, 1));  // joins the first group
  CImage target = MakeTarget(6, 2);
  ASSERT_TRUE(layer.DrawOverImage(target, {}));
  EXPECT_EQ(PixelAt(target, 2, 0), kWhite);
}

TEST(DrawOverImage, HiddenLayersPaintNothingAndEmptyTargetsFail) {
  CVectorLayer3 layer("d", true);
  std::vector<PolylinePoint> line = {{0, 0}, {5, 0}};
  ASSERT_FALSE(layer.AddPolyline32(line, kRed, 1));
  CImage none;
  EXPECT_FALSE(layer.DrawOverImage(none, {}));
  CImage paletted;
  ASSERT_TRUE(paletted.Create(6, 1, 8));
  EXPECT_FALSE(layer.DrawOverImage(paletted, {}));
  layer.SetVisible(false);
  CImage target = MakeTarget(6, 1);
  EXPECT_TRUE(layer.DrawOverImage(target, {}));
  EXPECT_TRUE(PaintedPixels(target).empty());
  EXPECT_TRUE(layer.DrawOverImage(none, {}));
}

}  // namespace
}  // namespace linea
