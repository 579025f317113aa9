// A save that fails part-way loses nothing: the project file and the result files
// saved before stay byte for byte as they were, and no temporary file is left.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <map>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "base/string_table.h"
#include "imaging/image.h"
#include "layers/bitmap_layer.h"
#include "layers/description_file.h"
#include "layers/layer_stack.h"
#include "layers/raster_export.h"
#include "project/workspace.h"
#include "robustness/bad_files.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

using Bytes = std::vector<std::uint8_t>;
using FolderContents = std::map<std::string, Bytes>;

FolderContents Contents(const CTempFolder& folder) {
  FolderContents contents;
  for (const auto& name : ListFolder(folder.Path())) {
    struct stat info {};
    const bool isFolder = ::stat(folder.File(name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    contents[name] = isFolder ? Bytes{'/'} : ReadBytes(folder.File(name));
  }
  return contents;
}

// A disk that is full after `bytes` bytes of any one file: writes beyond fail as
// they do on a full disk, with the signal the kernel sends for them ignored.
class CFileSizeLimit {
 public:
  explicit CFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~CFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = SIG_DFL;
};

CImage GreyImage(int width, int height, int seed) {
  CImage image;
  image.Create(width, height, 8);
  for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.Row(y)[x] = std::uint8_t(x * 7 + y * 11 + seed);
  return image;
}

// Results whose files have these sizes: stripes 3072 bytes (the 64 x 48 grid),
// window roses 2 x `roses` bytes, lineaments 10 x `lineaments` bytes.
void FillResults(CResults& results, int seed, int roses, int lineaments) {
  results.stripeCodes.resize(results.GridCellCount());
  for (std::size_t i = 0; i < results.stripeCodes.size(); ++i) results.stripeCodes[i] = std::uint8_t((i + seed) % 17);
  results.DeriveStripeClasses();
  results.hasStripes = true;
  results.hasGlobalRose = results.ComputeGlobalRose() == 0;
  results.windowRoses.assign(std::size_t(roses), std::uint16_t(seed));
  results.hasWindowRoses = true;
  BlockRose rose;
  rose.header = {0, seed, 4};
  results.blockRoses = {rose};
  results.hasBlockRoses = true;
  LineamentRecord record;
  record.bytes = {1, 0, 2, 0, std::uint8_t(seed), 0, 30, 0, 9, 9};
  results.lineaments.assign(std::size_t(lineaments), record);
  results.hasLineaments = true;
}

class FailedSave : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GreyImage(64, 48, 0).Save(folder_.File("base.tif"), kImageFormatTiff));
    ASSERT_TRUE(workspace_.LoadBaseImage(folder_.File("base.tif"), 1));
    FillResults(workspace_.results, 1, 16, 2);
    ASSERT_EQ(workspace_.SaveProject(project_), 0);
    saved_ = Contents(folder_);
    ASSERT_EQ(saved_.size(), 7u);  // base.tif, area.orw and the five result files
    // Then the project changes: every file would be rewritten, and larger.
    FillResults(workspace_.results, 5, 4000, 900);
    workspace_.params.rose_wind = 32;
  }

  CTempFolder folder_;
  CTestHost host_;
  CWorkspace workspace_{host_};
  std::string project_ = folder_.File("area.orw");
  FolderContents saved_;
};

TEST_F(FailedSave, ReadOnlyFolderKeepsTheSavedProject) {
  int code = 0;
  {
    CPermissionsEnforced readOnly(folder_.Path(), 0555);
    if (!readOnly.Enforced()) GTEST_SKIP() << kPermissionsNotEnforced;
    code = workspace_.SaveProject(project_);
  }
  EXPECT_EQ(code, 4);  // "Не удается открыть файл."
  EXPECT_EQ(Contents(folder_), saved_);
}

