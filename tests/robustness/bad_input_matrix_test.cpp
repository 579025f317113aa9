// Every file reader against the same bad inputs: an empty file, a truncated one, one
// whose header announces far more than it holds, a folder, a file without read
// permission and a path that does not exist. Each gives its own message (or, where
// the reader is silent, none) and leaves the workspace as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/binary_io.h"
#include "base/string_table.h"
#include "imaging/image.h"
#include "imaging/image_codecs.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"
#include "layers/raster_import.h"
#include "layers/tiff_samples.h"
#include "project/workspace.h"
#include "results/results.h"
#include "robustness/bad_files.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kCannotLoadProject = 32838;
constexpr int kWrongVersion = 32854;
constexpr int kCannotLoadImage = 32839;
constexpr int kSizeMismatch = 32800;
constexpr int kOpenError = 32802;

Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string ImportMessage(const std::string& detail = {}) {
  return detail.empty() ? LoadText(kCannotLoadImage) : LoadText(kCannotLoadImage) + " " + detail;
}
std::string OpenErrorMessage(const std::string& path) {
  return ImportMessage(FormatText(LoadText(kOpenError).c_str(), path.c_str()));
}

CImage GreyImage(int width, int height) {
  CImage image;
  image.Create(width, height, 8);
  for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.Row(y)[x] = std::uint8_t(x * 7 + y * 11);
  return image;
}

Bytes Encoded(const CImage& image, int format) {
  Bytes bytes;
  EXPECT_TRUE(FindCodecByFormat(format)->write(image, bytes));
  return bytes;
}

std::vector<std::string> LayerNames(const CLayerStack& stack) {
  std::vector<std::string> names;
  for (int i = 0; i < stack.LayerCount(); ++i) names.push_back(stack.LayerAt(i)->GetName());
  return names;
}

// Runs `read` on the bad file, inside a permissions scope for the unreadable one.
// False when the case cannot be made here (the caller skips).
template <typename Read>
bool RunOnBadFile(BadFile kind, const CTempFolder& folder, Read read) {
  if (kind != BadFile::Unreadable) {
    read();
    return true;
  }
  CPermissionsEnforced scope(folder.Path());
  if (!scope.Enforced()) return false;
  read();
  return true;
}

std::string ParamName(const ::testing::TestParamInfo<BadFile>& info) { return BadFileName(info.param); }

// ---- the project file -------------------------------------------------------

class ProjectFileBadInput : public ::testing::TestWithParam<BadFile> {
 protected:
  CTempFolder folder_;
  CTestHost host_;
};

