// linea-cli mask: the mask editor's operations in the order given, the raster
// formats it writes, recording the mask in the project, and the command lines
// and operations it refuses without writing anything.
#include "cli/cli_mask.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "cli_support.h"
#include "imaging/image.h"
#include "support/test_files.h"

namespace linea {
namespace {

constexpr int kWidth = 160, kHeight = 120;

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int CountValue(const std::vector<std::uint8_t>& pixels, std::uint8_t value) {
  return int(std::count(pixels.begin(), pixels.end(), value));
}

class CliMaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    project = MakeDemo(folder.Path(), "g", "grey", kWidth, kHeight);
    ASSERT_FALSE(project.empty());
    // The same project without its mask.
    std::string text = ReadTextFile(project);
    const auto at = text.find("MaskImage = g_mask.bmp\n");
    ASSERT_NE(at, std::string::npos);
    text.erase(at, std::string("MaskImage = g_mask.bmp\n").size());
    bare = folder.File("bare.orw");
    WriteTextFile(bare, text);
    ASSERT_TRUE(source.Load(folder.File("g.tif")));
  }

  // Runs mask on `on` writing `output`; the exit code is checked to be `expected`.
  CliRun Mask(const std::string& on, const std::string& output, std::vector<std::string> operations, int expected = 0) {
    std::vector<std::string> arguments = {"mask", on, "-o", folder.File(output)};
    arguments.insert(arguments.end(), operations.begin(), operations.end());
    CliRun run = RunCliCaptured(arguments);
    EXPECT_EQ(run.exitCode, expected) << run.errors;
    return run;
  }
  // The mask written as raw data.
  std::vector<std::uint8_t> MaskBytes(const std::string& on, std::vector<std::string> operations) {
    Mask(on, "m.raw", std::move(operations));
    std::vector<std::uint8_t> bytes = ReadBytes(folder.File("m.raw"));
    EXPECT_EQ(bytes.size(), std::size_t(kWidth * kHeight));
    return bytes;
  }
  std::vector<std::uint8_t> MaskBytesOf(const std::string& on, std::vector<std::string> operations) {
    Mask(on, "of.raw", std::move(operations));
    return ReadBytes(folder.File("of.raw"));
  }
  int Level(int x, int y) const { return source.Row(y)[x]; }

  CTempFolder folder;
  std::string project, bare;
  CImage source;
};

TEST_F(CliMaskTest, AProjectWithoutAMaskGetsOneAndTheRangeIsAdded) {
  const std::vector<std::uint8_t> mask = MaskBytes(bare, {"--select", "0", "100", "--add"});
  int inRange = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool selected = Level(x, y) <= 100;
      inRange += selected;
      ASSERT_EQ(mask[std::size_t(y * kWidth + x)], selected ? 0 : 255) << x << "," << y;
    }
  EXPECT_GT(inRange, 0);
  EXPECT_LT(inRange, kWidth * kHeight);
  // Outside the range, grown: more than the complement.
  const std::vector<std::uint8_t> outside = MaskBytes(bare, {"--select", "0", "100", "--outside", "--grow", "--add"});
  EXPECT_GT(CountValue(outside, 0), kWidth * kHeight - inRange);
  EXPECT_EQ(outside[0], Level(0, 0) > 100 ? 0 : 255);  // the border is not grown into
}

TEST_F(CliMaskTest, TheProjectsOwnMaskIsEditedAndInvertingTwiceRestoresIt) {
  CImage stored;
  ASSERT_TRUE(stored.Load(folder.File("g_mask.bmp")));
  std::vector<std::uint8_t> expected;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) expected.push_back(stored.Row(y)[x] == 0 ? 0 : 255);
  ASSERT_GT(CountValue(expected, 0), 0);
  EXPECT_EQ(MaskBytes(project, {}), expected);
  EXPECT_EQ(MaskBytes(project, {"--invert", "--invert"}), expected);
  const std::vector<std::uint8_t> inverted = MaskBytes(project, {"--invert"});
  EXPECT_EQ(CountValue(inverted, 0), CountValue(expected, 255));
}

TEST_F(CliMaskTest, UndoRestoresTheMaskBeforeTheLastAddOnly) {
  const std::vector<std::uint8_t> first = MaskBytes(bare, {"--select", "0", "90", "--add"});
  const std::vector<std::uint8_t> both =
      MaskBytes(bare, {"--select", "0", "90", "--add", "--select", "200", "255", "--add"});
  EXPECT_GT(CountValue(both, 0), CountValue(first, 0));
  EXPECT_EQ(MaskBytes(bare, {"--select", "0", "90", "--add", "--select", "200", "255", "--add", "--undo"}), first);
  const std::vector<std::uint8_t> removed =
      MaskBytes(bare, {"--select", "0", "255", "--add", "--select", "0", "90", "--remove"});
  EXPECT_EQ(CountValue(removed, 255), CountValue(first, 0));

  const CliRun twice = Mask(bare, "twice.raw", {"--select", "0", "90", "--add", "--undo", "--undo"}, 1);
  EXPECT_EQ(twice.errors, "linea-cli: --undo: nothing to undo\n");
  EXPECT_FALSE(FileExists(folder.File("twice.raw")));
}

