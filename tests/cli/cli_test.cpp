// linea-cli: info, render with every layer kind and its options, compress, and
// the failures a user sees on standard error.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli_support.h"
#include "imaging/image.h"
#include "project/save_settings.h"
#include "support/test_files.h"

namespace linea {
namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { project = MakeDemo(folder.Path(), "g", "grey", 160, 120); }

  // Renders with the given options; the exit code is checked to be `expected`.
  CliRun Render(std::vector<std::string> options, const std::string& output = "out.png", int expected = 0) {
    std::vector<std::string> arguments = {"render", project, "-o", folder.File(output)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    CliRun run = RunCliCaptured(arguments);
    EXPECT_EQ(run.exitCode, expected) << run.errors;
    return run;
  }
  std::uint64_t RenderChecksum(std::vector<std::string> options) {
    Render(options);
    return PixelChecksum(LoadRender(folder.File("out.png")));
  }
  std::string Describe(std::vector<std::string> options) {
    options.push_back("--describe");
    options.push_back(folder.File("out.txo"));
    Render(options);
    return ReadTextFile(folder.File("out.txo"));
  }

  CTempFolder folder;
  std::string project;
};

TEST_F(CliTest, InfoPrintsGeometryFlagsAndStartingLayers) {
  const CliRun run = RunCliCaptured({"info", project});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "type: 1\nwidth: 160\nheight: 120\ngrid width: 160\ngrid height: 120\nrate: 1\n"
            "stripes: 1\nglobal rose: 1\nwindow roses: 1\nblock roses: 1\nlineaments: 1\nrose window: 64\n"
            "layer: Исходное\nlayer: Блоки\nlayer: Маска\n");
  EXPECT_EQ(run.errors, "");
}

TEST_F(CliTest, EveryLayerKindChangesThePictureAndAddsItsDescription) {
  const std::vector<std::string> hideOverlays = {"--hide", "Блоки", "--hide", "Маска"};
  auto with = [&](std::vector<std::string> options) {
    options.insert(options.end(), hideOverlays.begin(), hideOverlays.end());
    return options;
  };
  const std::uint64_t base = RenderChecksum(with({}));
  const CImage picture = LoadRender(folder.File("out.png"));
  EXPECT_EQ(picture.GetWidth(), 160);
  EXPECT_EQ(picture.GetHeight(), 120);
  EXPECT_EQ(picture.GetBitsPerPixel(), 24);

  const std::string baseText = Describe(with({}));
  EXPECT_EQ(baseText, "160x120x8 GREYSCALE g.tif\n");
  // The map's own range, for a band inside it.
  const std::string mapText = Describe(with({"--map", "a"}));
  std::smatch range;
  ASSERT_TRUE(std::regex_search(mapText, range, std::regex("From (\\d+) To (\\d+)"))) << mapText;
  const int lo = std::stoi(range[1]), hi = std::stoi(range[2]);
  const std::string bandFrom = std::to_string((lo + hi) / 2), bandTo = std::to_string(hi);

  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--stripes"}, "Stripes ("},
      {{"--global-rose"}, "Global Rose ("},
      {{"--block-roses"}, "Block Roses ("},
      {{"--map", "density"}, "DENSITY ("},
      {{"--map", "r", "--scaling", "auto"}, "ELONGATION ("},
      {{"--map", "1", "--local"}, "DENSITY 1 ("},
      {{"--map", "z", "--rose-step", "2"}, "ROSES"},
      {{"--map", "v", "--vector-step", "3", "--vector-size", "2"}, "ELONGATION VECTOR"},
      {{"--lineaments", "--threshold", "0"}, "Lineaments"},
      {{"--lineaments", "--rose", "--beams", "36", "--window", "5"}, "LineamentRose"},
      {{"--map", "a", "--isolines"}, "Isolines ("},
      {{"--map", "a", "--band", bandFrom, bandTo, "--color", "00ff00"}, "ColorBand ("},
      {{"--map", "a", "--extremum", "max", "--width", "5"}, "ExtremumBand ("},
  };
  for (const auto& [options, description] : cases) {
    const std::string joined = options[0] + " " + (options.size() > 1 ? options[1] : "");
    EXPECT_NE(RenderChecksum(with(options)), base) << joined;
    const std::string text = Describe(with(options));
    // A map takes the base raster's place at the top; other layers follow it.
    EXPECT_TRUE(text.rfind(description, 0) == 0 || text.find("\n" + description) != std::string::npos)
        << joined << "\n" << text;
  }
}