TEST_P(ProjectFileBadInput, GivesItsMessageAndLeavesTheWorkspaceReset) {
  const BadFile kind = GetParam();
  // A project with a base raster is open before.
  ASSERT_TRUE(GreyImage(8, 6).Save(folder_.File("base.tif"), kImageFormatTiff));
  CWorkspace workspace(host_);
  ASSERT_TRUE(workspace.LoadBaseImage(folder_.File("base.tif"), 1));
  workspace.params.rose_wind = 32;
  ASSERT_EQ(workspace.SaveProject(folder_.File("valid.orw")), 0);
  const Bytes valid = ReadBytes(folder_.File("valid.orw"));
  // Stripes of a 30000 x 30000 grid announced, three codes stored.
  const Bytes oversized = TextBytes(
      "[Version]\nNumber = 3.1\n[Main]\ntype = 1\nWidth = 30000\nHeight = 30000\nBytes = 1\n"
      "[Compression]\nRate = 1\n[Calc stripes]\nCalculated = 1\n");
  WriteBytes(folder_.File("bad.str"), {1, 2, 16});
  const std::string path = folder_.File("bad.orw");
  MakeBadFile(kind, path, valid, oversized);
  host_.messages.clear();

  bool opened = false;
  if (!RunOnBadFile(kind, folder_, [&] { opened = workspace.LoadProject(path); })) GTEST_SKIP() << kPermissionsNotEnforced;

  switch (kind) {
    case BadFile::Empty:  // no version: not a project
      EXPECT_FALSE(opened);
      EXPECT_EQ(host_.OnlyMessageText(), LoadText(kWrongVersion));
      break;
    case BadFile::Truncated:  // what was read opens; the base raster line may be cut
      EXPECT_TRUE(opened);
      for (const auto& message : host_.messages) EXPECT_EQ(message.text.rfind(ImportMessage(), 0), 0u);
      break;
    case BadFile::OversizedHeader:
      ASSERT_TRUE(opened);
      EXPECT_TRUE(host_.messages.empty());
      EXPECT_EQ(workspace.results.imageWidth, 30000u);
      ASSERT_TRUE(workspace.results.hasStripes);
      EXPECT_EQ(workspace.results.stripeCodes, (Bytes{1, 2, 16}));  // the file's own size
      EXPECT_EQ(workspace.results.stripeClasses, (Bytes{1, 2, 1}));
      break;
    default:
      EXPECT_FALSE(opened);
      EXPECT_EQ(host_.OnlyMessageText(), LoadText(kCannotLoadProject));
  }
  if (!opened) {
    // The previous project is gone and nothing of the bad one came in.
    EXPECT_EQ(workspace.layerStack.LayerCount(), 0);
    EXPECT_TRUE(workspace.baseImagePath.empty());
    EXPECT_EQ(workspace.params, CalcParameters{});
    EXPECT_FALSE(workspace.results.hasStripes);
    EXPECT_TRUE(workspace.results.stripeCodes.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Matrix, ProjectFileBadInput, ::testing::ValuesIn(kAllBadFiles), ParamName);

// ---- the five result files --------------------------------------------------

class ResultFileBadInput : public ::testing::TestWithParam<std::tuple<const char*, BadFile>> {
 protected:
  CTempFolder folder_;
  CTestHost host_;
};

// Stripe codes of the 8 x 6 grid, a stored global rose unlike the one they count
// to, two window roses, two block roses and two lineaments.
void FillResults(CResults& results) {
  results.stripeCodes.resize(48);
  for (std::size_t i = 0; i < 48; ++i) results.stripeCodes[i] = std::uint8_t(i % 17);
  results.DeriveStripeClasses();
  results.hasStripes = true;
  results.globalRose = {90, 91, 92, 93, 94, 95, 96, 97};
  results.hasGlobalRose = true;
  results.windowRoses = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  results.hasWindowRoses = true;
  BlockRose rose;
  rose.header = {0, 4, 4};
  rose.sectors = {5, 1, 0, 2, 7, 0, 0, 3};
  results.blockRoses = {rose, rose};
  results.hasBlockRoses = true;
  LineamentRecord record;
  record.bytes = {1, 0, 2, 0, 45, 0, 30, 0, 9, 9};
  results.lineaments = {record, record};
  results.hasLineaments = true;
}

TEST_P(ResultFileBadInput, ClearsOnlyItsOwnResultSilently) {
  const std::string extension = std::get<0>(GetParam());
  const BadFile kind = std::get<1>(GetParam());
  ASSERT_TRUE(GreyImage(8, 6).Save(folder_.File("base.tif"), kImageFormatTiff));
  const std::string project = folder_.File("area.orw");
  CResults saved;
  {
    CWorkspace workspace(host_);
    ASSERT_TRUE(workspace.LoadBaseImage(folder_.File("base.tif"), 1));
    FillResults(workspace.results);
    saved.stripeCodes = workspace.results.stripeCodes;
    saved.globalRose = workspace.results.globalRose;
    saved.windowRoses = workspace.results.windowRoses;
    saved.blockRoses = workspace.results.blockRoses;
    saved.lineaments = workspace.results.lineaments;
    ASSERT_EQ(workspace.SaveProject(project), 0);
  }
  const std::string path = folder_.File("area" + extension);
  const Bytes valid = ReadBytes(path);
  Bytes oversized;
  if (extension == ".str") oversized = {3, 3, 3};                     // fewer codes than the grid
  else if (extension == ".gr") oversized = TextBytes("1\n2\n3\n4\n5\n6\n7\n");  // a rose short of a sector
  else if (extension == ".ros") oversized = {7};                      // not one 16-bit value
  else if (extension == ".br") oversized = TextBytes("1000000000\n0\n4\n4\n5\n1\n0\n2\n7\n0\n0\n3\n");
  else oversized = Bytes(9, 1);                                       // not one lineament record
  MakeBadFile(kind, path, valid, oversized);
  host_.messages.clear();

  CWorkspace workspace(host_);
  bool opened = false;
  if (!RunOnBadFile(kind, folder_, [&] { opened = workspace.LoadProject(project); }))
    GTEST_SKIP() << kPermissionsNotEnforced;
  ASSERT_TRUE(opened);
  EXPECT_TRUE(host_.messages.empty()) << host_.messages.front().text;
  const CResults& r = workspace.results;

  // What a half of each file still holds.
  const bool truncated = kind == BadFile::Truncated;
  if (extension == ".str") {
    if (truncated) {
      EXPECT_EQ(r.stripeCodes, Bytes(saved.stripeCodes.begin(), saved.stripeCodes.begin() + 24));
    } else if (kind == BadFile::OversizedHeader) {
      EXPECT_EQ(r.stripeCodes, (Bytes{3, 3, 3}));
    }
    EXPECT_EQ(r.hasStripes, truncated || kind == BadFile::OversizedHeader);
    // The stored rose is still read, with or without the stripes.
    EXPECT_TRUE(r.hasGlobalRose);
    EXPECT_EQ(r.globalRose, saved.globalRose);
  } else {
    EXPECT_TRUE(r.hasStripes);
    EXPECT_EQ(r.stripeCodes, saved.stripeCodes);
  }
  if (extension == ".gr") {
    // A rose that cannot be read is counted from the stripes instead.
    CResults counted;
    counted.stripeCodes = saved.stripeCodes;
    counted.gridWidth = 8;
    counted.gridHeight = 6;
    counted.DeriveStripeClasses();
    ASSERT_EQ(counted.ComputeGlobalRose(), 0);
    EXPECT_TRUE(r.hasGlobalRose);
    EXPECT_EQ(r.globalRose, counted.globalRose);
  } else if (extension != ".str") {
    EXPECT_EQ(r.globalRose, saved.globalRose);
  }
  if (extension == ".ros") {
    EXPECT_EQ(r.hasWindowRoses, truncated);
    if (truncated) {
      EXPECT_EQ(r.windowRoses, std::vector<std::uint16_t>(saved.windowRoses.begin(), saved.windowRoses.begin() + 8));
    }
  } else {
    EXPECT_TRUE(r.hasWindowRoses);
    EXPECT_EQ(r.windowRoses, saved.windowRoses);
  }
  if (extension == ".br") {
    EXPECT_FALSE(r.hasBlockRoses);  // every cut-short or overstated count
  } else {
    EXPECT_TRUE(r.hasBlockRoses);
    EXPECT_EQ(r.blockRoses, saved.blockRoses);
  }
  if (extension == ".orl") {
    EXPECT_EQ(r.hasLineaments, truncated);
    if (truncated) {
      EXPECT_EQ(r.lineaments, std::vector<LineamentRecord>(1, saved.lineaments[0]));
    }
  } else {
    EXPECT_TRUE(r.hasLineaments);
    EXPECT_EQ(r.lineaments, saved.lineaments);
  }
  // The base raster came in as usual.
  EXPECT_EQ(LayerNames(workspace.layerStack), std::vector<std::string>{LoadText(32817)});
}

INSTANTIATE_TEST_SUITE_P(Matrix, ResultFileBadInput,
                         ::testing::Combine(::testing::Values(".str", ".gr", ".ros", ".br", ".orl"),
                                            ::testing::ValuesIn(kAllBadFiles)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) + 1) + "_" +
                                  BadFileName(std::get<1>(info.param));
                         });