TEST_F(CliMaskTest, MarkedRegionsAloneStayInTheSelection) {
  // The first selected pixel in raster order and the last one: two regions' seeds.
  int firstX = -1, firstY = -1, lastX = -1, lastY = -1;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (Level(x, y) <= 100) {
        if (firstX < 0) firstX = x, firstY = y;
        lastX = x, lastY = y;
      }
  ASSERT_GE(firstX, 0);
  const std::vector<std::uint8_t> all = MaskBytes(bare, {"--select", "0", "100", "--add"});
  const std::vector<std::uint8_t> kept =
      MaskBytes(bare, {"--select", "0", "100", "--mark", std::to_string(firstX), std::to_string(firstY), "--mark",
                       std::to_string(lastX), std::to_string(lastY), "--delete-unmarked", "--add"});
  EXPECT_EQ(kept[std::size_t(firstY * kWidth + firstX)], 0);
  EXPECT_EQ(kept[std::size_t(lastY * kWidth + lastX)], 0);
  EXPECT_LT(CountValue(kept, 0), CountValue(all, 0));
  for (std::size_t i = 0; i < kept.size(); ++i) ASSERT_TRUE(kept[i] != 0 || all[i] == 0) << i;
  // The marked regions deleted instead: exactly the rest of the selection.
  const std::vector<std::uint8_t> rest =
      MaskBytes(bare, {"--select", "0", "100", "--mark", std::to_string(firstX), std::to_string(firstY), "--mark",
                       std::to_string(lastX), std::to_string(lastY), "--delete-marked", "--add"});
  EXPECT_EQ(CountValue(rest, 0) + CountValue(kept, 0), CountValue(all, 0));
  // No marks: "not marked" clears the whole selection.
  EXPECT_EQ(CountValue(MaskBytes(bare, {"--select", "0", "100", "--delete-unmarked", "--add"}), 0), 0);
}

TEST_F(CliMaskTest, EachPolygonModeOnAKnownSquare) {
  const std::string square = "20,20 29,20 29,29 20,29";
  EXPECT_EQ(CountValue(MaskBytes(bare, {"--polygon", square, "--mode", "mask"}), 0), 100);
  EXPECT_EQ(CountValue(MaskBytes(bare, {"--polygon", square, "--mode", "not-mask"}), 0), kWidth * kHeight - 100);
  EXPECT_EQ(CountValue(MaskBytes(bare, {"--invert", "--polygon", square, "--mode", "erase"}), 255), 100);
  // Outline deselects in the preview: what is added afterwards lacks the square.
  EXPECT_EQ(CountValue(MaskBytes(bare, {"--select", "0", "255", "--polygon", square, "--mode", "outline", "--add"}), 0),
            kWidth * kHeight - 100);
  // Vertices far outside are clipped to the image.
  EXPECT_EQ(CountValue(MaskBytes(bare, {"--polygon", "-100,-100 9,-100 9,9 -100,9", "--mode", "mask"}), 0), 100);
}

TEST_F(CliMaskTest, EveryOutputFormatHoldsTheSamePixels) {
  const std::vector<std::uint8_t> raw = MaskBytes(bare, {"--select", "0", "100", "--add"});
  for (const char* name : {"m.bmp", "m.tif", "m.png"}) {
    Mask(bare, name, {"--select", "0", "100", "--add"});
    CImage image;
    ASSERT_TRUE(image.Load(folder.File(name))) << name;
    ASSERT_EQ(image.GetBitsPerPixel(), 8) << name;
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < image.GetHeight(); ++y) pixels.insert(pixels.end(), image.Row(y), image.Row(y) + kWidth);
    EXPECT_EQ(pixels, raw) << name;
    EXPECT_EQ(image.GetColorFromIndex(0), 0x0000FFu) << name;  // red, 0x00BBGGRR
  }
}

