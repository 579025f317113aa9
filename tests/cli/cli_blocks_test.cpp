// linea-cli blocks: the blocks operations in the order given, the formats they are
// written in, the project that records them, and every refusal (which writes nothing).
#include <gtest/gtest.h>

#include <set>

#include "cli_support.h"
#include "imaging/image.h"
#include "support/test_files.h"

namespace linea {
namespace {

constexpr int kWidth = 120, kHeight = 90;

class CliBlocksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    project = MakeDemo(folder.Path(), "g", "grey", kWidth, kHeight);
    // The same project without blocks, so that the command makes them.
    std::string text = ReadTextFile(project), stripped;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = std::min(text.find('\n', at), text.size());
      const std::string line = text.substr(at, end - at);
      if (line.rfind("BlocksImage", 0) != 0) stripped += line + "\n";
      at = end + 1;
    }
    bare = folder.File("bare.orw");
    WriteTextFile(bare, stripped);
  }

  CliRun Blocks(const std::string& projectPath, const std::string& output, std::vector<std::string> operations,
                int expected) {
    std::vector<std::string> arguments = {"blocks", projectPath, "-o", folder.File(output)};
    arguments.insert(arguments.end(), operations.begin(), operations.end());
    CliRun run = RunCliCaptured(arguments);
    EXPECT_EQ(run.exitCode, expected) << run.errors;
    return run;
  }
  // The raw output: one byte per pixel, rows back to back.
  std::vector<std::uint8_t> Raw(const std::string& name) { return ReadBytes(folder.File(name)); }
  static int At(const std::vector<std::uint8_t>& raw, int x, int y) { return raw[std::size_t(y * kWidth + x)]; }

  CTempFolder folder;
  std::string project, bare;
};

TEST_F(CliBlocksTest, BordersFoundAndCheckedSplitTheImageAndEveryFormatIsWritten) {
  const std::vector<std::string> operations = {"--border", "5,45 115,46", "--border", "60,3 61,86", "--find",
                                               "--check"};
  Blocks(bare, "b.raw", operations, 0);
  const std::vector<std::uint8_t> raw = Raw("b.raw");
  ASSERT_EQ(raw.size(), std::size_t(kWidth * kHeight));
  EXPECT_EQ(At(raw, 0, 0), 1);
  EXPECT_EQ(At(raw, kWidth - 1, 0), 2);
  EXPECT_EQ(At(raw, 0, kHeight - 1), 3);
  EXPECT_EQ(At(raw, kWidth - 1, kHeight - 1), 4);
  EXPECT_EQ(At(raw, 0, 45), 255) << "the line reaches the edge it started near";
  EXPECT_EQ(std::set<int>(raw.begin(), raw.end()), (std::set<int>{1, 2, 3, 4, 255}));

  for (const char* name : {"b.bmp", "b.tif", "b.png"}) {
    Blocks(bare, name, operations, 0);
    CImage image;
    ASSERT_TRUE(image.Load(folder.File(name))) << name;
    ASSERT_EQ(image.GetBitsPerPixel(), 8) << name;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) ASSERT_EQ(image.Row(y)[x], At(raw, x, y)) << name << " " << x << "," << y;
  }
}

TEST_F(CliBlocksTest, OperationsRunInTheOrderGiven) {
  Blocks(bare, "a.raw", {"--border", "-1,45 200,45", "--find", "--exclude", "3", "3"}, 0);
  std::vector<std::uint8_t> raw = Raw("a.raw");
  EXPECT_EQ(At(raw, 3, 3), 254);
  EXPECT_EQ(At(raw, 3, 80), 2);
  // Excluded first and then numbered again: the exclusion is gone.
  Blocks(bare, "b.raw", {"--border", "-1,45 200,45", "--find", "--exclude", "3", "3", "--find"}, 0);
  raw = Raw("b.raw");
  EXPECT_EQ(At(raw, 3, 3), 1);
  // Merged: one block; the border between them is gone except at the two edge
  // pixels, which the check of borders never looks at.
  Blocks(bare, "c.raw", {"--border", "-1,45 200,45", "--find", "--merge", "3", "3", "50", "80"}, 0);
  raw = Raw("c.raw");
  EXPECT_EQ(std::set<int>(raw.begin(), raw.end()), (std::set<int>{1, 255}));
  EXPECT_EQ(At(raw, 60, 45), 1);
  EXPECT_EQ(At(raw, 0, 45), 255);
}

