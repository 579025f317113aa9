// The palette settings and colour band dialogs, the layers bar's palette,
// isolines and colour band entries, the docked palette legend and the colours
// of the rose and lineament panels, driven in the real window on the demo project.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <memory>

#include "app/commands.h"
#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/field_kinds.h"
#include "cli/cli_commands.h"
#include "cli/cli_host.h"
#include "demo_project.h"
#include "imaging/image.h"
#include "layers/band_layer.h"
#include "layers/palette_legend.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"
#include "project/workspace.h"
#include "results/rose_map.h"
#include "results/rose_map_palette.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/color_band_dlg.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/lineaments_param_bar.h"
#include "ui/main_frame.h"
#include "ui/palette_settings_dlg.h"
#include "ui/palette_show.h"
#include "ui/roses_param_bar.h"

namespace linea {
namespace {

constexpr std::uint32_t kGreen = 0x0000FF00;
constexpr std::uint32_t kRed = 0x000000FF;

class PaletteDialogsTest : public ProgramWindowTest {
 protected:
  void Start(const DemoProjectOptions& options = {}) {
    project = WriteDemo("demo", options);
    ASSERT_FALSE(project.empty());
    StartProgram(project, 1200, 850);
  }
  // Window roses whose counts vary across the image, so that maps have many classes.
  static void AddWindowRoses(CResults& results) {
    const std::uint32_t nx = (results.gridWidth + 7) / 8 + 1, ny = (results.gridHeight + 7) / 8 + 1;
    results.windowRoses.assign(std::size_t(nx) * ny * 8, 0);
    for (std::uint32_t row = 0; row < ny; ++row)
      for (std::uint32_t column = 0; column < nx; ++column)
        for (std::uint32_t k = 0; k < 8; ++k)
          results.windowRoses[8 * (row * nx + column) + k] =
              std::uint16_t(4 + (column * 3 + row * 5 + k * 7) % 40 + (k == (column / 8) % 8 ? 60 : 0));
    results.hasWindowRoses = true;
  }
  // "Показать" of the rose panel with the kind at `kindPosition` and the full data range.
  CLayer* ShowMap(int kindPosition = 0) {
    AddWindowRoses(Ws().results);
    Ws().UpdateCalcPanel();
    if (Frame().RosesDock().isHidden()) Choose(32775);
    Frame().RosesBar().KindList()->setCurrentIndex(kindPosition);
    Frame().RosesBar().ScalingRadio(kScalingAuto)->setChecked(true);
    QTest::mouseClick(Frame().RosesBar().ShowButton(), Qt::LeftButton);
    return Layer("Розы 0");
  }
  CRasterLayer* SelectMap() {
    auto* map = dynamic_cast<CRasterLayer*>(Layer("Розы 0"));
    if (map) Frame().LayersBar().SelectLayer(map);
    return map;
  }
  // The picture composed from every layer as it stands.
  const CImage& Composed() {
    CLayerStack& stack = Ws().layerStack;
    for (int i = 0; i < stack.LayerCount(); ++i) stack.LayerAt(i)->MarkChanged();
    EXPECT_TRUE(stack.ComposeLayers(Ws().Composition()));
    return stack.CompositionImage();
  }