TEST_F(CliTest, LayersAreBuiltInTheOrderGivenAndLaterMapsAreNewLayers) {
  // A second map is "Розы 1" and, being a raster, hides "Розы 0" as in the layers bar.
  const std::string text = Describe({"--map", "a", "--map", "r", "--hide", "Блоки", "--hide", "Маска"});
  EXPECT_EQ(text.find("DENSITY ("), std::string::npos) << text;
  EXPECT_EQ(text.rfind("ELONGATION (", 0), 0u) << text;
  // Hiding the first map by name after both are built leaves the second.
  Render({"--map", "a", "--map", "r", "--hide", "Розы 0"});
  Render({"--map", "a", "--hide", "Розы 1"}, "out.png", 1);
}

TEST_F(CliTest, PaletteOptionsRecolourTheMapButKeepItsClasses) {
  const std::vector<std::string> hide = {"--hide", "Блоки", "--hide", "Маска"};
  auto map = [&](std::vector<std::string> palette) {
    std::vector<std::string> options = {"--map", "a"};
    options.insert(options.end(), palette.begin(), palette.end());
    options.insert(options.end(), hide.begin(), hide.end());
    return options;
  };
  const std::uint64_t plain = RenderChecksum(map({}));
  EXPECT_EQ(RenderChecksum(map({"--steps", "8"})), plain);  // the default number of steps
  EXPECT_NE(RenderChecksum(map({"--steps", "4"})), plain);
  EXPECT_NE(RenderChecksum(map({"--palette", "grey"})), plain);
  EXPECT_NE(RenderChecksum(map({"--equal-area"})), plain);
  // A grey palette paints grey pixels only.
  Render(map({"--palette", "grey", "--steps", "5"}));
  const CImage picture = LoadRender(folder.File("out.png"));
  for (int y = 0; y < 120; y += 5)
    for (int x = 0; x < 160; x += 5) {
      const std::uint32_t c = picture.GetColorFromPixel(x, y);
      ASSERT_EQ(c & 0xFF, (c >> 8) & 0xFF) << x << "," << y;
      ASSERT_EQ(c & 0xFF, (c >> 16) & 0xFF) << x << "," << y;
    }
}

TEST_F(CliTest, HidingEveryLayerGivesTheWhitePicture) {
  Render({"--hide", "Исходное", "--hide", "Блоки", "--hide", "Маска"});
  const CImage picture = LoadRender(folder.File("out.png"));
  for (int y = 0; y < picture.GetHeight(); y += 7)
    for (int x = 0; x < picture.GetWidth(); x += 7) ASSERT_EQ(picture.GetColorFromPixel(x, y), 0xFFFFFFu);
}

TEST_F(CliTest, ZoomScalesByNearestNeighbour) {
  Render({"--hide", "Блоки", "--hide", "Маска"}, "full.png");
  Render({"--hide", "Блоки", "--hide", "Маска", "--zoom", "0.5"}, "half.png");
  Render({"--hide", "Блоки", "--hide", "Маска", "--zoom", "1.5"}, "large.png");
  const CImage full = LoadRender(folder.File("full.png"));
  const CImage half = LoadRender(folder.File("half.png"));
  const CImage large = LoadRender(folder.File("large.png"));
  ASSERT_EQ(half.GetWidth(), 80);
  ASSERT_EQ(half.GetHeight(), 60);
  ASSERT_EQ(large.GetWidth(), 240);
  ASSERT_EQ(large.GetHeight(), 180);
  for (int y = 0; y < 60; y += 3)
    for (int x = 0; x < 80; x += 3) ASSERT_EQ(half.GetColorFromPixel(x, y), full.GetColorFromPixel(2 * x, 2 * y));
  for (int y = 0; y < 180; y += 5)
    for (int x = 0; x < 240; x += 5)
      ASSERT_EQ(large.GetColorFromPixel(x, y), full.GetColorFromPixel(int(x / 1.5), int(y / 1.5)));
  EXPECT_EQ(Render({"--zoom", "0"}, "x.png", 2).exitCode, 2);
}

