// "Расчет" on the main calculations panel of the real window: the switches decide
// what is computed, the progress window's Cancel leaves the results as they were.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <memory>

#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "demo_project.h"
#include "project/workspace.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/main_frame.h"
#include "ui/progress_window.h"
#include "ui/ws_dialog_bar.h"

namespace linea {
namespace {

class CalculateButtonTest : public ProgramWindowTest {
 protected:
  void SetUp() override {
    ProgramWindowTest::SetUp();
    const std::string project = WriteDemo();
    ASSERT_FALSE(project.empty());
    ASSERT_NO_FATAL_FAILURE(StartProgram(project));
  }

  CWSDialogBar& Bar() { return app->Frame().CalcBar(); }
  CResults& Results() { return app->Workspace().results; }
};

TEST_F(CalculateButtonTest, CancelInTheProgressWindowLeavesTheResultsByteForByte) {
  EXPECT_FALSE(Bar().CalculateButton()->isEnabled());
  Bar().StripesBox()->click();
  Bar().WindowRosesBox()->click();
  Bar().LineamentsBox()->click();
  ASSERT_TRUE(Bar().CalculateButton()->isEnabled());
  // A first search runs to its end and gives the results to keep.
  QTest::mouseClick(Bar().CalculateButton(), Qt::LeftButton);
  ASSERT_TRUE(host.messages.empty());
  ASSERT_TRUE(Results().hasStripes && Results().hasWindowRoses && Results().hasLineaments);
  ASSERT_FALSE(Results().lineaments.empty());
  const CResults before = Results();
  app->Workspace().params.TR_Linear = 55;  // a different search, had it run
  bool cancelled = false;
  QTimer::singleShot(0, [&] {
    if (CProgressWindow* progress = host.ProgressWindow()) {
      progress->reject();
      cancelled = true;
    }
  });
  QTest::mouseClick(Bar().CalculateButton(), Qt::LeftButton);
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(host.ProgressWindow(), nullptr);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Расчет остановлен.");
  EXPECT_EQ(Results().stripeCodes, before.stripeCodes);
  EXPECT_EQ(Results().stripeClasses, before.stripeClasses);
  EXPECT_EQ(Results().globalRose, before.globalRose);
  EXPECT_EQ(Results().blockRoses, before.blockRoses);
  EXPECT_EQ(Results().windowRoses, before.windowRoses);
  EXPECT_EQ(Results().lineaments, before.lineaments);
  EXPECT_EQ(Results().hasStripes, before.hasStripes);
  EXPECT_EQ(Results().hasLineaments, before.hasLineaments);
}

TEST_F(CalculateButtonTest, ComputesWhatTheSwitchesAskForAndMarksIt) {
  // Only the window roses, from the stored stripes.
  const std::vector<std::uint8_t> codes = Results().stripeCodes;
  app->Workspace().params.rose_wind = 32;
  app->Workspace().results.ClearWindowRoses();
  app->Workspace().UpdateCalcPanel();
  EXPECT_FALSE(Bar().Mark(2)->isVisible());
  Bar().WindowRosesBox()->click();
  QTest::mouseClick(Bar().CalculateButton(), Qt::LeftButton);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(Results().hasWindowRoses);
  EXPECT_FALSE(Results().windowRoses.empty());
  EXPECT_EQ(Results().stripeCodes, codes);
  EXPECT_TRUE(Bar().Mark(2)->isVisible());
  EXPECT_TRUE(app->Document().IsModified());
}

}  // namespace
}  // namespace linea
