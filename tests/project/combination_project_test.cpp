// The combination through the workspace: a refused first project asks nothing,
// and a combined project is saved and reopened with its kind, window and grid.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/binary_io.h"
#include "base/profile_text.h"
#include "base/string_table.h"
#include "project_fixture.h"

namespace linea {
namespace {

class CombinationProject : public ProjectFixture {
 protected:
  // A project of an elevation model, 64 x 32 at rate 2, whose window roses are `roses`.
  std::string MakeProject(const std::string& name, const std::vector<std::uint16_t>& roses,
                          const std::string& size = "Width = 64\nHeight = 32\n", const std::string& rate = "2.0") {
    const std::string path = folder.File(name + ".orw");
    WriteTextFile(path, "[Version]\nNumber = 3.1\n[Main]\ntype = 3\n" + size + "Bytes = 2\n[Compression]\nRate = " +
                            rate + "\n[Calc window roses]\nrose_wind = 32\nCalculated = 1\n");
    std::vector<std::uint8_t> bytes(roses.size() * 2);
    for (std::size_t i = 0; i < roses.size(); ++i) PutLE16(&bytes[2 * i], roses[i]);
    WriteBytes(folder.File(name + ".ros"), bytes);
    return path;
  }
  static std::vector<std::uint16_t> Roses(std::uint16_t seed) {
    std::vector<std::uint16_t> roses(24);
    for (std::size_t i = 0; i < roses.size(); ++i) roses[i] = std::uint16_t((seed * (i + 3)) % 97);
    return roses;
  }
};

TEST_F(CombinationProject, AFileThatCannotBeTakenAsksNothing) {
  EXPECT_FALSE(workspace.AddCombinedProject(folder.File("none.orw")));
  EXPECT_EQ(host.newDocumentRuns, 0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, LoadText(32838));
}

TEST_F(CombinationProject, ADifferenceIsSavedAsACombinationAndReopensWithItsRoses) {
  const std::vector<std::uint16_t> a = Roses(5), b = Roses(11);
  ASSERT_TRUE(workspace.SetCombinationMode(true));
  ASSERT_TRUE(workspace.AddCombinedProject(MakeProject("a", a)));
  ASSERT_TRUE(workspace.AddCombinedProject(MakeProject("b", b)));
  ASSERT_EQ(workspace.CombineRoses(false, false), 0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(workspace.imageType, 3);
  EXPECT_EQ(workspace.params.rose_wind, 32);
  EXPECT_EQ(workspace.params.Rate, 2.0);

  const std::string saved = folder.File("diff.orw");
  ASSERT_EQ(workspace.SaveProject(saved), 0);
  ProfileText profile;
  ASSERT_EQ(profile.Read(saved), 0);
  EXPECT_EQ(profile.GetInt("Main", "RosesCombination"), 1);
  EXPECT_EQ(profile.GetInt("Main", "type"), 3);
  EXPECT_EQ(profile.GetInt("Main", "Width"), 64);
  EXPECT_EQ(profile.GetInt("Calc window roses", "Calculated"), 1);
  EXPECT_EQ(profile.GetInt("Calc stripes", "Calculated"), 0);
  const std::vector<std::uint8_t> bytes = ReadBytes(folder.File("diff.ros"));
  ASSERT_EQ(bytes.size(), a.size() * 2);
  for (std::size_t i = 0; i < a.size(); ++i)
    EXPECT_EQ(GetLE16(&bytes[2 * i]), std::abs(int(b[i]) - int(a[i]))) << i;

  CTestHost otherHost;
  CWorkspace reopened(otherHost);
  ASSERT_TRUE(reopened.LoadProject(saved));
  EXPECT_TRUE(otherHost.messages.empty()) << otherHost.messages.front().text;
  EXPECT_TRUE(reopened.rosesCombination);
  EXPECT_TRUE(reopened.results.hasWindowRoses);
  EXPECT_EQ(reopened.results.windowRoses, workspace.results.windowRoses);
  EXPECT_EQ(reopened.results.imageType, 3);
  EXPECT_EQ(reopened.results.gridWidth, 32u);
  EXPECT_EQ(reopened.results.gridHeight, 16u);
  EXPECT_EQ(reopened.params.rose_wind, 32);
  EXPECT_TRUE(otherHost.lastCalcPanel.rosesCombination);
}

TEST_F(CombinationProject, ARateThatDoesNotDivideTheWidthIsKeptForTheReopenedGrid) {
  ASSERT_TRUE(workspace.AddCombinedProject(MakeProject("a", Roses(5), "Width = 100\nHeight = 50\n", "1.5")));
  ASSERT_TRUE(workspace.AddCombinedProject(MakeProject("b", Roses(7), "Width = 100\nHeight = 50\n", "1.5")));
  ASSERT_EQ(workspace.CombineRoses(true, true), 0);
  EXPECT_EQ(workspace.results.gridWidth, 66u);
  EXPECT_EQ(workspace.params.Rate, 1.5);
  ASSERT_EQ(workspace.SaveProject(folder.File("mean.orw")), 0);
  CTestHost otherHost;
  CWorkspace reopened(otherHost);
  ASSERT_TRUE(reopened.LoadProject(folder.File("mean.orw")));
  EXPECT_EQ(reopened.results.gridWidth, 66u);
  EXPECT_EQ(reopened.results.gridHeight, 33u);
  EXPECT_EQ(reopened.results.windowRoses, workspace.results.windowRoses);
}

TEST_F(CombinationProject, AFailedCombinationKeepsTheImageType) {
  workspace.imageType = 1;
  ASSERT_TRUE(workspace.AddCombinedProject(MakeProject("a", Roses(5))));
  EXPECT_EQ(workspace.CombineRoses(false, false), 2);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, LoadText(32814));
  EXPECT_EQ(workspace.imageType, 1);
  EXPECT_FALSE(workspace.results.hasWindowRoses);
}

}  // namespace
}  // namespace linea