TEST(CliScaleNearest, SourcePixelIsTheTruncatedQuotient) {
  CImage source;
  ASSERT_TRUE(source.Create(3, 2, 24));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) source.Fill(x, y, 1, 1, MakeColor(std::uint8_t(10 * x), std::uint8_t(100 + y), 0));
  CImage target;
  ASSERT_TRUE(ScaleNearest(source, 1.5, target));
  ASSERT_EQ(target.GetWidth(), 4);
  ASSERT_EQ(target.GetHeight(), 3);
  const int columns[4] = {0, 0, 1, 2}, rows[3] = {0, 0, 1};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(target.GetColorFromPixel(x, y), source.GetColorFromPixel(columns[x], rows[y])) << x << "," << y;
  EXPECT_FALSE(ScaleNearest(source, 0.1, target));  // nothing left
}

TEST_F(CliTest, WorldFileOnlyForGeoreferencedProjects) {
  Render({});
  EXPECT_FALSE(FileExists(folder.File("out.pgw")));

  CSaveSettings settings;
  settings.upperLeftX = 1000;
  settings.upperLeftY = 5400;
  settings.lowerRightX = 1600;
  settings.resolutionX = 10;
  settings.resolutionY = -10;
  EXPECT_EQ(WorldFileText(settings, 2.0),
            "5.0000000000\n0.0000000000\n0.0000000000\n-5.0000000000\n1002.5000000000\n5397.5000000000\n");
  EXPECT_EQ(WorldFileText(CSaveSettings{}, 1.0), "");
}