TEST_F(CliMaskTest, SaveProjectRecordsTheMaskWhichReopensWithTheSamePixels) {
  const std::string output = folder.File("made.raw");
  const CliRun run = RunCliCaptured({"mask", bare, "-o", output, "--select", "0", "100", "--add", "--save-project"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_NE(ReadTextFile(bare).find("MaskImage = made.raw"), std::string::npos);
  const CliRun info = RunCliCaptured({"info", bare});
  EXPECT_NE(info.out.find("layer: Маска\n"), std::string::npos);
  // Written again from the reopened project, unchanged.
  EXPECT_EQ(MaskBytes(bare, {}), ReadBytes(output));
  // Without --save-project the project is left alone.
  const std::string before = ReadTextFile(project);
  Mask(project, "other.raw", {"--invert"});
  EXPECT_EQ(ReadTextFile(project), before);
}

TEST_F(CliMaskTest, BadCommandLinesAreRefusedAndWriteNothing) {
  const std::vector<std::vector<std::string>> refused = {
      {"--frobnicate"},
      {"--polygon", "1,1 5,5", "--mode", "mask"},
      {"--polygon", "1,1 5,x 9,9", "--mode", "mask"},
      {"--polygon", "1,1 5;5 9,9", "--mode", "mask"},
      {"--polygon", "1,1 5,5 9,9"},
      {"--polygon", "1,1 5,5 9,9", "--mode", "fill"},
      {"--select", "0", "ten"},
      {"--select", "0"},
      {"--mark", "3.5", "4"},
      {"--mark", "99999999999", "4"},
  };
  for (const auto& operations : refused) {
    const CliRun run = Mask(bare, "bad.raw", operations, 2);
    EXPECT_NE(run.errors.find("usage:"), std::string::npos) << operations.front();
    EXPECT_FALSE(FileExists(folder.File("bad.raw"))) << operations.front();
  }
  EXPECT_EQ(Mask(bare, "bad.raw", {"--polygon", "1,1 5,5", "--mode", "mask"}, 2).errors.substr(0, 48),
            "linea-cli: --polygon needs at least 3 vertices\nu");
  EXPECT_EQ(RunCliCaptured({"mask", bare, "-o", folder.File("bad.jpg")}).exitCode, 2);
  EXPECT_EQ(RunCliCaptured({"mask", bare}).exitCode, 2);
  EXPECT_EQ(RunCliCaptured({"mask", "-o", folder.File("bad.raw")}).exitCode, 2);

  // Operations that find nothing to work on: told, nothing written, project untouched.
  const std::string before = ReadTextFile(bare);
  EXPECT_EQ(Mask(bare, "bad.raw", {"--add", "--save-project"}, 1).errors,
            "linea-cli: --add needs a selection: use --select first\n");
  EXPECT_EQ(Mask(bare, "bad.raw", {"--delete-marked"}, 1).errors,
            "linea-cli: --delete-marked needs a selection: use --select first\n");
  EXPECT_EQ(Mask(bare, "bad.raw", {"--select", "300", "400", "--mark", "5", "5"}, 1).errors,
            "linea-cli: --mark 5 5: no selected pixel there\n");
  EXPECT_FALSE(FileExists(folder.File("bad.raw")));
  EXPECT_EQ(ReadTextFile(bare), before);
  // A mask that cannot be written is told and leaves the project as it was.
  const std::string unwritable = folder.File("no-folder/m.raw");
  const CliRun run = RunCliCaptured({"mask", bare, "-o", unwritable, "--invert", "--save-project"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors, "Не удается записать файл. " + unwritable + "\n");
  EXPECT_EQ(ReadTextFile(bare), before);
}

TEST_F(CliMaskTest, ARegionThatCannotBeLabelledIsToldAndNothingIsWritten) {
  CImage board;
  ASSERT_TRUE(board.Create(400, 400, 8));
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) board.Row(y)[x] = (x + y) % 2 ? 0 : 200;
  ASSERT_TRUE(board.Save(folder.File("board.bmp"), kImageFormatBmp));
  const std::string boardProject = folder.File("board.orw");
  WriteTextFile(boardProject,
                "[Version]\nNumber = 3.1\n[Main]\nBaseImage = board.bmp\ntype = 1\nLineWidth = 1\n"
                "DefaultLineWidth = 1\nWidth = 400\nHeight = 400\nBytes = 1\n[Compression]\nRate = 1.0\n");
  const CliRun run = Mask(boardProject, "board.raw", {"--select", "0", "10", "--mark", "1", "0"}, 1);
  EXPECT_EQ(run.errors, "Непредусмотренная ошибка.\n");
  EXPECT_FALSE(FileExists(folder.File("board.raw")));
  // The same board is fine without marking.
  EXPECT_EQ(CountValue(MaskBytesOf(boardProject, {"--select", "0", "10", "--add"}), 0), 80000);
}

TEST(CliMaskParsing, PolygonTextsAreWholeNumberPairs) {
  std::vector<MaskVertex> vertices;
  ASSERT_TRUE(ParsePolygonText("  1,2   -3,+4 5,-6 ", vertices));
  EXPECT_EQ(vertices, (std::vector<MaskVertex>{{1, 2}, {-3, 4}, {5, -6}}));
  for (const char* bad : {"1,2 3", "1,2,3 4,5 6,7", "1.5,2 3,4 5,6", ",2 3,4 5,6", "1, 2 3,4 5,6", "0x1,2 3,4 5,6"})
    EXPECT_FALSE(ParsePolygonText(bad, vertices)) << bad;
}

}  // namespace
}  // namespace linea
