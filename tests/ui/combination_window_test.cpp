// The rose combination and the field addition driven in the real window: two
// demo projects of equal geometry and different seeds combined by "Расчет", the
// maps of the combined roses compared with those linea-cli draws for a project
// holding the same roses, the question before the first project is taken, and
// "Сложить поля" over three maps.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/commands.h"
#include "app/image_viewer_app.h"
#include "app/image_viewer_doc.h"
#include "base/binary_io.h"
#include "base/string_table.h"
#include "cli/cli_commands.h"
#include "cli/cli_host.h"
#include "demo_generator.h"
#include "imaging/image.h"
#include "layers/raster_layer.h"
#include "project/workspace.h"
#include "program_window_fixture.h"
#include "scripted_qt_host.h"
#include "support/test_files.h"
#include "support/test_host.h"
#include "ui/add_layers_dlg.h"
#include "ui/image_viewer_view.h"
#include "ui/main_frame.h"
#include "ui/roses_combine_dlg.h"
#include "ui/roses_param_bar.h"

namespace linea {
namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;

std::vector<std::uint16_t> ReadRoses(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadBytes(path);
  std::vector<std::uint16_t> values(bytes.size() / 2);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = GetLE16(&bytes[2 * i]);
  return values;
}

// The sums of each rose's eight counts scaled to 400, a rose without counts left as it is.
std::vector<double> NormalisationFactors(const std::vector<std::uint16_t>& roses) {
  std::vector<double> factors(roses.size(), 1.0);
  for (std::size_t start = 0; start + 8 <= roses.size(); start += 8) {
    double sum = 0;
    for (std::size_t k = 0; k < 8; ++k) sum += roses[start + k];
    for (std::size_t k = 0; k < 8; ++k) factors[start + k] = sum == 0 ? 1.0 : 400.0 / sum;
  }
  return factors;
}

class CombinationWindowTest : public ProgramWindowTest {
 protected:
  // A synthetic greyscale demo of the common size; the seed moves its ridges.
  std::string Demo(const std::string& name, std::uint32_t seed, int width = kWidth, int height = kHeight) {
    DemoGeneratorOptions options;
    options.width = width;
    options.height = height;
    options.seed = seed;
    options.roseWindow = 32;
    options.outPath = folder.File(name + ".orw");
    EXPECT_EQ(GenerateDemoProject(quiet, options), 0);
    return options.outPath;
  }