// ---- rasters: a stack with a layer in it, and one more raster that fails -----

class RasterBadInput : public ::testing::TestWithParam<BadFile> {
 protected:
  RasterBadInput() : stack_(host_) {}
  void SetUp() override {
    auto layer = std::make_unique<CBitmapLayer>("Рисунок", true);
    layer->Image() = GreyImage(8, 6);
    stack_.AddLayer(std::move(layer));
  }
  // The stack holds only the layer it had, and its pixels are untouched.
  void ExpectStackAsItWas() {
    ASSERT_EQ(LayerNames(stack_), std::vector<std::string>{"Рисунок"});
    const CImage& image = static_cast<const CBitmapLayer*>(stack_.LayerAt(0))->Image();
    const CImage before = GreyImage(8, 6);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(image.Row(y)[x], before.Row(y)[x]);
  }
  // Opens `path` as the base elevation model; false when the case cannot be made here.
  bool OpenModel(BadFile kind, const std::string& path, int& code, BaseRasterInfo& info) {
    return RunOnBadFile(kind, folder_, [&] {
      code = OpenBaseImage(host_, path, stack_, LoadText(32817), kImageTypeElevation, 0, 0, 0, info);
    });
  }
  CTempFolder folder_;
  CTestHost host_;
  CLayerStack stack_;
};