TEST_F(CliTest, GeoreferencedElevationModelGetsAWorldFileThatReadsBack) {
  const std::string dtm = MakeDemo(folder.Path(), "m", "dtm", 60, 40);
  const CliRun run = RunCliCaptured({"render", dtm, "-o", folder.File("m.tif"), "--highlight", "--zoom", "2"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  // Without --extent the grid's extent is its cells: one unit each, north up. The
  // world file names the centre of the upper-left (half-unit) pixel.
  EXPECT_EQ(ReadTextFile(folder.File("m.tfw")),
            "0.5000000000\n0.0000000000\n0.0000000000\n-0.5000000000\n0.2500000000\n39.7500000000\n");
}

TEST_F(CliTest, FailuresShowTheProgramsMessagesAndExitNonZero) {
  CliRun run = RunCliCaptured({"info", folder.File("none.orw")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors, "Не удается загрузить проект.\n");

  EXPECT_EQ(Render({"--map", "a", "--rose-step", "0"}, "x.png", 1).errors,
            "Значение параметра Rose Step должно быть от 1 до 100.\n");
  EXPECT_EQ(Render({"--map", "a", "--scaling", "manual", "--from", "5", "--to", "2"}, "x.png", 1).errors,
            "Значение параметра From должно быть меньше значения параметра To.\n");
  EXPECT_EQ(Render({"--map", "a", "--min-elongation", "0"}, "x.png", 1).errors,
            "Значение параметра Min Elongation должно быть от 0 до 10.\n");
  EXPECT_EQ(Render({"--map", "a", "--steps", "17"}, "x.png", 1).errors,
            "Значение параметра Quants должно быть от 1 до 16.\n");
  EXPECT_EQ(Render({"--map", "a", "--brightness", "0.05"}, "x.png", 1).errors,
            "Значение параметра Contrast должно быть от 0 до 2.\n");
  EXPECT_EQ(Render({"--lineaments", "--sector", "9", "--sectors", "8"}, "x.png", 1).errors,
            "Значение параметра Select должно быть от 0 до 8.\n");
  EXPECT_EQ(Render({"--lineaments", "--range", "10", "5"}, "x.png", 1).errors,
            "Значение параметра From должно быть меньше значения параметра To.\n");
  EXPECT_EQ(Render({"--map", "a", "--extremum", "min", "--width", "5", "--range", "0.5"}, "x.png", 1).errors,
            "Значение параметра Range должно быть больше или равно 1.\n");
  EXPECT_EQ(Render({"--map", "a", "--extremum", "max", "--width", "21"}, "x.png", 1).errors,
            "Значение параметра Width должно быть от 1 до 20.\n");
  EXPECT_EQ(Render({"--highlight"}, "x.png", 1).errors, "Массив данных пуст.\n");
  EXPECT_FALSE(FileExists(folder.File("x.png")));

  const std::string unwritable = folder.File("no-folder/out.png");
  run = RunCliCaptured({"render", project, "-o", unwritable});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors, "Не удается записать файл. " + unwritable + "\n");

  // Command lines that cannot be understood: exit 2 with the usage.
  EXPECT_EQ(Render({"--map", "nothing"}, "x.png", 2).exitCode, 2);
  EXPECT_EQ(Render({"--isolines"}, "x.png", 2).exitCode, 2);
  EXPECT_EQ(Render({"--map", "a", "--local"}, "x.png", 2).exitCode, 2);  // density is not offered locally
  EXPECT_EQ(Render({"--stripes", "--steps", "3"}, "x.png", 2).exitCode, 2);
  EXPECT_EQ(RunCliCaptured({"render", project, "-o", folder.File("x.jpg")}).exitCode, 2);
  EXPECT_EQ(RunCliCaptured({"paint", project}).exitCode, 2);
}

TEST_F(CliTest, MissingResultsAreReportedByTheirMessages) {
  const std::string text = ReadTextFile(project);
  WriteTextFile(project, Replace(text, "Calculated = 1", "Calculated = 0"));
  EXPECT_EQ(Render({"--map", "a"}, "x.png", 1).errors, "Массив Роз пуст.\n");
  EXPECT_EQ(Render({"--stripes"}, "x.png", 1).errors, "Массив Штрихов пуст.\n");
  EXPECT_EQ(Render({"--block-roses"}, "x.png", 1).errors, "Не заданы Блоки.\n");
  EXPECT_EQ(Render({"--lineaments"}, "x.png", 1).errors, "Массив данных пуст.\n");
}

TEST_F(CliTest, ProjectWrittenOnWindowsRendersTheSame) {
  const std::vector<std::string> options = {"--stripes", "--map", "a", "--global-rose"};
  const std::uint64_t here = RenderChecksum(options);
  const std::string hereText = Describe(options);
  std::string text = ReadTextFile(project);
  text = Replace(text, "BaseImage = g.tif", "BaseImage = D:\\maps\\old\\g.tif");
  text = Replace(text, "BlocksImage = g_blocks.bmp", "BlocksImage = D:\\maps\\old\\g_blocks.bmp");
  text = Replace(text, "MaskImage = g_mask.bmp", "MaskImage = g_mask.bmp");
  text = Replace(text, "\n", "\r\n");
  ASSERT_NE(text.find("D:\\maps\\old\\g.tif\r\n"), std::string::npos);
  WriteTextFile(project, text);
  const CliRun info = RunCliCaptured({"info", project});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_NE(info.out.find("layer: Блоки\n"), std::string::npos);
  EXPECT_EQ(RenderChecksum(options), here);
  EXPECT_EQ(Describe(options), hereText);
}

TEST_F(CliTest, MissingBaseRasterKeepsTheProjectsGeometry) {
  std::filesystem::remove(folder.File("g.tif"));
  const CliRun info = RunCliCaptured({"info", project});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_NE(info.out.find("width: 160\nheight: 120\ngrid width: 160\ngrid height: 120\n"), std::string::npos)
      << info.out;
  EXPECT_NE(info.errors.find("Не удается загрузить изображение."), std::string::npos) << info.errors;
  const CliRun run = Render({"--stripes", "--hide", "Блоки", "--hide", "Маска"});
  const CImage picture = LoadRender(folder.File("out.png"));
  EXPECT_EQ(picture.GetWidth(), 160);
  EXPECT_EQ(picture.GetHeight(), 120);
  // Stripes on the black of an empty picture: some pixels coloured, some black.
  int coloured = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) coloured += picture.GetColorFromPixel(x, y) != 0;
  EXPECT_GT(coloured, 0);
  EXPECT_LT(coloured, 160 * 120);
}

TEST_F(CliTest, CompressWritesTheReducedBaseImage) {
  CliRun run = RunCliCaptured({"compress", folder.File("g.tif"), "--factor", "2", "-o", folder.File("small.tif")});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  CImage small = LoadRender(folder.File("small.tif"));
  EXPECT_EQ(small.GetWidth(), 80);
  EXPECT_EQ(small.GetHeight(), 60);
  // A project works too; 1.3 is taken as 1.25.
  run = RunCliCaptured({"compress", project, "--factor", "1.3", "-o", folder.File("small.bmp")});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(LoadRender(folder.File("small.bmp")).GetWidth(), 128);

  run = RunCliCaptured({"compress", folder.File("g.tif"), "--factor", "0.5", "-o", folder.File("big.tif")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors, "Недопустимый коэффициент масштабирования.\n");
  EXPECT_FALSE(FileExists(folder.File("big.tif")));
  EXPECT_EQ(RunCliCaptured({"compress", folder.File("g.tif"), "--factor", "2", "-o", folder.File("s.grd")}).exitCode,
            2);
}

TEST(CliProgram, ExitCodesAndStandardError) {
  CTempFolder folder;
  const std::string errors = folder.File("errors.txt");
  int status = std::system((std::string(LINEA_CLI_PATH) + " info " + folder.File("none.orw") + " >/dev/null 2>" +
                            errors).c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(ReadTextFile(errors), "Не удается загрузить проект.\n");
  status = std::system((std::string(LINEA_CLI_PATH) + " --version >/dev/null").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  status = std::system((std::string(LINEA_CLI_PATH) + " render 2>/dev/null").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

TEST(CliOptions, MapKindsByCodeOrEnglishName) {
  EXPECT_EQ(ParseMapKind("a"), 'a');
  EXPECT_EQ(ParseMapKind("DENSITY"), 'a');
  EXPECT_EQ(ParseMapKind("density-3"), '3');
  EXPECT_EQ(ParseMapKind("main-direction-vector"), 'u');
  EXPECT_EQ(ParseMapKind("Rose Difference"), '{');
  EXPECT_EQ(ParseMapKind("9"), 0);
  EXPECT_EQ(ParseMapKind("colour"), 0);
  EXPECT_TRUE(MapKindOffered('b', true, true));
  EXPECT_FALSE(MapKindOffered('a', false, true));
}

TEST(CliOptions, LineamentOrderTurnsTheThresholdIntoAValue) {
  CalcParameters params;
  LineamentRequest request;
  request.order = true;
  request.threshold = 5;
  EXPECT_EQ(ApplyLineamentRequest(request, params), "");
  EXPECT_EQ(params.lineamentValue, 47);
  request.threshold = 60;
  EXPECT_EQ(ApplyLineamentRequest(request, params), "");
  EXPECT_EQ(params.lineamentValue, 0);
  request.order = false;
  EXPECT_EQ(ApplyLineamentRequest(request, params), "");
  EXPECT_EQ(params.lineamentValue, 60);
  EXPECT_EQ(params.lineamentSector, 0);  // all directions
}

}  // namespace
}  // namespace linea