  CRosesCombineDlg& Panel() { return Frame().CombineBar(); }
  void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
  }
  void AddProject(const std::string& path) {
    host.OpenFile(path);
    Click(Panel().AddButton());
  }
  // What the view shows, composed from the stack as it paints.
  const CImage& Shown() {
    app->View().Refresh();
    QTest::qWait(20);
    EXPECT_TRUE(Ws().layerStack.ComposeLayers(Ws().Composition()));
    return Ws().layerStack.CompositionImage();
  }
  // linea-cli's render of a density map of `project`.
  CImage CliDensityMap(const std::string& project) {
    const std::string output = folder.File("cli.bmp");
    std::FILE* errors = std::tmpfile();
    int code;
    {
      CCliHost cliHost(errors);
      code = RunCli({"render", project, "-o", output, "--map", "density"}, cliHost, errors, errors);
    }
    std::fclose(errors);
    EXPECT_EQ(code, 0);
    CImage image;
    EXPECT_TRUE(image.Load(output));
    return image;
  }
  // A combination project written without the window: the geometry of the demos
  // and `roses` as its window roses.
  std::string ProjectHolding(const std::vector<std::uint16_t>& roses, const std::string& name) {
    CWorkspace workspace(quiet);
    workspace.rosesCombination = true;
    workspace.imageType = 1;
    workspace.params.rose_wind = 32;
    workspace.results.SetImageGeometry(kWidth, kHeight, 1, 1);
    workspace.results.SetGridFromRate(1.0);
    workspace.results.windowRoses = roses;
    workspace.results.hasWindowRoses = true;
    const std::string path = folder.File(name + ".orw");
    EXPECT_EQ(workspace.SaveProject(path), 0);
    return path;
  }
  static void ExpectSamePixels(const CImage& shown, const CImage& expected) {
    ASSERT_EQ(shown.GetWidth(), expected.GetWidth());
    ASSERT_EQ(shown.GetHeight(), expected.GetHeight());
    ASSERT_EQ(shown.GetBitsPerPixel(), 24);
    ASSERT_EQ(expected.GetBitsPerPixel(), 24);
    int differing = 0;
    for (int y = 0; y < shown.GetHeight(); ++y)
      for (int x = 0; x < shown.GetWidth() * 3; ++x) differing += shown.Row(y)[x] != expected.Row(y)[x];
    EXPECT_EQ(differing, 0);
  }
  // Combines two demos in the chosen mode and shows the density map of the result.
  void CombineAndShow(const std::string& a, const std::string& b, bool difference, bool normalise) {
    StartProgram();
    Choose(32782);
    AddProject(a);
    AddProject(b);
    ASSERT_EQ(Ws().combinedProjects.size(), 2u);
    Click(difference ? Panel().DifferenceRadio() : Panel().UnionRadio());
    if (normalise) Click(Panel().NormalisationBox());
    EXPECT_EQ(Panel().Normalisation(), normalise);
    Click(Panel().CalculateButton());
    EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
    ASSERT_TRUE(Ws().results.hasWindowRoses);
    EXPECT_FALSE(Frame().RosesDock().isHidden());
    Click(Frame().RosesBar().ShowButton());
    EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
    ASSERT_NE(Ws().layerStack.FindLayer("Розы 0"), nullptr);
  }
};

TEST_F(CombinationWindowTest, DifferenceOfTwoProjectsDrawsTheMapOfTheDifference) {
  const std::string a = Demo("a", 1), b = Demo("b", 7);
  const std::vector<std::uint16_t> ra = ReadRoses(folder.File("a.ros")), rb = ReadRoses(folder.File("b.ros"));
  ASSERT_EQ(ra.size(), rb.size());
  ASSERT_NE(ra, rb);
  std::vector<std::uint16_t> difference(ra.size());
  for (std::size_t i = 0; i < ra.size(); ++i) difference[i] = std::uint16_t(std::abs(int(rb[i]) - int(ra[i])));

  CombineAndShow(a, b, true, false);
  EXPECT_EQ(Ws().results.windowRoses, difference);
  EXPECT_EQ(Ws().results.imageWidth, std::uint32_t(kWidth));
  // The map says it was built from combined roses.
  EXPECT_NE(Ws().layerStack.FindLayer("Розы 0")->GetDescription().find("CombinedRoses, "), std::string::npos);
  ExpectSamePixels(Shown(), CliDensityMap(ProjectHolding(difference, "expected")));
  EXPECT_TRUE(app->Document().IsModified());
  // A picture of the window for a person to look at, when one is asked for.
  if (const char* picture = std::getenv("LINEA_COMBINATION_PICTURE"))
    EXPECT_TRUE(Frame().grab().save(QString::fromLocal8Bit(picture), "PNG"));
}

TEST_F(CombinationWindowTest, NormalisedUnionDrawsTheMapOfTheNormalisedMean) {
  const std::string a = Demo("a", 2), b = Demo("b", 5);
  const std::vector<std::uint16_t> ra = ReadRoses(folder.File("a.ros")), rb = ReadRoses(folder.File("b.ros"));
  const std::vector<double> fa = NormalisationFactors(ra), fb = NormalisationFactors(rb);
  std::vector<std::uint16_t> mean(ra.size());
  for (std::size_t i = 0; i < ra.size(); ++i) mean[i] = std::uint16_t(std::trunc((ra[i] * fa[i] + rb[i] * fb[i]) / 2));

  CombineAndShow(a, b, false, true);
  EXPECT_EQ(Ws().results.windowRoses, mean);
  ExpectSamePixels(Shown(), CliDensityMap(ProjectHolding(mean, "expected")));
}

