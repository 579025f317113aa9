// The view's state as plain values, the zoom texts, the progress rules, titles
// and file filters: everything the window shows that can be checked without it.
#include <gtest/gtest.h>

#include <vector>

#include "app/commands.h"
#include "app/image_viewer_doc.h"
#include "ui/file_filters.h"
#include "ui/progress_window.h"
#include "ui/view_geometry.h"

namespace linea {
namespace {

TEST(ZoomText, ThreeZoomInsFromOneShow337AndOneZoomOutShows66) {
  double zoom = 1.0;
  for (int i = 0; i < 3; ++i) zoom *= kZoomInFactor;
  EXPECT_DOUBLE_EQ(zoom, 3.375);
  EXPECT_EQ(ZoomText(zoom), "337 %");
  EXPECT_EQ(ZoomText(1.0 * kZoomOutFactor), "66 %");
  EXPECT_EQ(ZoomText(0.1), "10 %");
  EXPECT_EQ(ZoomText(1.0), "100 %");
}

TEST(ZoomText, TypedNumbersAreAcceptedWithOrWithoutTheBlankPercent) {
  auto typed = ParseZoomText("150");
  ASSERT_TRUE(typed);
  EXPECT_DOUBLE_EQ(typed->zoom, 1.5);
  EXPECT_FALSE(typed->hadPercent);

  auto listed = ParseZoomText("75 %");
  ASSERT_TRUE(listed);
  EXPECT_DOUBLE_EQ(listed->zoom, 0.75);
  EXPECT_TRUE(listed->hadPercent);

  auto fraction = ParseZoomText("12.5");
  ASSERT_TRUE(fraction);
  EXPECT_DOUBLE_EQ(fraction->zoom, 0.125);
  // What follows " %" is cut off with it.
  auto tail = ParseZoomText("200 % and more");
  ASSERT_TRUE(tail);
  EXPECT_DOUBLE_EQ(tail->zoom, 2.0);
}

TEST(ZoomText, PercentWithoutBlankZeroNegativeAndWordsAreRefused) {
  EXPECT_FALSE(ParseZoomText("150%"));
  EXPECT_FALSE(ParseZoomText("0"));
  EXPECT_FALSE(ParseZoomText("0 %"));
  EXPECT_FALSE(ParseZoomText("-50"));
  EXPECT_FALSE(ParseZoomText("abc"));
  EXPECT_FALSE(ParseZoomText(""));
  EXPECT_FALSE(ParseZoomText("150 x"));
}

TEST(ZoomText, OnlyTheFirst49CharactersCount) {
  // The 50th character onwards is never read: "15" loses its 5.
  auto cut = ParseZoomText(std::string(48, ' ') + "15");
  ASSERT_TRUE(cut);
  EXPECT_DOUBLE_EQ(cut->zoom, 0.01);
  // A " %" beyond the limit is not found, so the text is rewritten afterwards.
  auto late = ParseZoomText(std::string(46, ' ') + "150 %");
  ASSERT_TRUE(late);
  EXPECT_FALSE(late->hadPercent);
}

TEST(ViewGeometry, FitOfA1000x500ImageInto800x600IsPointEight) {
  auto zoom = FitZoom({800, 600}, {1000, 500});
  ASSERT_TRUE(zoom);
  EXPECT_DOUBLE_EQ(*zoom, 0.8);
  // The height decides when it is the tighter one.
  EXPECT_DOUBLE_EQ(*FitZoom({800, 600}, {400, 1200}), 0.5);
  EXPECT_FALSE(FitZoom({800, 600}, {0, 500}));
  EXPECT_FALSE(FitZoom({0, 600}, {1000, 500}));
}

TEST(ViewGeometry, SmallerImageIsCentredLargerOneStartsAtTheCorner) {
  EXPECT_EQ(CentringOffset({800, 600}, {300, 201}), (ViewPoint{250, 199}));
  EXPECT_EQ(CentringOffset({800, 600}, {1000, 700}), (ViewPoint{0, 0}));
  EXPECT_EQ(CentringOffset({800, 600}, {1000, 500}), (ViewPoint{0, 50}));
}

TEST(ViewGeometry, ImageRectIsClippedToTheClientArea) {
  EXPECT_EQ(ImageRect({250, 200}, {800, 600}, {150, 100}, 2.0), (ViewRect{250, 200, 550, 400}));
  EXPECT_EQ(ImageRect({0, 0}, {800, 600}, {1000, 1000}, 1.0), (ViewRect{0, 0, 800, 600}));
  EXPECT_EQ(ImageRect({0, 0}, {800, 600}, {0, 0}, 1.0).IsEmpty(), true);
}

TEST(ViewGeometry, TargetSizeIsTruncatedOnlyWhenScaled) {
  EXPECT_EQ(TargetSize({101, 99}, 1.0), (ViewSize{101, 99}));
  EXPECT_EQ(TargetSize({101, 99}, 0.5), (ViewSize{50, 49}));
  EXPECT_FALSE(IsScaled(1.0));
  EXPECT_TRUE(IsScaled(1.0 + 1e-12));
  EXPECT_TRUE(IsTooLarge({30000, 10}, 80000.0));
  EXPECT_FALSE(IsTooLarge({30000, 10}, 70000.0));
}

TEST(ViewGeometry, WindowAndImageCoordinatesConvertBothWays) {
  // Zoom 2, scrolled by 10, centred by 5: window 25 is image (25 + 10 - 5) / 2 = 15.
  EXPECT_EQ(WindowToImage(25, 10, 5, 2.0), 15);
  EXPECT_EQ(ImageToWindow(15, 10, 5, 2.0), 25);
  // At zoom 0.8 pixels are lost one way; trunc both ways.
  EXPECT_EQ(WindowToImage(7, 0, 0, 0.8), 8);
  EXPECT_EQ(ImageToWindow(8, 0, 0, 0.8), 6);
}

TEST(ViewGeometry, ZoomKeepsTheCentrePointInTheCentre) {
  // Client 400 x 300 scrolled to (100, 50): the centre is image point (300, 200)
  // at the old zoom; doubling the zoom puts it at (600, 400), so the scroll is
  // (600 - 200, 400 - 150).
  EXPECT_EQ(ScrollKeepingCentre({100, 50}, {400, 300}, 2.0), (ViewPoint{400, 250}));
  EXPECT_EQ(ScrollKeepingCentre({0, 0}, {401, 301}, 1.5), (ViewPoint{99, 74}));  // 300 - 200.5, 225 - 150.5
}

TEST(ViewGeometry, FailedBlitFallsBackToThePreviousZoomOrToOne) {
  EXPECT_DOUBLE_EQ(FallbackZoom(4.0, 2.0), 2.0);
  EXPECT_DOUBLE_EQ(FallbackZoom(4.0, 4.0), 1.0);
}

TEST(ViewGeometry, NearestNeighbourBlitTakesTheSourcePixelOfEachWindowPixel) {
  // A 3 x 2 source whose pixels carry their own coordinates.
  const std::size_t sourceStride = 12;
  std::vector<std::uint8_t> source(sourceStride * 2, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      source[std::size_t(y) * sourceStride + std::size_t(x) * 3] = std::uint8_t(10 * x);
      source[std::size_t(y) * sourceStride + std::size_t(x) * 3 + 1] = std::uint8_t(10 * y);
      source[std::size_t(y) * sourceStride + std::size_t(x) * 3 + 2] = 99;
    }
  // Window pixels 1..6 x 1..3 at zoom 2, no scroll, offset 1.
  const std::size_t targetStride = 6 * 3 + 2;
  std::vector<std::uint8_t> target(targetStride * 3, 7);
  StretchNearest({source.data(), sourceStride, {3, 2}}, {target.data(), targetStride, {1, 1, 7, 4}}, {0, 0}, {1, 1},
                 2.0);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 6; ++i) {
      const std::uint8_t* pixel = &target[std::size_t(j) * targetStride + std::size_t(i) * 3];
      const int imageX = std::min(2, i / 2), imageY = std::min(1, j / 2);
      EXPECT_EQ(pixel[0], 10 * imageX) << i << "," << j;
      EXPECT_EQ(pixel[1], 10 * imageY) << i << "," << j;
      EXPECT_EQ(pixel[2], 99);
    }
  // The row padding of the target is left alone.
  EXPECT_EQ(target[18], 7);
  EXPECT_EQ(target[19], 7);
}

TEST(Progress, FractionsBelowTheEpsilonChangeNothingNegativeOnesOnlyAnimate) {
  const ProgressStep none = ProgressStepOf(0.0);
  EXPECT_FALSE(none.advance);
  EXPECT_FALSE(none.percent);
  EXPECT_FALSE(ProgressStepOf(1e-8).advance);
  const ProgressStep negative = ProgressStepOf(-1.0);
  EXPECT_TRUE(negative.advance);
  EXPECT_FALSE(negative.percent);
  const ProgressStep almost = ProgressStepOf(0.999);
  EXPECT_TRUE(almost.advance);
  EXPECT_EQ(almost.percent, 99);
  EXPECT_EQ(ProgressText("Поиск склона", 99), "Поиск склона 99 %");
}

TEST(DocumentTitle, TheTypeNameFollowsTheSize) {
  EXPECT_EQ(TitleSuffix(1024, 768, 3), " - [1024x768 DTM]");
  EXPECT_EQ(TitleSuffix(640, 480, 1), " - [640x480 GREYSCALE]");
  EXPECT_EQ(TitleSuffix(640, 480, 2), " - [640x480 SCHEME]");
  EXPECT_EQ(FileTitle("C:\\data\\map.v2.tif"), "map.v2");
  EXPECT_EQ(FileTitle("/data/area"), "area");
}

TEST(DocumentTemplate, OrwInAnyCaseIsNativeOtherFilesAreForeign) {
  EXPECT_EQ(CLineaDocTemplate::MatchDocType("/a/x.ORW"), CLineaDocTemplate::Confidence::Native);
  EXPECT_EQ(CLineaDocTemplate::MatchDocType("/a/x.orw"), CLineaDocTemplate::Confidence::Native);
  EXPECT_EQ(CLineaDocTemplate::MatchDocType("/a/x.txt"), CLineaDocTemplate::Confidence::Foreign);
  EXPECT_EQ(CLineaDocTemplate::MatchDocType("/a.orw/x"), CLineaDocTemplate::Confidence::Foreign);
}

TEST(FileFilters, ProgramFiltersBecomeQtFiltersWithUsablePatterns) {
  EXPECT_EQ(QtFilterOf("Linea Workspace files(*.orw) | *.orw||"), "Linea Workspace files(*.orw)");
  EXPECT_EQ(QtFilterOf("Tagged image file format (*.tif, *.tiff)|*.tif; *.tiff|Raw data (*.raw)|*.raw||"),
            "Tagged image file format (*.tif *.tiff);;Raw data (*.raw)");
  EXPECT_EQ(QtFilterOf("LineaText|*.txo||"), "LineaText (*.txo)");
  EXPECT_EQ(SuffixOfExtension("*.tif"), "tif");
  EXPECT_EQ(SuffixOfExtension(".orw"), "orw");
  EXPECT_EQ(SuffixOfExtension(""), "");
}

TEST(CommandTable, MenuTextsComeWithTheirShortcutsAndEveryPlacedIdHasACommand) {
  ASSERT_NE(FindCommand(57601), nullptr);
  EXPECT_EQ(CommandText(*FindCommand(57601)), "&Открыть Проект...\tCtrl+O");
  EXPECT_EQ(ShortcutOfText(CommandText(*FindCommand(32842))), "Ctrl+I");
  EXPECT_EQ(ShortcutOfText(CommandText(*FindCommand(57665))), "Alt+X");
  EXPECT_EQ(ShortcutOfText("Сжать"), "");
  // Texts whose ids the string table gives to messages are the table's own.
  EXPECT_EQ(CommandText(*FindCommand(32851)), "Сжать");
  EXPECT_EQ(CommandText(*FindCommand(32848)), "Изменить Ширину");
  std::vector<int> seen;
  for (const CommandDef& command : CommandDefinitions()) {
    EXPECT_EQ(std::count(seen.begin(), seen.end(), command.id), 0) << command.id;
    seen.push_back(command.id);
  }
  for (const MenuDef& menu : MenuDefinitions())
    for (int id : menu.ids) {
      if (id > 0) {
        EXPECT_NE(FindCommand(id), nullptr) << id;
      }
    }
}

}  // namespace
}  // namespace linea