using RawRasterBadInput = RasterBadInput;

TEST_P(RawRasterBadInput, GivesItsMessageAndNoLayer) {
  const BadFile kind = GetParam();
  const std::string path = folder_.File("view.raw");
  const Bytes valid(48, 9);  // 8 x 6, the project's size
  // The file of a 30000 x 30000 project: raw files have no header, the size is the project's.
  MakeBadFile(kind, path, valid, valid);
  const ProjectSize project = kind == BadFile::OversizedHeader ? ProjectSize{30000, 30000} : ProjectSize{8, 6};
  int code = 0;
  if (!RunOnBadFile(kind, folder_, [&] { code = OpenExtraRaster(host_, path, stack_, "Вид", true, project); }))
    GTEST_SKIP() << kPermissionsNotEnforced;
  EXPECT_EQ(code, 1);
  if (kind == BadFile::Empty || kind == BadFile::Truncated || kind == BadFile::OversizedHeader)
    EXPECT_EQ(host_.OnlyMessageText(), ImportMessage(LoadText(kSizeMismatch)));
  else
    EXPECT_EQ(host_.OnlyMessageText(), OpenErrorMessage(path));
  EXPECT_TRUE(host_.imageSizeProposals.empty());  // the project's size is not asked for
  ExpectStackAsItWas();
}

INSTANTIATE_TEST_SUITE_P(Matrix, RawRasterBadInput, ::testing::ValuesIn(kAllBadFiles), ParamName);

using GridModelBadInput = RasterBadInput;

TEST_P(GridModelBadInput, NamesTheFileAndGivesNoLayer) {
  const BadFile kind = GetParam();
  const std::string path = folder_.File("relief.grd");
  const Bytes valid = Encoded(GreyImage(5, 4), kImageFormatGrid);
  const Bytes oversized = TextBytes("DSAA\n30000 30000\n0 1\n0 1\n0 100\n1 2 3\n");
  MakeBadFile(kind, path, valid, oversized);
  BaseRasterInfo info;
  int code = 0;
  if (!OpenModel(kind, path, code, info)) GTEST_SKIP() << kPermissionsNotEnforced;
  EXPECT_NE(code, 0);
  EXPECT_EQ(host_.OnlyMessageText(), OpenErrorMessage(path));
  EXPECT_TRUE(info.descentGrid.empty());
  ExpectStackAsItWas();
}

INSTANTIATE_TEST_SUITE_P(Matrix, GridModelBadInput, ::testing::ValuesIn(kAllBadFiles), ParamName);

using TiffModelBadInput = RasterBadInput;

TEST_P(TiffModelBadInput, GivesTheImportMessageAndNoLayer) {
  const BadFile kind = GetParam();
  const std::string path = folder_.File("relief.tif");
  testing::TiffModel model;
  model.width = 6;
  model.height = 4;
  model.sampleFormat = SAMPLEFORMAT_INT;
  for (int i = 0; i < 24; ++i) model.values.push_back(100 + i);
  ASSERT_TRUE(testing::WriteTiffModel(folder_.File("valid.tif"), model));
  const Bytes valid = ReadBytes(folder_.File("valid.tif"));
  // A model announced as 9990 x 31236 cells in a file of 245 bytes (found by fuzzing).
  const Bytes oversized = ReadBytes(std::string(LINEA_TEST_DATA_DIR) + "/fuzz/elevation_tiff_huge_claim.tif");
  ASSERT_EQ(oversized.size(), 245u);
  MakeBadFile(kind, path, valid, oversized);
  BaseRasterInfo info;
  int code = 0;
  if (!OpenModel(kind, path, code, info)) GTEST_SKIP() << kPermissionsNotEnforced;
  EXPECT_NE(code, 0);
  // The file's name and GDAL's reason follow the import message.
  const std::string text = host_.OnlyMessageText();
  if (kind == BadFile::OversizedHeader || kind == BadFile::Truncated) EXPECT_EQ(text.rfind(ImportMessage(), 0), 0u);
  else EXPECT_EQ(text.rfind(OpenErrorMessage(path) + " ", 0), 0u) << text;
  EXPECT_GT(text.size(), OpenErrorMessage(path).size() + 1);
  ExpectStackAsItWas();
}