TEST_F(CombinationWindowTest, TooFewProjectsForTheModeShowTheirMessageAndChangeNothing) {
  const std::string a = Demo("a", 1);
  StartProgram();
  Choose(32782);
  AddProject(a);
  Click(Panel().CalculateButton());  // the union is chosen when the panel opens
  Click(Panel().DifferenceRadio());
  Click(Panel().CalculateButton());
  AddProject(a);
  AddProject(a);
  ASSERT_EQ(Ws().combinedProjects.size(), 3u);
  Click(Panel().CalculateButton());
  EXPECT_EQ(host.MessageTexts(), (std::vector<std::string>{LoadText(32813), LoadText(32814), LoadText(32814)}));
  EXPECT_FALSE(Ws().results.hasWindowRoses);
  EXPECT_TRUE(Frame().RosesDock().isHidden());
  EXPECT_FALSE(app->Document().IsModified());
}

TEST_F(CombinationWindowTest, AModifiedProjectIsOfferedForSavingBeforeTheFirstProjectAndCancelKeepsIt) {
  const std::string a = Demo("a", 1), b = Demo("b", 7);
  StartProgram(a);
  host.messageAnswers = {MessageAnswer::Yes};  // the window roses go with the switch
  Choose(32782);
  ASSERT_TRUE(Ws().rosesCombination);
  app->Document().SetModifiedFlag(true);
  const int layers = Ws().layerStack.LayerCount();
  ASSERT_GT(layers, 0);

  host.messages.clear();
  host.messageAnswers = {MessageAnswer::Cancel};
  AddProject(b);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Сохранить изменения в a.orw?");
  EXPECT_TRUE(Ws().combinedProjects.empty());
  EXPECT_EQ(Panel().List()->count(), 0);
  EXPECT_EQ(Ws().layerStack.LayerCount(), layers);
  EXPECT_EQ(app->Document().PathName(), a);
  EXPECT_TRUE(app->Document().IsModified());

  host.messageAnswers = {MessageAnswer::No};
  AddProject(b);
  ASSERT_EQ(Ws().combinedProjects.size(), 1u);
  EXPECT_EQ(Panel().List()->count(), 1);
  EXPECT_EQ(Ws().layerStack.LayerCount(), 0);
  EXPECT_TRUE(app->Document().PathName().empty());
  // The second project is taken without a question.
  AddProject(a);
  EXPECT_EQ(Ws().combinedProjects.size(), 2u);
  EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(CombinationWindowTest, ASavedCombinationReopensAndShowsTheSameMap) {
  const std::string a = Demo("a", 3), b = Demo("b", 4);
  CombineAndShow(a, b, true, true);
  const CImage before = Shown();
  const std::vector<std::uint16_t> roses = Ws().results.windowRoses;

  const std::string saved = folder.File("combined.orw");
  host.saveFiles.push_back(ChosenFile{saved, 0});
  Choose(57604);
  EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
  EXPECT_FALSE(app->Document().IsModified());
  ASSERT_TRUE(FileExists(folder.File("combined.ros")));
  EXPECT_EQ(ReadRoses(folder.File("combined.ros")), roses);

  // Opened again in a new window: the combination panel, the roses and the map.
  app.reset();
  StartProgram(saved);
  EXPECT_TRUE(Ws().rosesCombination);
  EXPECT_FALSE(Frame().CombineDock().isHidden());
  EXPECT_EQ(Ws().results.windowRoses, roses);
  Choose(32775);
  Click(Frame().RosesBar().ShowButton());
  EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
  ASSERT_NE(Ws().layerStack.FindLayer("Розы 0"), nullptr);
  EXPECT_NE(Ws().layerStack.FindLayer("Розы 0")->GetDescription().find("CombinedRoses, "), std::string::npos);
  ExpectSamePixels(Shown(), before);
}

TEST_F(CombinationWindowTest, RosesOfAnotherSizeThanTheOpenedProjectMakeANewProject) {
  const std::string a = Demo("a", 1), b = Demo("b", 7), other = Demo("other", 3, 200, 120);
  StartProgram();
  Choose(32782);
  AddProject(a);
  AddProject(b);
  Click(Panel().DifferenceRadio());
  // A project of another size opened over the list, and the combination mode chosen again.
  host.OpenFile(other);
  Choose(57601);
  ASSERT_EQ(app->Document().PathName(), other);
  ASSERT_EQ(Ws().combinedProjects.size(), 2u);
  host.messageAnswers = {MessageAnswer::Yes};
  Choose(32782);
  ASSERT_TRUE(Ws().rosesCombination);
  app->Document().SetModifiedFlag(true);
  const int layers = Ws().layerStack.LayerCount();
  host.messages.clear();

  host.messageAnswers = {MessageAnswer::Cancel};
  Click(Panel().CalculateButton());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Сохранить изменения в other.orw?");
  EXPECT_FALSE(Ws().results.hasWindowRoses);
  EXPECT_EQ(Ws().results.imageWidth, 200u);
  EXPECT_EQ(Ws().layerStack.LayerCount(), layers);
  EXPECT_EQ(app->Document().PathName(), other);

  host.messageAnswers = {MessageAnswer::No};
  Click(Panel().CalculateButton());
  EXPECT_EQ(host.messages.size(), 2u);
  EXPECT_TRUE(Ws().results.hasWindowRoses);
  EXPECT_EQ(Ws().results.imageWidth, std::uint32_t(kWidth));
  EXPECT_EQ(Ws().layerStack.LayerCount(), 0);
  EXPECT_TRUE(app->Document().PathName().empty());
  EXPECT_EQ(Ws().combinedProjects.size(), 2u);
}

// ---- field addition ----

class FieldAdditionWindowTest : public CombinationWindowTest {
 protected:
  // The demo with three maps of its window roses: density, and two further kinds.
  void StartWithThreeMaps() {
    StartProgram(Demo("a", 1));
    Choose(32775);
    CRosesParamBar& roses = Frame().RosesBar();
    Click(roses.ShowButton());
    roses.KindList()->setCurrentIndex(1);
    Click(roses.NewLayerButton());
    roses.KindList()->setCurrentIndex(2);
    Click(roses.NewLayerButton());
    ASSERT_TRUE(host.messages.empty()) << host.messages.front().text;
    for (const char* name : {"Розы 0", "Розы 1", "Розы 2"}) ASSERT_NE(Map(name), nullptr) << name;
  }
  const CRasterLayer* Map(const std::string& name) {
    return dynamic_cast<const CRasterLayer*>(Ws().layerStack.FindLayer(name));
  }
  static std::vector<std::string> Items(const QListWidget* list) {
    std::vector<std::string> names;
    for (int i = 0; i < list->count(); ++i) names.push_back(list->item(i)->text().toStdString());
    return names;
  }
  static void DoubleClick(QListWidget* list, const char* name) {
    const auto found = list->findItems(QString::fromUtf8(name), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name;
    const QRect rect = list->visualItemRect(found.front());
    // The view takes a double-click on the item it saw pressed.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
  }
};

TEST_F(FieldAdditionWindowTest, TwoMapsAddedAndOneSubtractedGiveTheSummedField) {
  StartWithThreeMaps();
  std::vector<std::string> candidates;
  host.dialogSteps.push_back([&](QDialog& dialog) {
    auto& add = dynamic_cast<CAddLayers&>(dialog);
    add.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&add));
    candidates = Items(add.CandidateList());
    EXPECT_TRUE(add.AddRadio()->isChecked());
    DoubleClick(add.CandidateList(), "Розы 0");
    DoubleClick(add.CandidateList(), "Розы 2");
    Click(add.SubtractRadio());
    DoubleClick(add.CandidateList(), "Розы 1");
    EXPECT_EQ(Items(add.PlusList()), (std::vector<std::string>{"Розы 0", "Розы 2"}));
    EXPECT_EQ(Items(add.MinusList()), (std::vector<std::string>{"Розы 1"}));
    EXPECT_EQ(add.CandidateList()->count(), 0);
    QTest::mouseClick(add.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
  });
  host.layerNames.push_back("Сумма");
  Choose(32858);
  EXPECT_EQ(host.dialogsRun, 1);
  EXPECT_TRUE(host.layerNames.empty());
  // Only the class maps can take part; the base image is not one.
  EXPECT_EQ(candidates, (std::vector<std::string>{"Розы 0", "Розы 1", "Розы 2"}));
  ASSERT_TRUE(host.messages.empty()) << host.messages.front().text;
  const CRasterLayer* sum = Map("Сумма");
  ASSERT_NE(sum, nullptr);

  // The field, pixel by pixel, as the accumulator rule gives it.
  const CRasterLayer* maps[] = {Map("Розы 0"), Map("Розы 2"), Map("Розы 1")};
  const int width = maps[0]->Image().GetWidth(), height = maps[0]->Image().GetHeight();
  std::vector<float> field(std::size_t(width) * height, 0.0f);
  for (int m = 0; m < 3; ++m) {
    const float w = float(maps[m]->classWidth), f = float(maps[m]->From);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        float& value = field[std::size_t(y) * width + x];
        const int c = maps[m]->Image().Row(y)[x];
        if (value == -31999.0f) continue;
        if (c == 0) value = -31999.0f;
        else if (m < 2) value += float(c) * w + f;
        else value -= float(c) * w + f;
      }
  }
  float lo = 0, hi = -31998.0f;
  for (float v : field)
    if (v != -31999.0f && v > hi) hi = v;
  if (hi == -31998.0f) hi = 0;
  else {
    lo = hi;
    for (float v : field)
      if (v != -31999.0f && v < lo) lo = v;
  }
  ASSERT_LT(lo, hi);
  const double d = double(hi) - double(lo);
  const double scale = d <= 254 ? 1.0 : 254.0 / d;
  EXPECT_EQ(sum->From, int(std::trunc(lo)));
  EXPECT_EQ(sum->To, int(std::trunc(hi)));
  EXPECT_EQ(sum->classes, d <= 254 ? int(std::trunc(d + 1.0)) : 255);
  EXPECT_DOUBLE_EQ(sum->classWidth, 1.0 / scale);
  EXPECT_EQ(sum->GetDescription().rfind(FormatText("AUTO scale, From %d To %d, ", sum->From, sum->To), 0), 0u);
  EXPECT_NE(sum->GetDescription().find("\n Subtract : " + maps[2]->GetDescription()), std::string::npos);

  int empty = 0, checked = 0;
  for (int y = 0; y < height; y += 7)
    for (int x = 0; x < width; x += 11) {
      const float v = field[std::size_t(y) * width + x];
      int expected = 0;
      if (v != -31999.0f) {
        expected = std::min(255, int(std::trunc((double(v) - double(lo)) * scale + 0.5)));
        if (expected == 0) expected = 1;
      } else {
        ++empty;
      }
      EXPECT_EQ(sum->Image().Row(y)[x], expected) << x << "," << y;
      ++checked;
    }
  EXPECT_GT(checked - empty, 100);
}

