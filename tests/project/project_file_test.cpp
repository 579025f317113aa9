#include <gtest/gtest.h>

#include <filesystem>

#include "base/profile_text.h"
#include "base/string_table.h"
#include "layers/bitmap_layer.h"
#include "project_fixture.h"

namespace linea {
namespace {

using ProjectFile = ProjectFixture;

TEST_F(ProjectFile, OpensProjectsOfTheSameMajorVersion) {
  WriteImage(folder.File("base.bmp"), 6, 4);
  for (const char* version : {"3.0", "3.25", "3.1"}) {
    host.messages.clear();
    WriteTextFile(folder.File("p.orw"), ProjectText(version, "base.bmp"));
    EXPECT_TRUE(workspace.LoadProject(folder.File("p.orw"))) << version;
    EXPECT_TRUE(host.messages.empty()) << version;
    EXPECT_EQ(workspace.baseImagePath, folder.File("base.bmp"));
    EXPECT_NE(workspace.layerStack.FindLayer(LoadText(32817)), nullptr);
  }
}

TEST_F(ProjectFile, RefusesOtherVersionsWithTheirMessage) {
  for (const char* version : {"2.9", "4.0", ""}) {
    host.messages.clear();
    WriteTextFile(folder.File("p.orw"), ProjectText(version, "base.bmp"));
    EXPECT_FALSE(workspace.LoadProject(folder.File("p.orw")));
    EXPECT_EQ(host.OnlyMessageText(), "Не соответствует версия проекта.") << version;
    EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
  }
}

TEST_F(ProjectFile, AnUnreadableProjectShowsItsMessageAndStaysReset) {
  EXPECT_FALSE(workspace.LoadProject(folder.File("absent.orw")));
  EXPECT_EQ(host.OnlyMessageText(), "Не удается загрузить проект.");
  EXPECT_TRUE(workspace.baseImagePath.empty());
}

TEST_F(ProjectFile, ZeroWidthsAndTypeReadAsOneAndAMissingRoseWindowAsZero) {
  WriteTextFile(folder.File("p.orw"),
                "[Version]\nNumber = 3.1\n[Main]\ntype = 0\nLineWidth = 0\nDefaultLineWidth = 0\nWidth = 6\n"
                "Height = 4\n");
  ASSERT_TRUE(workspace.LoadProject(folder.File("p.orw")));
  EXPECT_EQ(workspace.imageType, 1);
  EXPECT_EQ(workspace.lineWidth, 1);
  EXPECT_EQ(workspace.defaultLineWidth, 1);
  EXPECT_EQ(workspace.params.rose_wind, 0);
  EXPECT_EQ(workspace.params.TR_Linear, 0);
  EXPECT_DOUBLE_EQ(workspace.params.Filled_In, 0.0);
  // No base raster: the geometry comes from the keys.
  EXPECT_EQ(workspace.results.imageWidth, 6u);
  EXPECT_EQ(workspace.results.imageHeight, 4u);
  EXPECT_EQ(workspace.results.gridWidth, 6u);
  EXPECT_EQ(workspace.results.pixelCount, 24u);
}

TEST_F(ProjectFile, AbsurdStoredSizesDoNotBecomeTheGeometry) {
  WriteTextFile(folder.File("p.orw"),
                "[Version]\nNumber = 3.1\n[Main]\nWidth = 1000000000\nHeight = -5\n[Compression]\nRate = 2\n");
  ASSERT_TRUE(workspace.LoadProject(folder.File("p.orw")));
  EXPECT_EQ(workspace.results.imageWidth, 0u);
  EXPECT_EQ(workspace.results.imageHeight, 0u);
  EXPECT_EQ(workspace.results.pixelCount, 0u);
}

TEST_F(ProjectFile, AMissingBaseRasterStillOpensTheResults) {
  WriteBytes(folder.File("p.str"), std::vector<std::uint8_t>(24, 2));
  WriteTextFile(folder.File("p.orw"), ProjectText("3.1", "gone.bmp") + "[Calc stripes]\nCalculated = 1\n");
  ASSERT_TRUE(workspace.LoadProject(folder.File("p.orw")));
  EXPECT_TRUE(workspace.baseImagePath.empty());
  ASSERT_EQ(host.messages.size(), 1u);  // the raster import's own message
  EXPECT_TRUE(workspace.results.hasStripes);
  EXPECT_EQ(workspace.results.imageWidth, 6u);
}

TEST_F(ProjectFile, AProjectMovedWithItsImagesFindsThemByFileName) {
  WriteImage(folder.File("base.bmp"), 6, 4);
  WriteTextFile(folder.File("p.orw"), ProjectText("3.1", "C:\\old\\place\\base.bmp"));
  ASSERT_TRUE(workspace.LoadProject(folder.File("p.orw")));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(workspace.baseImagePath, folder.File("base.bmp"));
}

TEST_F(ProjectFile, AWindowsProjectWithCrLfAndWindows1251NamesOpens) {
  // "Карта.bmp" in Windows-1251.
  WriteImage(folder.File("Карта.bmp"), 6, 4);
  std::string text = ProjectText("3.1", "D:\\\xCA\xE0\xF0\xF2\xE0\\\xCA\xE0\xF0\xF2\xE0.bmp");
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  WriteTextFile(folder.File("p.orw"), crlf);
  ASSERT_TRUE(workspace.LoadProject(folder.File("p.orw")));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(workspace.baseImagePath, folder.File("Карта.bmp"));
  EXPECT_EQ(workspace.results.imageWidth, 6u);
}

TEST_F(ProjectFile, RelativeImagesAreSavedAsBareNamesAndOthersInFull) {
  WriteImage(folder.File("base.bmp"), 6, 4);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("base.bmp"), 1));
  ASSERT_EQ(workspace.SaveProject(folder.File("p.orw")), 0);
  ProfileText saved;
  ASSERT_EQ(saved.Read(folder.File("p.orw")), 0);
  EXPECT_EQ(saved.GetText("Main", "BaseImage"), "base.bmp");

