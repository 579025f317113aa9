// The panels' chosen colours in the project file: written as RRGGBB, read back,
// and absent or damaged values leaving the colours of a new project.
#include <gtest/gtest.h>

#include "base/profile_text.h"
#include "imaging/image.h"
#include "project/map_colours.h"
#include "project_fixture.h"

namespace linea {
namespace {

using MapColours = ProjectFixture;

TEST(MapColourText, RoundTripsAndRefusesAnythingButSixHexDigits) {
  EXPECT_EQ(ColourText(MakeColor(0x12, 0xAB, 0xEF)), "12ABEF");
  EXPECT_EQ(ColourOfText("12ABEF"), MakeColor(0x12, 0xAB, 0xEF));
  EXPECT_EQ(ColourOfText("00ff00"), MakeColor(0, 255, 0));
  for (const char* bad : {"", "12ABE", "12ABEF0", "GG0000", "-10000", " 00FF0", "0x00FF"})
    EXPECT_FALSE(ColourOfText(bad)) << bad;
}

TEST_F(MapColours, ChosenColoursSurviveSaveAndOpen) {
  WriteImage(folder.File("base.bmp"), 6, 4);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("base.bmp"), 1));
  workspace.params.roseMapColourSet = true;
  workspace.params.roseMapColour = MakeColor(0, 200, 0);
  workspace.params.lineamentColour = MakeColor(1, 2, 3);
  ASSERT_EQ(workspace.SaveProject(folder.File("p.orw")), 0);
  ProfileText saved;
  ASSERT_EQ(saved.Read(folder.File("p.orw")), 0);
  EXPECT_EQ(saved.GetText("Calc window roses", "RoseMapColour"), "00C800");
  EXPECT_EQ(saved.GetText("Calc lineaments", "LineamentColour"), "010203");

  CTestHost otherHost;
  CWorkspace reopened(otherHost);
  ASSERT_TRUE(reopened.LoadProject(folder.File("p.orw")));
  EXPECT_TRUE(reopened.params.roseMapColourSet);
  EXPECT_EQ(reopened.params.roseMapColour, MakeColor(0, 200, 0));
  EXPECT_EQ(reopened.params.lineamentColour, MakeColor(1, 2, 3));
  EXPECT_TRUE(otherHost.messages.empty());
}

TEST_F(MapColours, AnOldProjectOrADamagedValueKeepsTheNewProjectsColours) {
  WriteImage(folder.File("base.bmp"), 6, 4);
  WriteTextFile(folder.File("old.orw"), ProjectText("3.1", "base.bmp"));
  ASSERT_TRUE(workspace.LoadProject(folder.File("old.orw")));
  EXPECT_FALSE(workspace.params.roseMapColourSet);
  EXPECT_EQ(workspace.params.lineamentColour, 0x0000FFu);  // red
  // A project without a chosen rose colour writes none, so its kinds keep theirs.
  ASSERT_EQ(workspace.SaveProject(folder.File("old.orw")), 0);
  ProfileText saved;
  ASSERT_EQ(saved.Read(folder.File("old.orw")), 0);
  EXPECT_FALSE(saved.GetText("Calc window roses", "RoseMapColour"));

  WriteTextFile(folder.File("bad.orw"), ProjectText("3.1", "base.bmp") +
                                            "[Calc window roses]\nRoseMapColour = blue\n"
                                            "[Calc lineaments]\nLineamentColour = 1234567\n");
  CTestHost otherHost;
  CWorkspace damaged(otherHost);
  ASSERT_TRUE(damaged.LoadProject(folder.File("bad.orw")));
  EXPECT_FALSE(damaged.params.roseMapColourSet);
  EXPECT_EQ(damaged.params.roseMapColour, 0x0000FFu);
  EXPECT_EQ(damaged.params.lineamentColour, 0x0000FFu);
}

}  // namespace
}  // namespace linea