TEST_F(FieldAdditionWindowTest, CancelledDialogOrNameAddsNothingAndTheCommandNeedsAMap) {
  StartProgram(Demo("a", 1));
  app->Commands().UpdateCommandStates();
  EXPECT_FALSE(Action(32858)->isEnabled());
  Choose(32775);
  Click(Frame().RosesBar().ShowButton());
  Click(Frame().RosesBar().NewLayerButton());
  app->Commands().UpdateCommandStates();
  EXPECT_TRUE(Action(32858)->isEnabled());
  const int layers = Ws().layerStack.LayerCount();
  host.layerNames = {std::nullopt, std::string("Never")};

  // Cancel in the dialog: nothing is asked.
  host.dialogSteps.push_back([](QDialog& dialog) {
    auto& add = dynamic_cast<CAddLayers&>(dialog);
    add.Choose("Розы 0");
    dialog.reject();
  });
  Choose(32858);
  // OK with a map chosen, then Cancel of the name proposed as "Add".
  host.dialogSteps.push_back([](QDialog& dialog) {
    auto& add = dynamic_cast<CAddLayers&>(dialog);
    EXPECT_TRUE(add.Choose("Розы 1"));
    EXPECT_FALSE(add.Choose("Розы 1"));  // it left the list
    dialog.accept();
  });
  Choose(32858);
  // OK with both lists empty: no name is asked.
  host.dialogSteps.push_back([](QDialog& dialog) { dialog.accept(); });
  Choose(32858);
  EXPECT_EQ(host.dialogsRun, 3);
  // Only the second asked for the name.
  ASSERT_EQ(host.layerNames.size(), 1u);
  EXPECT_EQ(host.layerNames.front(), "Never");
  EXPECT_EQ(Ws().layerStack.LayerCount(), layers);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(FieldAdditionWindowTest, OneMapSubtractedAloneIsTakenFromZero) {
  StartProgram(Demo("a", 1));
  Choose(32775);
  Click(Frame().RosesBar().ShowButton());
  Click(Frame().RosesBar().NewLayerButton());
  host.dialogSteps.push_back([](QDialog& dialog) {
    auto& add = dynamic_cast<CAddLayers&>(dialog);
    add.SubtractRadio()->setChecked(true);
    add.Choose("Розы 0");
    dialog.accept();
  });
  host.layerNames.push_back("Add");
  Choose(32858);
  EXPECT_TRUE(host.layerNames.empty());
  const CRasterLayer* source = Map("Розы 0");
  const CRasterLayer* result = Map("Add");
  ASSERT_NE(result, nullptr);
  // Negated values: the largest becomes the smallest.
  const float w = float(source->classWidth), f = float(source->From);
  int lowestClass = 255;
  const CImage& image = source->Image();
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x)
      if (image.Row(y)[x] != 0) lowestClass = std::min<int>(lowestClass, image.Row(y)[x]);
  EXPECT_EQ(result->To, int(std::trunc(-(float(lowestClass) * w + f))));
  EXPECT_LT(result->From, 0);
}

