// Long builds in the progress window: rose maps, isolines and the rest of a large
// project's opening report steadily, give what the unreported build gives, and a
// Cancel anywhere leaves the layers and the project as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/field_kinds.h"
#include "base/messages.h"
#include "base/string_table.h"
#include "layers/layer_stack.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"
#include "project_fixture.h"
#include "results/isolines.h"
#include "results/lineaments.h"
#include "results/rose_map.h"

namespace linea {
namespace {

using Lines = std::vector<std::vector<std::pair<int, int>>>;

Lines LinesOf(const CLayer* layer) {
  Lines lines;
  const auto* vector = dynamic_cast<const CVectorLayer3*>(layer);
  if (!vector) return lines;
  for (int g = 0; g < vector->GroupCount(); ++g)
    for (int k = 0; k < vector->Group(g).PolylineCount(); ++k) {
      lines.emplace_back();
      for (const auto& p : vector->Group(g).Polyline(k)) lines.back().emplace_back(p.x, p.y);
    }
  return lines;
}

std::vector<std::uint8_t> PixelsOf(const CLayer* layer) {
  const auto* raster = dynamic_cast<const CRasterLayer*>(layer);
  if (!raster) return {};
  const CImage& image = raster->Image();
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < image.GetHeight(); ++y)
    pixels.insert(pixels.end(), image.Row(y), image.Row(y) + image.GetWidth());
  return pixels;
}

// Positions rise, there are several, and the last one is the whole range.
void ExpectSteadyProgress(const std::vector<int>& positions, std::size_t atLeast) {
  ASSERT_GE(positions.size(), atLeast);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_GE(positions.front(), 0);
  EXPECT_EQ(positions.back(), 1000);
}

class LongBuildProgressTest : public ProjectFixture {
 protected:
  static constexpr int kRosesX = 60, kRosesY = 50;

  LongBuildProgressTest() {
    // 472 x 392 pixels, roses 8 pixels apart with counts that vary over the field.
    CResults& r = workspace.results;
    r.SetImageGeometry(8 * (kRosesX - 1), 8 * (kRosesY - 1), 1, 1);
    r.sourcePath = "D:\\maps\\area.bmp";
    r.windowRoses.assign(std::size_t(8 * kRosesX * kRosesY), 0);
    for (int y = 0; y < kRosesY; ++y)
      for (int x = 0; x < kRosesX; ++x)
        for (int k = 0; k < 8; ++k)
          r.windowRoses[std::size_t(8 * (y * kRosesX + x) + k)] =
              std::uint16_t((x * (k + 3) + y * (11 - k) + x * y / 7) % 41 + (k == (x / 9 + y / 7) % 8 ? 30 : 0));
    r.hasWindowRoses = true;
    workspace.params.minDensity = 0.0;
    workspace.params.mapKind = 'a';
    workspace.params.scalingMode = kScalingAuto;
    workspace.params.paletteSteps = 8;
  }

  // The map BuildRoseMapLayer gives without progress, on a stack of its own.
  struct Unreported {
    CTestHost host;
    CLayerStack stack{host};
    CalcParameters params;
  };
  void BuildUnreported(Unreported& out) {
    out.params = workspace.params;
    ASSERT_EQ(BuildRoseMapLayer(workspace.results, out.stack, "Розы 0", out.params, false, 1), 0);
  }