  CLayer* Layer(const char* name) { return Ws().layerStack.FindLayer(name); }
  std::string project;
};

std::string Text(QLineEdit* edit) { return edit->text().toStdString(); }

TEST_F(PaletteDialogsTest, MenuPaletteChecksStepsAndContrastAndSetsTheDefaults) {
  Start();
  bool refusedAsExpected = false;
  host.dialogSteps.push_back([&](QDialog& dialog) {
    auto& palette = dynamic_cast<CPaletteSettingsDlg&>(dialog);
    // From the menu the range boxes say nothing, and the defaults are shown.
    EXPECT_EQ(Text(palette.Edit("minEdit")), "-");
    EXPECT_EQ(Text(palette.Edit("toEdit")), "-");
    EXPECT_EQ(Text(palette.Edit("stepsEdit")), "8");
    EXPECT_TRUE(palette.Radio("manyRadio")->isChecked());
    EXPECT_TRUE(palette.Radio("byValueRadio")->isChecked());
    for (const char* steps : {"17", "0"}) {
      palette.Edit("stepsEdit")->setText(QString::fromLatin1(steps));
      palette.accept();
      EXPECT_EQ(palette.result(), QDialog::Rejected) << steps;
      EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Quants должно быть от 1 до 16.");
      EXPECT_EQ(palette.focusWidget(), palette.Edit("stepsEdit"));
    }
    palette.Edit("stepsEdit")->setText(QStringLiteral("16"));
    palette.Edit("contrastEdit")->setText(QStringLiteral("0.05"));
    palette.accept();
    EXPECT_EQ(palette.result(), QDialog::Rejected);
    // The bounds named are 0 and 2, although 0.05 is below the real bound 0.1.
    EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Contrast должно быть от 0 до 2.");
    EXPECT_EQ(palette.focusWidget(), palette.Edit("contrastEdit"));
    refusedAsExpected = host.messages.size() == 3;
    palette.Edit("contrastEdit")->setText(QStringLiteral("2.0"));
    palette.Radio("twoRadio")->setChecked(true);
    palette.Radio("byAreaRadio")->setChecked(true);
    palette.accept();
    EXPECT_EQ(palette.result(), QDialog::Accepted);
  });
  Choose(32849);
  EXPECT_TRUE(refusedAsExpected);
  EXPECT_EQ(host.messages.size(), 3u);
  EXPECT_EQ(Ws().params.paletteSteps, 16);
  EXPECT_EQ(Ws().params.paletteContrast, 2.0);
  EXPECT_EQ(Ws().params.paletteColours, 2);
  EXPECT_TRUE(Ws().params.paletteEqualPopulation);
  // Nothing is rebuilt, and a cancelled dialog keeps the defaults.
  EXPECT_EQ(Ws().layerStack.LayerCount(), 1);
  host.dialogSteps.push_back([](QDialog& dialog) {
    dynamic_cast<CPaletteSettingsDlg&>(dialog).Edit("stepsEdit")->setText(QStringLiteral("3"));
    dialog.reject();
  });
  Choose(32849);
  EXPECT_EQ(Ws().params.paletteSteps, 16);
}

TEST_F(PaletteDialogsTest, LayerPaletteRecoloursTheMapAndTheDockedLegendFollows) {
  Start();
  ASSERT_NE(ShowMap(), nullptr);
  CRasterLayer* map = SelectMap();
  ASSERT_NE(map, nullptr);
  Frame().View().grab();
  CPalleteShow& panel = Frame().PaletteShow();
  // Docked beside the view, not floating over the window.
  EXPECT_FALSE(panel.isHidden());
  EXPECT_FALSE(panel.isFloating());
  EXPECT_EQ(Frame().dockWidgetArea(&panel), Qt::RightDockWidgetArea);
  EXPECT_EQ(panel.SwatchesInUse(), 8);

  host.dialogSteps.push_back([&](QDialog& dialog) {
    auto& palette = dynamic_cast<CPaletteSettingsDlg&>(dialog);
    EXPECT_EQ(Text(palette.Edit("minEdit")), std::to_string(map->Min));
    EXPECT_EQ(Text(palette.Edit("maxEdit")), std::to_string(map->Max));
    EXPECT_EQ(Text(palette.Edit("fromEdit")), std::to_string(map->From));
    EXPECT_EQ(Text(palette.Edit("toEdit")), std::to_string(map->To));
    palette.Edit("stepsEdit")->setText(QStringLiteral("4"));
    palette.Radio("twoRadio")->setChecked(true);
    palette.accept();
  });
  Choose(32788);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(map->steps, 4);
  EXPECT_EQ(map->paletteKind, 2);

  const RoseMapPalette expected =
      MakeRoseMapPalette(false, 2, map->classes, 4, map->classHistogram, map->brightness);
  const CImage& picture = Composed();
  int differing = 0, classes = 0;
  std::array<bool, 256> seen{};
  for (int y = 0; y < map->Image().GetHeight(); y += 3) {
    for (int x = 0; x < map->Image().GetWidth(); x += 3) {
      const int c = map->Image().GetIndexFromPixel(x, y);
      const std::uint32_t colour = MakeColor(expected.red[std::size_t(c)], expected.green[std::size_t(c)],
                                             expected.blue[std::size_t(c)]);
      if (picture.GetColorFromPixel(x, y) != colour) ++differing;
      if (!seen[std::size_t(c)]) ++classes;
      seen[std::size_t(c)] = true;
    }
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(classes, 4);  // the picture really holds several steps

  Frame().View().grab();
  ASSERT_EQ(panel.SwatchesInUse(), 4);
  for (int i = 0; i < 4; ++i) {
    const int last = expected.boundaries[std::size_t(i)];
    EXPECT_EQ(panel.SwatchColor(i), MakeColor(expected.red[std::size_t(last)], expected.green[std::size_t(last)],
                                              expected.blue[std::size_t(last)]))
        << i;
    EXPECT_EQ(panel.RangeText(i).toStdString(), StepValueRangeText(*map, i)) << i;
    EXPECT_FALSE(panel.RangeText(i).isEmpty()) << i;
  }
  EXPECT_TRUE(panel.RangeText(0).startsWith(QString::number(map->From) + " - "));
  EXPECT_TRUE(panel.RangeText(3).endsWith(" - " + QString::number(map->To)));

  // A cancelled dialog leaves the map as it is.
  const std::vector<std::uint8_t> boundaries = map->stepBoundaries;
  host.dialogSteps.push_back([](QDialog& dialog) {
    dynamic_cast<CPaletteSettingsDlg&>(dialog).Edit("stepsEdit")->setText(QStringLiteral("12"));
    dialog.reject();
  });
  Choose(32788);
  EXPECT_EQ(map->steps, 4);
  EXPECT_EQ(map->stepBoundaries, boundaries);
}

TEST_F(PaletteDialogsTest, GreyPaletteReachesTheLegendAndTwentyStepsLeaveItAlone) {
  Start();
  ASSERT_NE(ShowMap(), nullptr);
  CRasterLayer* map = SelectMap();
  Frame().View().grab();
  CPalleteShow& panel = Frame().PaletteShow();
  ASSERT_EQ(panel.SwatchesInUse(), 8);
  const std::uint32_t before = panel.SwatchColor(0);
  Choose(32789);
  Frame().View().grab();
  const int last = map->stepBoundaries[0];
  EXPECT_EQ(panel.SwatchColor(0), MakeColor(std::uint8_t(last), std::uint8_t(last), std::uint8_t(last)));
  EXPECT_NE(panel.SwatchColor(0), before);

  // More than 16 colours: the panel keeps what it showed.
  const std::uint32_t grey = panel.SwatchColor(1);
  map->steps = 20;
  map->stepBoundaries.assign(20, 200);
  map->MarkChanged();
  Frame().View().grab();
  EXPECT_EQ(panel.SwatchesInUse(), 8);
  EXPECT_EQ(panel.SwatchColor(1), grey);

  // The panel's switch hides and shows it.
  Choose(32891);
  EXPECT_TRUE(panel.isHidden());
  Choose(32891);
  EXPECT_FALSE(panel.isHidden());
}

TEST_F(PaletteDialogsTest, LayerEntriesAreForClassMapsOnly) {
  Start();
  Frame().LayersBar().SelectLayer(Layer("Исходное"));
  for (int id : {32788, 32789, 32850, 32852}) EXPECT_FALSE(IsEnabled(id)) << id;
  ASSERT_NE(ShowMap(), nullptr);
  SelectMap();
  for (int id : {32788, 32789, 32850, 32852}) EXPECT_TRUE(IsEnabled(id)) << id;
  // A band layer is not a class map of its own.
  host.dialogSteps.push_back([](QDialog& dialog) { dialog.accept(); });
  host.layerNames.push_back(std::string("Розы 0#"));
  Choose(32852);
  ASSERT_NE(Layer("Розы 0#"), nullptr);
  Frame().LayersBar().SelectLayer(Layer("Розы 0#"));
  for (int id : {32788, 32850, 32852}) EXPECT_FALSE(IsEnabled(id)) << id;
}

TEST_F(PaletteDialogsTest, ColourBandDialogSwitchesAndChecksInOrder) {
  DemoProjectOptions options;
  options.width = 600;
  options.height = 450;
  Start(options);
  ASSERT_NE(ShowMap(), nullptr);
  CRasterLayer* map = SelectMap();
  ASSERT_NE(map, nullptr);
  ASSERT_EQ(Frame().LayersBar().SelectedLayer(), map);
  const int lowest = map->From, highest = map->To, half = (lowest + highest) / 2;
  host.dialogSteps.push_back([&](QDialog& dialog) {
    auto& band = dynamic_cast<CColorBand&>(dialog);
    // Opening: band mode, extremum controls hidden, maxima chosen, the values shown.
    EXPECT_TRUE(band.Radio("bandRadio")->isChecked());
    EXPECT_TRUE(band.Radio("maximaRadio")->isChecked());
    for (int id : {1130, 1079, 1131, 1132, 1135, 1136, 1137}) EXPECT_TRUE(band.Control(id)->isHidden()) << id;
    EXPECT_EQ(Text(band.Edit("fromEdit")), std::to_string(half));
    EXPECT_EQ(Text(band.Edit("toEdit")), std::to_string(highest));
    EXPECT_EQ(Text(band.Edit("widthEdit")), "33");
    EXPECT_EQ(Text(band.Edit("rangeEdit")), "0.900000");
    EXPECT_EQ(Text(band.Edit("lowestEdit")), std::to_string(lowest));
    EXPECT_EQ(Text(band.Edit("highestEdit")), std::to_string(highest));
    EXPECT_EQ(Text(band.Edit("mapMinEdit")), std::to_string(map->Min));
    EXPECT_EQ(Text(band.Edit("mapMaxEdit")), std::to_string(map->Max));

    // From, then To, outside the map's range.
    band.Edit("fromEdit")->setText(QString::number(lowest - 1));
    band.accept();
    EXPECT_EQ(host.MessageTexts().back(),
              "Значение параметра From должно быть от " + std::to_string(lowest) + " до " + std::to_string(highest) +
                  ".");
    EXPECT_EQ(band.focusWidget(), band.Edit("fromEdit"));
    band.Edit("fromEdit")->setText(QString::number(lowest));
    band.Edit("toEdit")->setText(QString::number(highest + 1));
    band.accept();
    EXPECT_EQ(band.focusWidget(), band.Edit("toEdit"));
    EXPECT_EQ(band.result(), QDialog::Rejected);

    // Extremums: the controls appear; the width limit is min(600, 450) / 6 = 75.
    QTest::mouseClick(band.Radio("extremumRadio"), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    EXPECT_FALSE(band.Control(1135)->isHidden());
    EXPECT_FALSE(band.Edit("widthEdit")->isHidden());
    band.Edit("toEdit")->setText(QString::number(highest));
    band.Edit("widthEdit")->setText(QStringLiteral("76"));
    band.accept();
    EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Width должно быть от 1 до 75.");
    EXPECT_EQ(band.focusWidget(), band.Edit("widthEdit"));
    band.Edit("widthEdit")->setText(QStringLiteral("75"));
    band.Edit("rangeEdit")->setText(QStringLiteral("1.2"));
    band.accept();
    EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Range должно быть от 0 до 1.");
    EXPECT_EQ(band.focusWidget(), band.Edit("rangeEdit"));

    // "Минимумы": range 1.1, From the lowest, To half way; back to maxima: 0.9.
    QTest::mouseClick(band.Radio("minimaRadio"), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    EXPECT_EQ(Text(band.Edit("rangeEdit")), "1.1");
    EXPECT_EQ(Text(band.Edit("fromEdit")), std::to_string(lowest));
    EXPECT_EQ(Text(band.Edit("toEdit")), std::to_string(half));
    band.Edit("rangeEdit")->setText(QStringLiteral("0.5"));
    band.accept();
    EXPECT_EQ(host.MessageTexts().back(), "Значение параметра Range должно быть больше или равно 1.");
    QTest::mouseClick(band.Radio("minimaRadio"), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    QTest::mouseClick(band.Radio("maximaRadio"), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    EXPECT_EQ(Text(band.Edit("rangeEdit")), "0.9");
    EXPECT_EQ(Text(band.Edit("fromEdit")), std::to_string(half));
    EXPECT_EQ(Text(band.Edit("toEdit")), std::to_string(highest));
    QTest::mouseClick(band.Radio("minimaRadio"), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    const std::size_t shown = host.messages.size();
    band.accept();
    EXPECT_EQ(host.messages.size(), shown);
    EXPECT_EQ(band.result(), QDialog::Accepted);
    EXPECT_EQ(band.Values().range, 1.1);
    EXPECT_FALSE(band.Values().maxima);
    EXPECT_EQ(band.Values().width, 75);
  });
  host.layerNames.push_back(std::nullopt);  // the name dialog cancelled: nothing built
  const int layers = Ws().layerStack.LayerCount();
  Choose(32852);
  EXPECT_EQ(host.dialogsRun, 1);
  EXPECT_EQ(Ws().layerStack.LayerCount(), layers);
  EXPECT_EQ(Layer("Розы 0*"), nullptr);

  // "Полоса" hides the extremum controls again and resets From and To.
  host.dialogSteps.push_back([&](QDialog& dialog) {
    auto& band = dynamic_cast<CColorBand&>(dialog);
    QTest::mouseClick(band.Radio("extremumRadio"), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    band.Edit("fromEdit")->setText(QString::number(lowest));
    QTest::mouseClick(band.Radio("bandRadio"), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    EXPECT_TRUE(band.Control(1135)->isHidden());
    EXPECT_EQ(Text(band.Edit("fromEdit")), std::to_string(half));
    // In band mode a width out of range does not matter.
    band.Edit("widthEdit")->setText(QStringLiteral("0"));
    dialog.reject();
  });
  Choose(32852);
  EXPECT_EQ(Ws().layerStack.LayerCount(), layers);
}

TEST_F(PaletteDialogsTest, IsolinesAndBandFromTheMenuEqualTheWorkspacesOwnAndTheLegendNamesTheBand) {
  Start();
  ASSERT_NE(ShowMap(), nullptr);
  SelectMap();
  host.layerNames.push_back(std::string("Розы 0_"));
  Choose(32850);
  auto* isolines = dynamic_cast<CVectorLayer3*>(Layer("Розы 0_"));
  ASSERT_NE(isolines, nullptr);
  // Isolines cancelled at the name: nothing more.
  SelectMap();
  host.layerNames.push_back(std::nullopt);
  const int layers = Ws().layerStack.LayerCount();
  Choose(32850);
  EXPECT_EQ(Ws().layerStack.LayerCount(), layers);

  std::int32_t bandFrom = 0, bandTo = 0;
  SelectMap();
  host.colours.push_back(kGreen);
  host.dialogSteps.push_back([&](QDialog& dialog) {
    auto& band = dynamic_cast<CColorBand&>(dialog);
    QTest::mouseClick(band.findChild<QPushButton*>("colourButton"), Qt::LeftButton);
    EXPECT_EQ(band.Values().color, kGreen);
    bandFrom = band.Values().from;
    bandTo = band.Values().to;
    dialog.accept();
  });
  host.layerNames.push_back(std::string("Розы 0#"));
  Choose(32852);
  EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
  auto* band = dynamic_cast<CColorBandLayer*>(Layer("Розы 0#"));
  ASSERT_NE(band, nullptr);
  // The legend names the band's values beside its colour.
  Frame().View().grab();
  ASSERT_EQ(Frame().PaletteShow().BandRows(), 1);
  EXPECT_EQ(Frame().PaletteShow().BandText(0).toStdString(), BandValueRangeText(*band));
  EXPECT_EQ(Frame().PaletteShow().BandColor(0), kGreen);

  // The same project through the batch tool's road: the map, isolines and the band.
  CTestHost batchHost;
  CWorkspace batch(batchHost);
  ASSERT_TRUE(batch.LoadProject(project));
  AddWindowRoses(batch.results);
  batch.params = Ws().params;
  ASSERT_EQ(batch.ShowRoseMap(false), 0);
  batchHost.layerNameAnswers.push_back(std::string("Розы 0_"));
  ASSERT_EQ(batch.ShowIsolines(), 0);
  batch.params.bandFrom = bandFrom;
  batch.params.bandTo = bandTo;
  batchHost.layerNameAnswers.push_back(std::string("Розы 0#"));
  ASSERT_EQ(batch.ShowColorBand({}, kGreen), 0);
  ASSERT_EQ(batch.layerStack.LayerCount(), Ws().layerStack.LayerCount());
  for (int i = 0; i < batch.layerStack.LayerCount(); ++i) batch.layerStack.LayerAt(i)->MarkChanged();
  ASSERT_TRUE(batch.layerStack.ComposeLayers(batch.Composition()));
  const CImage& expected = batch.layerStack.CompositionImage();
  const CImage& shown = Composed();
  ASSERT_EQ(shown.GetWidth(), expected.GetWidth());
  ASSERT_EQ(shown.GetHeight(), expected.GetHeight());
  int differing = 0, green = 0;
  for (int y = 0; y < shown.GetHeight(); ++y)
    for (int x = 0; x < shown.GetWidth(); ++x) {
      if (shown.GetColorFromPixel(x, y) != expected.GetColorFromPixel(x, y)) ++differing;
      if (band->Image().GetIndexFromPixel(x, y) > 0 && band->Image().GetColorFromPixel(x, y) == kGreen) ++green;
    }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(green, 0);
}

TEST_F(PaletteDialogsTest, TheWindowsMapIsolinesAndBandMatchTheBatchToolsRender) {
  Start();
  // Window roses saved with the project, so that the batch tool reads the same;
  // a density map over the full range, as "--map density --scaling auto" makes it.
  AddWindowRoses(Ws().results);
  ASSERT_EQ(Ws().SaveProject(project), 0);
  Ws().UpdateCalcPanel();
  Choose(32775);
  Frame().RosesBar().KindList()->setCurrentIndex(0);
  Frame().RosesBar().ScalingRadio(kScalingAuto)->setChecked(true);
  QTest::mouseClick(Frame().RosesBar().ShowButton(), Qt::LeftButton);
  ASSERT_TRUE(host.messages.empty()) << host.messages.front().text;
  ASSERT_NE(SelectMap(), nullptr);
  host.layerNames.push_back(std::string("Розы 0_"));
  Choose(32850);
  SelectMap();
  std::int32_t bandFrom = 0, bandTo = 0;
  host.colours.push_back(kGreen);
  host.dialogSteps.push_back([&](QDialog& dialog) {
    auto& band = dynamic_cast<CColorBand&>(dialog);
    band.findChild<QPushButton*>("colourButton")->click();
    bandFrom = band.Values().from;
    bandTo = band.Values().to;
    dialog.accept();
  });
  host.layerNames.push_back(std::string("Розы 0#"));
  Choose(32852);
  ASSERT_NE(Layer("Розы 0_"), nullptr);
  ASSERT_NE(Layer("Розы 0#"), nullptr);

  const std::string png = folder.File("render.png");
  CCliHost batchHost;  // names layers as proposed, as the batch tool does
  ASSERT_EQ(RunCli({"render", project, "-o", png, "--map", "density", "--scaling", "auto", "--isolines", "--band",
                    std::to_string(bandFrom), std::to_string(bandTo), "--color", "00FF00", "--describe", folder.File("d.txo")},
                   batchHost, stdout, stderr),
            0);
  QImage rendered(QString::fromStdString(png));
  ASSERT_FALSE(rendered.isNull());
  const CImage& shown = Composed();
  ASSERT_EQ(rendered.width(), shown.GetWidth());
  ASSERT_EQ(rendered.height(), shown.GetHeight());
  int differing = 0;
  for (int y = 0; y < shown.GetHeight(); ++y)
    for (int x = 0; x < shown.GetWidth(); ++x) {
      const QRgb pixel = rendered.pixel(x, y);
      if (MakeColor(std::uint8_t(qRed(pixel)), std::uint8_t(qGreen(pixel)), std::uint8_t(qBlue(pixel))) !=
          shown.GetColorFromPixel(x, y))
        ++differing;
    }
  EXPECT_EQ(differing, 0);
  // Both layers are in the batch tool's picture too, as its description lists them.
  const std::string described = ReadTextFile(folder.File("d.txo"));
  EXPECT_NE(described.find(Layer("Розы 0_")->GetDescription()), std::string::npos) << described;
  EXPECT_NE(described.find(Layer("Розы 0#")->GetDescription()), std::string::npos) << described;
}

TEST_F(PaletteDialogsTest, ChosenPanelColoursDrawTheNextLayersAndAreSavedWithTheProject) {
  Start();
  ASSERT_NE(ShowMap(), nullptr);
  // A cancelled colour dialog changes nothing.
  host.colours.push_back(std::nullopt);
  QTest::mouseClick(Frame().RosesBar().ColourButton(), Qt::LeftButton);
  EXPECT_FALSE(Ws().params.roseMapColourSet);
  host.colours.push_back(kGreen);
  QTest::mouseClick(Frame().RosesBar().ColourButton(), Qt::LeftButton);
  EXPECT_TRUE(Ws().params.roseMapColourSet);
  EXPECT_EQ(Ws().params.roseMapColour, kGreen);
  EXPECT_TRUE(app->Document().IsModified());

  auto* vectors = dynamic_cast<CVectorLayer3*>(ShowMap(MapKindIndex('v')));
  ASSERT_NE(vectors, nullptr);
  ASSERT_EQ(vectors->GroupCount(), 1);
  EXPECT_EQ(vectors->Group(0).GetColor(), kGreen);
  const CImage& picture = Composed();
  int green = 0, red = 0;
  for (int y = 0; y < picture.GetHeight(); ++y)
    for (int x = 0; x < picture.GetWidth(); ++x) {
      green += picture.GetColorFromPixel(x, y) == kGreen;
      red += picture.GetColorFromPixel(x, y) == kRed;
    }
  EXPECT_GT(green, 50);
  EXPECT_EQ(red, 0);

  host.colours.push_back(MakeColor(0, 0, 200));
  Frame().LineamentsBar().ColourButton()->click();  // the panel is hidden without lineaments
  EXPECT_EQ(Frame().LineamentsBar().Colour(), MakeColor(0, 0, 200));
  EXPECT_EQ(Ws().params.lineamentColour, MakeColor(0, 0, 200));

  // Saved and opened again, the colours come back, and the panels show them.
  ASSERT_EQ(Ws().SaveProject(project), 0);
  Ws().ResetWorkspace();
  EXPECT_FALSE(Ws().params.roseMapColourSet);
  ASSERT_TRUE(Ws().LoadProject(project));
  EXPECT_TRUE(Ws().params.roseMapColourSet);
  EXPECT_EQ(Ws().params.roseMapColour, kGreen);
  EXPECT_EQ(Ws().params.lineamentColour, MakeColor(0, 0, 200));
  EXPECT_EQ(Frame().LineamentsBar().Colour(), MakeColor(0, 0, 200));
  EXPECT_FALSE(Frame().RosesBar().ColourButton()->icon().isNull());
}

}  // namespace
}  // namespace linea
