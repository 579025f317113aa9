// Golden renders of the three demo projects of scripts/run-demo: checksums of the
// composed pixels and the description texts, pinned in golden/demos.txt.
// Regenerate (after a deliberate change of a picture) with
//   LINEA_UPDATE_GOLDEN=1 <build>/tests/cli/linea_cli_tests --gtest_filter='DemoGolden*'
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdlib>
#include <map>
#include <sstream>

#include "base/app_host.h"
#include "cli_support.h"
#include "demo_generator.h"
#include "imaging/image.h"
#include "support/test_files.h"

namespace linea {
namespace {

const std::string kData = "/usr/share/doc/libterralib-dev/examples/data/";

struct GoldenCase {
  std::string name;
  std::vector<std::string> options;
};

struct GoldenRecord {
  std::string args, pixels, description;
};

std::string Join(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
  return text;
}

std::map<std::string, GoldenRecord> ReadGolden(const std::string& path) {
  std::map<std::string, GoldenRecord> records;
  std::istringstream in(FileExists(path) ? ReadTextFile(path) : std::string());
  std::string line, current;
  bool inDescription = false;
  while (std::getline(in, line)) {
    if (line.rfind("== ", 0) == 0) {
      current = line.substr(3);
      inDescription = false;
    } else if (current.empty()) {
      continue;
    } else if (inDescription) {
      records[current].description += line + "\n";
    } else if (line.rfind("args: ", 0) == 0) {
      records[current].args = line.substr(6);
    } else if (line.rfind("pixels: ", 0) == 0) {
      records[current].pixels = line.substr(8);
    } else if (line == "description:") {
      inDescription = true;
    }
  }
  return records;
}

// The three demos as scripts/run-demo makes them.
class DemoGolden : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new CTempFolder;
    available_ = FileExists(kData + "nat1.tif") && FileExists(kData + "elevation.raw");
    if (!available_) return;
    const std::string d = folder_->Path();
    const std::vector<std::vector<std::string>> demos = {
        {"--kind", "grey", "--base", kData + "nat1.tif", "--rate", "2", "--out", d + "grey.orw"},
        {"--kind", "dtm", "--base", kData + "elevation.raw", "--size", "382x422", "--extent", "183557", "195017",
         "8246277", "8258937", "--out", d + "dtm.orw"},
        {"--kind", "scheme", "--size", "1024x768", "--seed", "7", "--out", d + "scheme.orw"}};
    for (const auto& arguments : demos) {
      DemoGeneratorOptions options;
      ASSERT_EQ(ParseDemoArguments(arguments, options), "");
      CCliHostForGolden host;
      ASSERT_EQ(GenerateDemoProject(host, options), 0);
    }
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }

  // A host that keeps quiet: the demos make no messages, and a failure shows in the asserts.
  class CCliHostForGolden : public CAppHost {
   public:
    void ShowMessage(const std::string&, const std::string& text, MessageIcon) override { ADD_FAILURE() << text; }
    bool AskYesNo(const std::string&, const std::string& text, MessageIcon) override {
      ADD_FAILURE() << text;
      return false;
    }
    std::optional<std::string> AskLayerName(const std::string& proposed) override { return proposed; }
    ImageSizeAnswer AskImageSize(const ImageSizeAnswer& proposal) override { return proposal; }
  };

  static CTempFolder* folder_;
  static bool available_;
};
CTempFolder* DemoGolden::folder_ = nullptr;
bool DemoGolden::available_ = false;

TEST_F(DemoGolden, ComposedPixelsAndDescriptionsOfTheThreeDemos) {
  if (!available_) GTEST_SKIP() << "libterralib-doc is not installed (scripts/setup-deps installs it)";
  const std::vector<std::pair<std::string, std::vector<GoldenCase>>> demos = {
      {"grey",
       {{"opened", {}},
        {"stripes-roses", {"--stripes", "--global-rose", "--block-roses"}},
        {"density-band", {"--map", "density", "--band", "800", "1400", "--hide", "Блоки", "--hide", "Маска"}},
        {"elongation-vectors", {"--map", "v", "--vector-step", "4", "--hide", "Блоки", "--hide", "Маска"}},
        {"lineaments", {"--lineaments", "--threshold", "10", "--hide", "Блоки", "--hide", "Маска"}},
        {"zoomed", {"--stripes", "--zoom", "0.5"}}}},
      {"dtm",
       {{"opened", {}},
        {"highlight-stripes", {"--highlight", "--stripes", "--hide", "Блоки", "--hide", "Маска"}},
        {"main-direction-isolines", {"--map", "w", "--isolines", "--hide", "Блоки", "--hide", "Маска"}},
        {"lineament-rose", {"--lineaments", "--threshold", "10", "--rose", "--beams", "90", "--window", "9"}}}},
      {"scheme",
       {{"opened", {}},
        {"stripes-block-roses", {"--stripes", "--block-roses", "--hide", "Блоки"}},
        {"edge-extremum", {"--map", "p", "--extremum", "max", "--width", "20", "--hide", "Блоки", "--hide", "Маска"}},
        {"roses", {"--map", "z", "--rose-step", "4", "--rose-size", "1.5", "--hide", "Маска"}}}}};

  const bool update = std::getenv("LINEA_UPDATE_GOLDEN") != nullptr;
  const auto golden = ReadGolden(LINEA_GOLDEN_FILE);
  std::string written = "# Golden renders of the demo projects; see tests/cli/golden_test.cpp to regenerate.\n";
  for (const auto& [demo, cases] : demos) {
    for (const GoldenCase& c : cases) {
      const std::string key = demo + "/" + c.name;
      std::vector<std::string> arguments = {"render", folder_->File(demo + ".orw"), "-o", folder_->File("out.png"),
                                            "--describe", folder_->File("out.txo")};
      arguments.insert(arguments.end(), c.options.begin(), c.options.end());
      const CliRun run = RunCliCaptured(arguments);
      ASSERT_EQ(run.exitCode, 0) << key << ": " << run.errors;
      const CImage picture = LoadRender(folder_->File("out.png"));
      char pixels[64];
      std::snprintf(pixels, sizeof pixels, "%dx%d %016" PRIx64, picture.GetWidth(), picture.GetHeight(),
                    PixelChecksum(picture));
      const std::string description = ReadTextFile(folder_->File("out.txo"));
      written += "== " + key + "\nargs: " + Join(c.options) + "\npixels: " + pixels + "\ndescription:\n" + description;
      if (update) continue;
      const auto found = golden.find(key);
      ASSERT_NE(found, golden.end()) << key << " is not in " << LINEA_GOLDEN_FILE;
      EXPECT_EQ(found->second.args, Join(c.options)) << key;
      EXPECT_EQ(found->second.pixels, pixels) << key;
      EXPECT_EQ(found->second.description, description) << key;
    }
  }
  if (update) {
    WriteTextFile(LINEA_GOLDEN_FILE, written);
    std::printf("golden renders written to %s\n", LINEA_GOLDEN_FILE);
  }
}

}  // namespace
}  // namespace linea