TEST_F(FailedSave, FullDiskAtAnyFileKeepsEveryPreviousFile) {
  // 0: the stripes fail; 3500: the stripes and the rose are complete, the window
  // roses fail; 8500: only the lineaments fail.
  for (rlim_t limit : {rlim_t(0), rlim_t(100), rlim_t(3500), rlim_t(8500)}) {
    SCOPED_TRACE(limit);
    int code = 0;
    {
      CFileSizeLimit fullDisk(limit);
      code = workspace_.SaveProject(project_);
    }
    EXPECT_EQ(code, 6);  // "Не удается записать файл."
    EXPECT_EQ(Contents(folder_), saved_);
  }
  // With room again the same workspace saves, and every file is new.
  ASSERT_EQ(workspace_.SaveProject(project_), 0);
  const FolderContents now = Contents(folder_);
  ASSERT_EQ(now.size(), saved_.size());
  for (const auto& [name, bytes] : now)
    if (name != "base.tif") {
      EXPECT_NE(bytes, saved_.at(name)) << name;
    }
}

TEST_F(FailedSave, ResultFileNameTakenByAFolderKeepsEveryPreviousFile) {
  // Stops root as it stops anyone: nothing may replace a folder.
  ASSERT_EQ(std::remove(folder_.File("area.ros").c_str()), 0);
  ASSERT_EQ(::mkdir(folder_.File("area.ros").c_str(), 0755), 0);
  saved_ = Contents(folder_);
  EXPECT_EQ(workspace_.SaveProject(project_), 6);
  EXPECT_EQ(Contents(folder_), saved_);
}

TEST_F(FailedSave, ProjectFileNameTakenByAFolderKeepsTheResultFiles) {
  const std::string other = folder_.File("other.orw");
  ASSERT_EQ(::mkdir(other.c_str(), 0755), 0);
  // The result files of "other" do not exist yet; none may appear without the project.
  EXPECT_EQ(workspace_.SaveProject(other), 6);
  EXPECT_EQ(ListFolder(folder_.Path()).size(), saved_.size() + 1);
  EXPECT_TRUE(ListFolder(other).empty());
}

TEST(FailedRasterSave, FullDiskKeepsThePreviousRasterAndDescription) {
  CTempFolder folder;
  CTestHost host;
  CLayerStack stack(host);
  auto layer = std::make_unique<CBitmapLayer>(LoadText(162), true);
  layer->Image() = GreyImage(64, 48, 3);
  layer->SetDescription(std::string(5000, 'd'));
  stack.AddLayer(std::move(layer));
  const std::string raster = folder.File("mask.tif");
  const std::string raw = folder.File("mask.raw");
  WriteBytes(raster, {1, 2, 3});
  WriteBytes(raw, {4, 5});
  WriteBytes(folder.File("notes.txo"), {6});
  const FolderContents before = Contents(folder);
  {
    CFileSizeLimit fullDisk(1000);
    EXPECT_EQ(SaveLayerRaster(stack, raster, 0, LoadText(162)), kSaveLayerFailed);
    EXPECT_EQ(SaveLayerRaster(stack, raw, 1, LoadText(162)), kSaveLayerFailed);
    EXPECT_FALSE(WriteDescription(stack, folder.File("notes.txt")));
  }
  EXPECT_EQ(Contents(folder), before);
}

TEST(AtomicFileSet, ReplacesNothingUntilEveryFileIsComplete) {
  CTempFolder folder;
  WriteTextFile(folder.File("a"), "old a");
  WriteTextFile(folder.File("b"), "old b");
  {
    CAtomicFileSet files;
    EXPECT_EQ(files.Write(folder.File("a"), "new a"), 0);
    EXPECT_EQ(files.Write(folder.File("missing-folder/b"), "new b"), 4);
    // Written but not committed: the set goes away and takes its temporary files along.
  }
  EXPECT_EQ(ReadTextFile(folder.File("a")), "old a");
  EXPECT_EQ(ListFolder(folder.Path()), (std::vector<std::string>{"a", "b"}));
  CAtomicFileSet files;
  EXPECT_EQ(files.Write(folder.File("a"), "new a"), 0);
  EXPECT_EQ(files.Write(folder.File("b"), "new b"), 0);
  EXPECT_EQ(ReadTextFile(folder.File("b")), "old b");
  EXPECT_EQ(files.Commit(), 0);
  EXPECT_EQ(ReadTextFile(folder.File("a")), "new a");
  EXPECT_EQ(ReadTextFile(folder.File("b")), "new b");
  EXPECT_EQ(ListFolder(folder.Path()), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace linea