INSTANTIATE_TEST_SUITE_P(Matrix, TiffModelBadInput, ::testing::ValuesIn(kAllBadFiles), ParamName);

// ---- image files of every format --------------------------------------------

// The file of a 37 x 23 grey image in the format, with its width and height fields
// set to 30000 when `oversized`.
Bytes ImageFile(int format, bool oversized) {
  Bytes bytes = Encoded(GreyImage(37, 23), format);
  if (!oversized) return bytes;
  auto le16 = [&](std::size_t at, int v) { PutLE16(&bytes[at], std::uint16_t(v)); };
  auto be16 = [&](std::size_t at, int v) { bytes[at] = std::uint8_t(v >> 8), bytes[at + 1] = std::uint8_t(v); };
  constexpr int kHuge = 30000;
  switch (format) {
    case kImageFormatBmp: PutLE32(&bytes[18], kHuge), PutLE32(&bytes[22], kHuge); break;
    case kImageFormatPcx: le16(8, kHuge - 1), le16(10, kHuge - 1); break;
    case kImageFormatTga: le16(12, kHuge), le16(14, kHuge); break;
    case kImageFormatPng: PutLE32(&bytes[16], 0x30750000), PutLE32(&bytes[20], 0x30750000); break;  // big-endian 30000
    case kImageFormatGif: {
      le16(6, kHuge), le16(8, kHuge);
      for (std::size_t i = 13; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0x2C && GetLE16(&bytes[i + 5]) == 37 && GetLE16(&bytes[i + 7]) == 23) {
          le16(i + 5, kHuge), le16(i + 7, kHuge);
          break;
        }
      break;
    }
    case kImageFormatJpeg:
      for (std::size_t i = 2; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC1 || bytes[i + 1] == 0xC2)) {
          be16(i + 5, kHuge), be16(i + 7, kHuge);
          break;
        }
      break;
    case kImageFormatTiff: {
      const std::size_t ifd = GetLE32(&bytes[4]);
      const int entries = GetLE16(&bytes[ifd]);
      for (int e = 0; e < entries; ++e) {
        const std::size_t at = ifd + 2 + std::size_t(e) * 12;
        const int tag = GetLE16(&bytes[at]);
        if (tag != 256 && tag != 257) continue;
        if (GetLE16(&bytes[at + 2]) == 3) le16(at + 8, kHuge);
        else PutLE32(&bytes[at + 8], kHuge);
      }
      break;
    }
  }
  return bytes;
}

struct ImageFormatCase {
  int format;
  const char* extension;
};

class ImageFileBadInput : public ::testing::TestWithParam<std::tuple<ImageFormatCase, BadFile>> {
 protected:
  ImageFileBadInput() : stack_(host_) {}
  CTempFolder folder_;
  CTestHost host_;
  CLayerStack stack_;
};