  CTempFolder elsewhere;
  ASSERT_EQ(workspace.SaveProject(elsewhere.File("q.orw")), 0);
  ASSERT_EQ(saved.Read(elsewhere.File("q.orw")), 0);
  EXPECT_EQ(saved.GetText("Main", "BaseImage"), folder.File("base.bmp"));
}

TEST_F(ProjectFile, ImagesInFoldersWithBlanksAndLongPathsSurviveTheProjectFile) {
  std::string deep = folder.Path() + "My Maps/" + std::string(90, 'd') + "/100% done/";
  std::filesystem::create_directories(deep);
  WriteImage(deep + "base image.bmp", 6, 4);
  ASSERT_TRUE(workspace.LoadBaseImage(deep + "base image.bmp", 1));
  CTempFolder projects;
  ASSERT_EQ(workspace.SaveProject(projects.File("p.orw")), 0);
  EXPECT_NE(ReadTextFile(projects.File("p.orw")).find("My%20Maps/"), std::string::npos);

  CTestHost otherHost;
  CWorkspace reopened(otherHost);
  ASSERT_TRUE(reopened.LoadProject(projects.File("p.orw")));
  EXPECT_TRUE(otherHost.messages.empty());
  EXPECT_EQ(reopened.baseImagePath, deep + "base image.bmp");
}

TEST_F(ProjectFile, SaveLoadSaveReproducesEveryFileByteForByte) {
  WriteImage(folder.File("base.bmp"), 6, 4);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("base.bmp"), 2));
  workspace.params.Rate = 2.0;
  workspace.params.rose_wind = 24;
  workspace.params.Filled_In = 0.25;
  workspace.params.LONG = false;
  workspace.lineWidth = 3;
  workspace.results.SetGridFromRate(2.0);
  workspace.results.stripeCodes = {1, 2, 3, 4, 5, 6};
  workspace.results.DeriveStripeClasses();
  workspace.results.hasStripes = true;
  workspace.results.hasGlobalRose = workspace.results.ComputeGlobalRose() == 0;
  workspace.results.windowRoses.assign(16, 9);
  workspace.results.hasWindowRoses = true;
  workspace.saveSettings.upperLeftX = 10.5;
  workspace.saveSettings.drawFrame = true;
  ASSERT_EQ(workspace.SaveProject(folder.File("p.orw")), 0);

  auto withoutDate = [](std::string text) { return text.erase(0, text.find('\n', 81)); };
  std::string first = withoutDate(ReadTextFile(folder.File("p.orw")));
  auto stripes = ReadBytes(folder.File("p.str"));
  auto roses = ReadBytes(folder.File("p.ros"));
  auto globalRose = ReadTextFile(folder.File("p.gr"));

  CTestHost otherHost;
  CWorkspace reopened(otherHost);
  ASSERT_TRUE(reopened.LoadProject(folder.File("p.orw")));
  EXPECT_EQ(reopened.imageType, 2);
  EXPECT_EQ(reopened.lineWidth, 3);
  EXPECT_FALSE(reopened.params.LONG);
  EXPECT_EQ(reopened.results.gridWidth, 3u);
  EXPECT_DOUBLE_EQ(reopened.saveSettings.upperLeftX, 10.5);
  ASSERT_EQ(reopened.SaveProject(folder.File("p.orw")), 0);
  EXPECT_EQ(withoutDate(ReadTextFile(folder.File("p.orw"))), first);
  EXPECT_EQ(ReadBytes(folder.File("p.str")), stripes);
  EXPECT_EQ(ReadBytes(folder.File("p.ros")), roses);
  EXPECT_EQ(ReadTextFile(folder.File("p.gr")), globalRose);
  EXPECT_NE(first.find("\n[Version]\nNumber = 3.1\n\n[Main]\nBaseImage = base.bmp\ntype = 2\nLineWidth = 3\n"),
            std::string::npos);
}

