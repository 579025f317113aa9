#include <gtest/gtest.h>

#include "base/profile_text.h"
#include "project/save_settings.h"
#include "support/test_host.h"

namespace linea {
namespace {

CSaveSettings Corners(double resolutionX, double resolutionY) {
  CSaveSettings s;
  s.upperLeftX = 0;
  s.upperLeftY = 1000;
  s.lowerRightX = 500;
  s.lowerRightY = 0;
  s.resolutionX = resolutionX;
  s.resolutionY = resolutionY;
  return s;
}

TEST(WorldCoordinates, ConsistentCornersAskNothing) {
  CTestHost host;
  CSaveSettings settings;
  ApplyWorldCoordinates(settings, Corners(1, -1), 500, 1000, host);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(settings, Corners(1, -1));
}

TEST(WorldCoordinates, InconsistentResolutionsAreOfferedForCorrection) {
  CTestHost host;
  host.yesNoAnswers = {true};
  CSaveSettings settings;
  ApplyWorldCoordinates(settings, Corners(1, 1), 500, 1000, host);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "Заданные координаты и разрешение не соответствуют друг другу. Изменить разрешение?");
  EXPECT_EQ(host.messages[0].caption, "Warning");
  EXPECT_DOUBLE_EQ(settings.resolutionY, -1.0);

  host.yesNoAnswers = {false};
  ApplyWorldCoordinates(settings, Corners(1, 1), 500, 1000, host);
  EXPECT_DOUBLE_EQ(settings.resolutionY, 1.0);
}

TEST(WorldCoordinates, NoCornersOrNoImageMeanNoCheck) {
  CTestHost host;
  CSaveSettings settings;
  CSaveSettings confirmed;
  confirmed.resolutionX = 7;
  confirmed.useCoordinates = true;
  ApplyWorldCoordinates(settings, confirmed, 500, 1000, host);
  EXPECT_TRUE(settings.useCoordinates);
  EXPECT_DOUBLE_EQ(settings.resolutionX, 7.0);
  ApplyWorldCoordinates(settings, Corners(3, 3), 0, 0, host);
  ApplyWorldCoordinates(settings, Corners(3, 3), 0, 1000, host);  // no width to divide by
  EXPECT_TRUE(host.messages.empty());
  EXPECT_DOUBLE_EQ(settings.resolutionX, 3.0);
  EXPECT_FALSE(settings.useCoordinates);
}

TEST(WorldCoordinates, ZeroResolutionsInAProjectReadAsOne) {
  ProfileText profile;
  profile.SetDouble("Saving settings", "ResolutionX", 0.0);
  profile.SetDouble("Saving settings", "ResolutionY", 2.5);
  profile.SetInt("Saving settings", "DrawFrame", 2);
  CSaveSettings settings;
  ReadSaveSettings(settings, profile);
  EXPECT_DOUBLE_EQ(settings.resolutionX, 1.0);
  EXPECT_DOUBLE_EQ(settings.resolutionY, 2.5);
  EXPECT_TRUE(settings.drawFrame);
  EXPECT_FALSE(settings.useCoordinates);
}

}  // namespace
}  // namespace linea