TEST_P(ImageFileBadInput, GivesTheImportMessageAndNoLayer) {
  const auto [format, kind] = GetParam();
  const std::string path = folder_.File(std::string("base") + format.extension);
  const Bytes valid = ImageFile(format.format, false);
  {
    // The unspoilt file loads, so each bad one is bad for its own reason.
    CImage image;
    ASSERT_TRUE(DecodeImage(valid, image));
  }
  MakeBadFile(kind, path, valid, ImageFile(format.format, true));
  auto layer = std::make_unique<CBitmapLayer>("Рисунок", true);
  stack_.AddLayer(std::move(layer));
  BaseRasterInfo info;
  int code = 0;
  if (!RunOnBadFile(kind, folder_, [&] {
        code = OpenBaseImage(host_, path, stack_, LoadText(32817), kImageTypeGreyscale, 0, 0, 0, info);
      }))
    GTEST_SKIP() << kPermissionsNotEnforced;
  EXPECT_NE(code, 0);
  // A TIFF our codec refuses goes to GDAL: the import message with the file and
  // GDAL's reason. The other formats are our codecs' alone.
  const std::string text = host_.OnlyMessageText();
  if (format.format == kImageFormatTiff) {
    EXPECT_EQ(text.rfind(ImportMessage() + " ", 0), 0u) << text;
    EXPECT_NE(text.find(path), std::string::npos) << text;
  } else {
    EXPECT_EQ(text, ImportMessage());
  }
  EXPECT_EQ(LayerNames(stack_), std::vector<std::string>{"Рисунок"});
  EXPECT_EQ(info.width, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, ImageFileBadInput,
    ::testing::Combine(::testing::Values(ImageFormatCase{kImageFormatTiff, ".tif"}, ImageFormatCase{kImageFormatJpeg, ".jpg"},
                                         ImageFormatCase{kImageFormatGif, ".gif"}, ImageFormatCase{kImageFormatPng, ".png"},
                                         ImageFormatCase{kImageFormatBmp, ".bmp"}, ImageFormatCase{kImageFormatPcx, ".pcx"},
                                         ImageFormatCase{kImageFormatTga, ".tga"}),
                       ::testing::ValuesIn(kAllBadFiles)),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).extension + 1) + "_" + BadFileName(std::get<1>(info.param));
    });

// ---- the files beside a raster ------------------------------------------------

// A side file larger than any real one (16 MB), made sparse so that it costs nothing.
Bytes NoBytes() { return {}; }
void MakeHugeSideFile(const std::string& path) {
  WriteBytes(path, {'1'});
  ASSERT_EQ(::truncate(path.c_str(), (off_t(16) << 20) + 1), 0);
}

class SideFileBadInput : public ::testing::TestWithParam<BadFile> {
 protected:
  CTempFolder folder_;
};

TEST_P(SideFileBadInput, WorldFileLeavesTheGeoreferenceAsItWas) {
  const BadFile kind = GetParam();
  const std::string path = folder_.File("map.tfw");
  MakeBadFile(kind, path, TextBytes("30\n0\n0\n-30\n500000\n7000000\n"), NoBytes());
  if (kind == BadFile::OversizedHeader) MakeHugeSideFile(path);
  Georeference georeference;
  georeference.left = 12;
  georeference.pixelWidth = 3;
  bool read = true;
  if (!RunOnBadFile(kind, folder_, [&] { read = ReadWorldFile(path, 8, 6, georeference); }))
    GTEST_SKIP() << kPermissionsNotEnforced;
  EXPECT_FALSE(read);
  EXPECT_FALSE(georeference.known);
  EXPECT_EQ(georeference.left, 12);
  EXPECT_EQ(georeference.pixelWidth, 3);
}

TEST_P(SideFileBadInput, DescriptionFileThatCannotBeReadGivesTheRasterItsOwnDescription) {
  const BadFile kind = GetParam();
  ASSERT_TRUE(GreyImage(8, 6).Save(folder_.File("view.tif"), kImageFormatTiff));
  const std::string path = folder_.File("view.txo");
  const std::string text = "Landsat TM, 1987, band 5";
  MakeBadFile(kind, path, TextBytes(text), NoBytes());
  if (kind == BadFile::OversizedHeader) MakeHugeSideFile(path);
  CTestHost host;
  CLayerStack stack(host);
  int code = 1;
  if (!RunOnBadFile(kind, folder_, [&] {
        code = OpenExtraRaster(host, folder_.File("view.tif"), stack, "Вид", true, ProjectSize{8, 6});
      }))
    GTEST_SKIP() << kPermissionsNotEnforced;
  ASSERT_EQ(code, 0);
  EXPECT_TRUE(host.messages.empty());
  ASSERT_EQ(stack.LayerCount(), 1);
  const std::string description = stack.LayerAt(0)->GetDescription();
  if (kind == BadFile::Empty) EXPECT_EQ(description, "");  // the whole (empty) content
  else if (kind == BadFile::Truncated) EXPECT_EQ(description, text.substr(0, text.size() / 2));
  else EXPECT_EQ(description, "8x6x8 view.tif");
}

INSTANTIATE_TEST_SUITE_P(Matrix, SideFileBadInput, ::testing::ValuesIn(kAllBadFiles), ParamName);

}  // namespace
}  // namespace linea