TEST_F(ProjectFile, SectionsAreWrittenInTheirFixedOrder) {
  ASSERT_EQ(workspace.SaveProject(folder.File("p.orw")), 0);
  ProfileText saved;
  ASSERT_EQ(saved.Read(folder.File("p.orw")), 0);
  std::vector<std::string> names;
  for (const auto& section : saved.Sections()) names.push_back(section.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Version", "Main", "Compression", "Calc stripes", "Calc DTM stripes",
                                             "Calc Block Rose", "Calc window roses", "Calc lineaments", "Masking",
                                             "Saving settings"}));
  EXPECT_EQ(saved.GetText("Calc window roses", "rose_wind"), "64");
  EXPECT_EQ(saved.GetText("Compression", "Rate"), "1.000000");
}

TEST_F(ProjectFile, AFailedResultFileLeavesNoProjectFile) {
  workspace.results.SetImageGeometry(2, 2, 1, 1);
  workspace.results.stripeCodes = {1, 1, 1, 1};
  workspace.results.hasStripes = true;
  WriteTextFile(folder.File("p.orw"), "old project");
  std::filesystem::create_directory(folder.File("p.str"));  // the stripes cannot be written there
  EXPECT_NE(workspace.SaveProject(folder.File("p.orw")), 0);
  EXPECT_EQ(ReadTextFile(folder.File("p.orw")), "old project");
}

TEST_F(ProjectFile, SavingAsksToSaveAnUnsavedMaskAndDrawnBlocks) {
  workspace.params.UseMask = true;
  workspace.blocksImagePath = kCreatedBlocksPath;
  host.yesNoAnswers = {true, false};
  host.onCommand = [&](int command) {
    if (command == 32863) workspace.maskImagePath = folder.File("mask.bmp");
  };
  ASSERT_EQ(workspace.SaveProject(folder.File("p.orw")), 0);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, "Сохранить ли изображение маски?");
  EXPECT_EQ(host.messages[0].caption, "Warning");
  EXPECT_EQ(host.messages[1].text, "Сохранить ли изображение блоков?");
  EXPECT_EQ(host.commandsRun, std::vector<int>{32863});
  ProfileText saved;
  ASSERT_EQ(saved.Read(folder.File("p.orw")), 0);
  EXPECT_EQ(saved.GetText("Masking", "MaskImage"), "mask.bmp");
  EXPECT_FALSE(saved.GetText("Calc Block Rose", "BlocksImage"));
}

TEST_F(ProjectFile, ACombinationProjectStoresNoRasterPathsAndNoStripes) {
  workspace.rosesCombination = true;
  workspace.maskImagePath = folder.File("mask.bmp");
  workspace.results.hasStripes = true;
  workspace.results.stripeCodes = {1};
  ASSERT_EQ(workspace.SaveProject(folder.File("p.orw")), 0);
  ProfileText saved;
  ASSERT_EQ(saved.Read(folder.File("p.orw")), 0);
  EXPECT_EQ(saved.GetInt("Main", "RosesCombination"), 1);
  EXPECT_FALSE(saved.GetText("Masking", "MaskImage"));
  EXPECT_EQ(saved.GetInt("Calc stripes", "Calculated"), 0);
}

TEST(ProjectPaths, PercentAndBlankAreEncodedAndDecoded) {
  EXPECT_EQ(EncodeProjectPath("C:\\My Maps\\100%.tif"), "C:\\My%20Maps\\100%25.tif");
  EXPECT_EQ(DecodeProjectPath("C:\\My%20Maps\\100%25.tif"), "C:\\My Maps\\100%.tif");
  // Files of the classic form keep a percent sign that starts no escape.
  EXPECT_EQ(DecodeProjectPath("50%off.tif"), "50%off.tif");
  EXPECT_EQ(DecodeProjectPath("end%2"), "end%2");
}

}  // namespace
}  // namespace linea