TEST_F(CliBlocksTest, UndoGoesBackToTheStartOfTheLastTool) {
  Blocks(bare, "start.raw", {}, 0);
  Blocks(bare, "undone.raw", {"--border", "5,45 115,46", "--undo"}, 0);
  EXPECT_EQ(Raw("undone.raw"), Raw("start.raw"));
  // The copy is taken when the border starts: the first border stays.
  Blocks(bare, "one.raw", {"--border", "5,45 115,46"}, 0);
  Blocks(bare, "two.raw", {"--border", "5,45 115,46", "--border", "60,3 61,86", "--undo"}, 0);
  EXPECT_EQ(Raw("two.raw"), Raw("one.raw"));
}

TEST_F(CliBlocksTest, TheProjectsOwnBlocksAreEditedAndSaveProjectRecordsTheFile) {
  // The demo's blocks come from its file; --find numbers what is there.
  Blocks(project, "own.raw", {"--find"}, 0);
  const std::vector<std::uint8_t> own = Raw("own.raw");
  EXPECT_GT(std::set<int>(own.begin(), own.end()).size(), 2u);

  Blocks(bare, "saved.bmp", {"--border", "5,45 115,46", "--find", "--save-project"}, 0);
  EXPECT_NE(ReadTextFile(bare).find("BlocksImage = saved.bmp"), std::string::npos) << ReadTextFile(bare);
  const CliRun info = RunCliCaptured({"info", bare});
  EXPECT_NE(info.out.find("layer: Блоки"), std::string::npos) << info.out;
  // Reopened, the saved blocks are edited further.
  Blocks(bare, "again.raw", {"--merge", "3", "3", "3", "80"}, 0);
  const std::vector<std::uint8_t> again = Raw("again.raw");
  EXPECT_EQ(std::set<int>(again.begin(), again.end()), (std::set<int>{1, 255}));
  EXPECT_EQ(At(again, 60, 45), 1);
}

TEST_F(CliBlocksTest, RefusedOperationsSayWhyAndWriteNothing) {
  const std::string before = ReadTextFile(bare);
  struct Refusal {
    std::vector<std::string> operations;
    int exitCode;
    const char* message;
  };
  const Refusal refusals[] = {
      {{"--border", "5,45 115,46", "--find", "--merge", "50", "45", "50", "80"}, 1,
       "Выбрана граница, а не блок. Блоки не изменены."},
      {{"--find", "--merge", "3", "3", "50", "80"}, 1, "Обе точки лежат в одном блоке. Блоки не изменены."},
      {{"--find", "--exclude", "500", "3"}, 1, "Точка лежит вне изображения. Блоки не изменены."},
      {{"--border", "5,45"}, 2, "--border needs at least two vertices"},
      {{"--border", "5,45 x,3"}, 2, "--border needs at least two vertices"},
      {{"--border", "5,45 40000,3"}, 2, "--border needs at least two vertices"},
      {{"--merge", "1", "2", "3"}, 2, "--merge needs two points"},
      {{"--exclude", "1"}, 2, "--exclude needs one point"},
      {{"--paint"}, 2, "unexpected argument --paint"},
  };
  for (const Refusal& refusal : refusals) {
    const CliRun run = Blocks(bare, "refused.raw", refusal.operations, refusal.exitCode);
    EXPECT_NE(run.errors.find(refusal.message), std::string::npos) << run.errors;
    EXPECT_FALSE(FileExists(folder.File("refused.raw"))) << refusal.message;
  }
  // Too many blocks: 49 vertical and 10 horizontal borders give 50 x 11 blocks.
  std::vector<std::string> many;
  for (int x = 12; x <= 108; x += 2) many.insert(many.end(), {"--border", std::to_string(x) + ",-1 " + std::to_string(x) + ",90"});
  for (int y = 20; y < 40; y += 2) many.insert(many.end(), {"--border", "-1," + std::to_string(y) + " 120," + std::to_string(y)});
  many.push_back("--find");
  const CliRun tooMany = Blocks(bare, "refused.raw", many, 1);
  EXPECT_NE(tooMany.errors.find("Блоков больше 253. Блоки не изменены."), std::string::npos) << tooMany.errors;
  EXPECT_FALSE(FileExists(folder.File("refused.raw")));

  const CliRun format = Blocks(bare, "refused.jpg", {"--find"}, 2);
  EXPECT_NE(format.errors.find("written as .bmp, .tif, .png or .raw"), std::string::npos);
  const CliRun missing = RunCliCaptured({"blocks", folder.File("none.orw"), "-o", folder.File("refused.raw")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_FALSE(FileExists(folder.File("refused.raw")));
  EXPECT_EQ(RunCliCaptured({"blocks", bare}).exitCode, 2);
  EXPECT_EQ(ReadTextFile(bare), before) << "a refusal never touches the project";
}

}  // namespace
}  // namespace linea