TEST(AddLayersDialog, ShowsItsTextsAndStartsWithSumming) {
  CAddLayers dialog(nullptr, {"Розы 0", "Розы 1"});
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Сложить слои");
  std::vector<std::string> labels;
  for (const char* name : {"candidateLabel", "plusLabel", "minusLabel"})
    labels.push_back(dialog.findChild<QLabel*>(name)->text().toStdString());
  EXPECT_EQ(labels, (std::vector<std::string>{"Выбрать слои", "Список +", "Список -"}));
  EXPECT_EQ(dialog.AddRadio()->text().toStdString(), "сложить");
  EXPECT_EQ(dialog.SubtractRadio()->text().toStdString(), "вычесть");
  EXPECT_TRUE(dialog.AddRadio()->isChecked());
  EXPECT_EQ(dialog.CandidateList()->count(), 2);
  EXPECT_FALSE(dialog.Choose("Исходное"));
  // OK runs the addition with both lists, once.
  int runs = 0;
  std::vector<std::string> plus;
  dialog.addFields = [&](const std::vector<std::string>& p, const std::vector<std::string>& m) {
    ++runs;
    plus = p;
    EXPECT_TRUE(m.empty());
  };
  dialog.Choose("Розы 1");
  dialog.accept();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(plus, (std::vector<std::string>{"Розы 1"}));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace linea