  void ClearProgress() {
    host.progressTitles.clear();
    host.progressPositions.clear();
    host.progressEnds = 0;
  }
};

TEST_F(LongBuildProgressTest, RoseMapReportsUnderItsKindsNameAndGivesTheUnreportedMap) {
  for (const int kind : {int('a'), int('w'), int('z'), int('x')}) {
    SCOPED_TRACE(kind);
    workspace.params.mapKind = kind;
    Unreported plain;
    BuildUnreported(plain);
    ClearProgress();
    ASSERT_EQ(workspace.ShowRoseMap(false), 0);
    const int index = MapKindIndex(char(kind));
    EXPECT_EQ(host.progressTitles, std::vector<std::string>{LoadText(FieldKindNameIds()[std::size_t(index)])});
    EXPECT_EQ(host.progressEnds, 1);
    ExpectSteadyProgress(host.progressPositions, kind == 'x' ? 5 : 20);
    const CLayer* shown = workspace.layerStack.FindLayer("Розы 0");
    const CLayer* expected = plain.stack.FindLayer("Розы 0");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(PixelsOf(shown), PixelsOf(expected));
    EXPECT_EQ(LinesOf(shown), LinesOf(expected));
    EXPECT_EQ(shown->GetDescription(), expected->GetDescription());
    EXPECT_EQ(workspace.params.mapFrom, plain.params.mapFrom);
    EXPECT_EQ(workspace.params.mapTo, plain.params.mapTo);
    EXPECT_EQ(workspace.params.mapMin, plain.params.mapMin);
    EXPECT_EQ(workspace.params.mapMax, plain.params.mapMax);
  }
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(LongBuildProgressTest, CancelledRoseMapLeavesTheOldMapTheParametersAndTheCounterAsTheyWere) {
  ASSERT_EQ(workspace.ShowRoseMap(false), 0);
  const std::vector<std::uint8_t> oldPixels = PixelsOf(workspace.layerStack.FindLayer("Розы 0"));
  const std::string oldDescription = workspace.layerStack.FindLayer("Розы 0")->GetDescription();
  const auto oldGrid = workspace.lastRoseGrid;
  // The next build would move the range and every class.
  workspace.params.scalingMode = kScalingPercent;
  workspace.params.mapKind = 'r';
  const CalcParameters before = workspace.params;
  for (const int kind : {int('r'), int('z'), int('x')}) {
    workspace.params.mapKind = kind;
    for (const int at : {0, 1, 150, 320, 700, 999, 1000}) {
      for (const bool newLayer : {false, true}) {
        SCOPED_TRACE(testing::Message() << kind << " at " << at << (newLayer ? " new" : " replacing"));
        ClearProgress();
        host.cancelAtProgress = at;
        EXPECT_EQ(workspace.ShowRoseMap(newLayer), kErrorStopped);
        EXPECT_EQ(host.progressEnds, 1);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(workspace.layerStack.LayerCount(), 1);
        EXPECT_EQ(workspace.roseMapCounter, 0);
        EXPECT_EQ(workspace.lastRoseGrid, oldGrid);
        EXPECT_EQ(PixelsOf(workspace.layerStack.FindLayer("Розы 0")), oldPixels);
        EXPECT_EQ(workspace.layerStack.FindLayer("Розы 0")->GetDescription(), oldDescription);
        EXPECT_EQ(workspace.params.mapFrom, before.mapFrom);
        EXPECT_EQ(workspace.params.mapTo, before.mapTo);
        EXPECT_EQ(workspace.params.mapMin, before.mapMin);
        EXPECT_EQ(workspace.params.mapMax, before.mapMax);
      }
    }
  }
  // Afterwards the same command builds as if nothing had happened.
  host.cancelAtProgress.reset();
  workspace.params.mapKind = 'r';
  EXPECT_EQ(workspace.ShowRoseMap(true), 0);
  EXPECT_EQ(workspace.roseMapCounter, 1);
  EXPECT_NE(workspace.layerStack.FindLayer("Розы 1"), nullptr);
}

TEST_F(LongBuildProgressTest, IsolinesReportTheirProgressAndCancelAddsNothing) {
  ASSERT_EQ(workspace.ShowRoseMap(false), 0);
  CTestHost plainHost;
  CLayerStack& stack = workspace.layerStack;
  // The unreported isolines, built beside the map and then taken away again.
  ASSERT_EQ(BuildIsolinesLayer(workspace.results, stack, "Розы 0", "plain", 1), 0);
  const Lines expected = LinesOf(stack.FindLayer("plain"));
  ASSERT_GT(expected.size(), 20u);
  stack.RemoveLayer(stack.FindLayer("plain"));

  for (const int at : {0, 1, 120, 260, 500, 999, 1000}) {
    SCOPED_TRACE(at);
    ClearProgress();
    host.cancelAtProgress = at;
    host.layerNameAnswers.push_back("Розы 0_");
    EXPECT_EQ(workspace.ShowIsolines("Розы 0"), kErrorStopped);
    EXPECT_EQ(host.progressEnds, 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(stack.LayerCount(), 1);
    EXPECT_EQ(stack.FindLayer("Розы 0_"), nullptr);
  }

  host.cancelAtProgress.reset();
  ClearProgress();
  host.layerNameAnswers.push_back("Розы 0_");
  ASSERT_EQ(workspace.ShowIsolines("Розы 0"), 0);
  EXPECT_EQ(host.progressTitles, std::vector<std::string>{"Изолинии"});
  EXPECT_EQ(host.progressEnds, 1);
  ExpectSteadyProgress(host.progressPositions, 50);
  EXPECT_EQ(LinesOf(stack.FindLayer("Розы 0_")), expected);
  // The name question comes before the window: Cancel there opens none.
  ClearProgress();
  host.layerNameAnswers.push_back(std::nullopt);
  EXPECT_EQ(workspace.ShowIsolines("Розы 0"), 0);
  EXPECT_TRUE(host.progressTitles.empty());
}

TEST_F(LongBuildProgressTest, LineamentMapReportsAndCancelKeepsTheSelectionAndTheParameters) {
  CResults& r = workspace.results;
  ASSERT_GT(r.gridWidth, 300u);
  // Diagonal runs of cells over the grid, one every 12 rows.
  for (int start = 0; start + 40 < int(r.gridHeight); start += 12)
    for (int i = 0; i < 30; ++i) {
      const int row = start + i, column = 5 + 2 * start / 3 + i;
      LineamentRecord record;
      record.bytes = {std::uint8_t(row), std::uint8_t(row >> 8), std::uint8_t(column), std::uint8_t(column >> 8),
                      45, 0, std::uint8_t(10 + start % 7), 0, 0, 0};
      r.lineaments.push_back(record);
    }
  r.hasLineaments = true;
  CalcParameters& params = workspace.params;
  params.lineamentSectors = 4;
  params.lineamentSector = 0;
  params.lineamentFrom = 33;
  params.lineamentTo = 44;
  params.lineamentValue = 0;
  params.lineamentRose = false;

  // The unreported map.
  CTestHost plainHost;
  CLayerStack plainStack(plainHost);
  CLineamentSelection plainSelection;
  CalcParameters plainParams = params;
  ASSERT_EQ(BuildLineamentsLayer(r, plainSelection, plainStack, "Линеаменты 0", plainParams, 1), 0);
  const Lines expected = LinesOf(plainStack.FindLayer("Линеаменты 0"));
  ASSERT_GT(expected.size(), 10u);

  for (const int at : {0, 1, 333, 999, 1000}) {
    SCOPED_TRACE(at);
    ClearProgress();
    host.cancelAtProgress = at;
    EXPECT_EQ(workspace.ShowLineamentsMap(true), kErrorStopped);
    EXPECT_EQ(host.progressEnds, 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
    EXPECT_EQ(workspace.lineamentMapCounter, 0);
    EXPECT_EQ(params.lineamentFrom, 33);
    EXPECT_EQ(params.lineamentTo, 44);
    EXPECT_TRUE(workspace.lineamentSelection.changed);
    EXPECT_TRUE(workspace.lineamentSelection.selectionValues.empty());
  }
  host.cancelAtProgress.reset();
  ClearProgress();
  ASSERT_EQ(workspace.ShowLineamentsMap(false), 0);
  EXPECT_EQ(host.progressTitles, std::vector<std::string>{"Линеаменты 0"});
  ExpectSteadyProgress(host.progressPositions, 20);
  EXPECT_EQ(LinesOf(workspace.layerStack.FindLayer("Линеаменты 0")), expected);
  EXPECT_EQ(params.lineamentFrom, plainParams.lineamentFrom);
  EXPECT_EQ(params.lineamentTo, plainParams.lineamentTo);
}

// ---- the rest of a large project's opening --------------------------------------

class LargeProjectOpeningTest : public ProjectFixture {
 protected:
  static constexpr int kSide = 2048;  // the smallest project that gets the window

  std::string WriteProject(int side) {
    WriteImage(folder.File("base.bmp"), side, side);
    WriteImage(folder.File("mask.bmp"), side, side);
    const std::string path = folder.File("big.orw");
    WriteTextFile(path, "[Version]\nNumber = " + LoadText(1100) + "\n[Main]\nBaseImage = base.bmp\ntype = 1\nLineWidth = 1\n"
                        "DefaultLineWidth = 1\nWidth = " + std::to_string(side) + "\nHeight = " +
                        std::to_string(side) + "\nBytes = 1\n[Masking]\nMaskImage = mask.bmp\n"
                        "[Compression]\nRate = 1.0\n");
    return path;
  }
};

TEST_F(LargeProjectOpeningTest, TheOtherFilesAndTheFirstPictureRunInTheProgressWindow) {
  const std::string path = WriteProject(kSide);
  ASSERT_TRUE(workspace.LoadProject(path, true));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.progressTitles, std::vector<std::string>{"Открытие проекта"});
  EXPECT_EQ(host.progressEnds, 1);
  ExpectSteadyProgress(host.progressPositions, 4);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 2);
  // The picture is made: the view finds nothing left to compose.
  EXPECT_FALSE(workspace.layerStack.AnyChanged());
  EXPECT_EQ(workspace.layerStack.CompositionImage().GetWidth(), kSide);

  // Cancelled anywhere before the end: the new, empty project, and no message.
  for (const int at : {0, 1, 300, 450, 700}) {
    SCOPED_TRACE(at);
    host.progressEnds = 0;
    host.cancelAtProgress = at;
    EXPECT_FALSE(workspace.LoadProject(path, true));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.progressEnds, 1);
    EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
    EXPECT_TRUE(workspace.baseImagePath.empty());
    EXPECT_TRUE(workspace.maskImagePath.empty());
  }
}

TEST_F(LargeProjectOpeningTest, ASmallProjectOpensWithoutTheWindow) {
  ASSERT_TRUE(workspace.LoadProject(WriteProject(512), true));
  EXPECT_TRUE(host.progressTitles.empty());
  EXPECT_EQ(host.progressEnds, 0);
  EXPECT_EQ(workspace.layerStack.LayerCount(), 2);
}

}  // namespace
}  // namespace linea
