// Reading and writing the project file (.orw) of a workspace.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <optional>

#include "base/atomic_file.h"
#include "base/layer_names.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/profile_text.h"
#include "base/string_table.h"
#include "imaging/image.h"
#include "layers/raster_import.h"
#include "project/host_progress.h"
#include "project/map_colours.h"
#include "project/workspace.h"
#include "results/result_files.h"

namespace linea {
namespace {

constexpr int kProjectVersion = 1100;
constexpr int kCannotLoadProject = 32838;
constexpr int kWrongVersion = 32854;
constexpr int kAskSaveBlocks = 32850;
constexpr int kAskSaveMask = 32851;
constexpr int kSaveMaskCommand = 32863;
constexpr int kSaveBlocksCommand = 32873;
constexpr int kOpeningProjectTitle = 2112;  // "Открытие проекта"
// From 2048 x 2048 pixels on, the other files of a project take a noticeable while.
constexpr std::uint64_t kLargeProjectPixels = std::uint64_t(1) << 22;
// The progress of opening the rest of a large project: blocks, mask, results, picture.
constexpr double kBlocksShare = 0.3, kMaskShare = 0.45, kResultsShare = 0.7;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A stored line width or type of 0 (or less) means the default 1.
std::int32_t AtLeastOne(long value) { return value <= 0 ? 1 : std::int32_t(std::min<long>(value, 1 << 30)); }

// Sizes a project may claim: what an image can have, or nothing.
std::uint32_t StoredSide(long value) { return value >= 0 && value <= kMaxImageSide ? std::uint32_t(value) : 0; }

std::string StoredPath(const ProfileText& profile, const char* section, const char* key) {
  auto text = profile.GetText(section, key);
  return text ? DecodeProjectPath(StoredTextToUtf8(*text)) : std::string();
}

// The path as written into the project: the bare name when the raster lies in
// the project's folder.
std::string RelativeToProject(const std::string& path, const std::string& projectPath) {
  if (SameFolder(FolderPart(path), FolderPart(projectPath))) return EncodeProjectPath(FileNamePart(path));
  return EncodeProjectPath(path);
}

void ReadParameters(CalcParameters& p, const ProfileText& profile) {
  p.TR_Linear = std::int32_t(profile.GetInt("Calc stripes", "TR_Linear"));
  p.TR_Contrast = std::int32_t(profile.GetInt("Calc stripes", "TR_Contrast"));
  p.Calck_DTM = std::uint8_t(profile.GetInt("Calc DTM stripes", "Calck_DTM"));
  p.blockRoseSize = profile.GetDouble("Calc Block Rose", "Size");
  p.blockRoseGlobalNorm = profile.GetInt("Calc Block Rose", "Norm") == 1;
  p.rose_wind = std::int32_t(profile.GetInt("Calc window roses", "rose_wind"));
  p.Filled_In = profile.GetDouble("Calc window roses", "Filled_In");
  p.Filled_Out = profile.GetDouble("Calc window roses", "Filled_Out");
  p.RelRez = profile.GetInt("Calc lineaments", "RelRez") == 1;
  p.nb1 = std::int32_t(profile.GetInt("Calc lineaments", "nb1"));
  p.dnh = profile.GetDouble("Calc lineaments", "dnh");
  p.dfi = profile.GetDouble("Calc lineaments", "dfi");
  p.Calck = std::uint8_t(profile.GetInt("Calc lineaments", "Calck"));
  p.LONG = profile.GetInt("Calc lineaments", "LONG") == 1;
  p.AngW = std::int32_t(profile.GetInt("Calc lineaments", "AngW"));
  p.Part = profile.GetDouble("Calc lineaments", "Part");
  p.UseMask = profile.GetInt("Masking", "UseMask") == 1;
}

void WriteParameters(const CalcParameters& p, ProfileText& profile) {
  profile.SetDouble("Compression", "Rate", p.Rate);
  profile.SetInt("Calc stripes", "TR_Linear", p.TR_Linear);
  profile.SetInt("Calc stripes", "TR_Contrast", p.TR_Contrast);
  profile.SetInt("Calc DTM stripes", "Calck_DTM", p.Calck_DTM);
  profile.SetDouble("Calc Block Rose", "Size", p.blockRoseSize);
  profile.SetInt("Calc Block Rose", "Norm", p.blockRoseGlobalNorm);
  profile.SetInt("Calc window roses", "rose_wind", p.rose_wind);
  profile.SetDouble("Calc window roses", "Filled_In", p.Filled_In);
  profile.SetDouble("Calc window roses", "Filled_Out", p.Filled_Out);
  profile.SetInt("Calc lineaments", "RelRez", p.RelRez);
  profile.SetInt("Calc lineaments", "nb1", p.nb1);
  profile.SetDouble("Calc lineaments", "dnh", p.dnh);
  profile.SetDouble("Calc lineaments", "dfi", p.dfi);
  profile.SetInt("Calc lineaments", "Calck", p.Calck);
  profile.SetInt("Calc lineaments", "LONG", p.LONG);
  profile.SetInt("Calc lineaments", "AngW", p.AngW);
  profile.SetDouble("Calc lineaments", "Part", p.Part);
  profile.SetInt("Masking", "UseMask", p.UseMask);
}

}  // namespace

std::string EncodeProjectPath(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '%') out += "%25";
    else if (c == ' ') out += "%20";
    else out += c;
  }
  return out;
}

std::string DecodeProjectPath(const std::string& stored) {
  std::string out;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    int hi, lo;
    if (stored[i] == '%' && i + 2 < stored.size() &&
        (hi = HexValue(stored[i + 1])) >= 0 && (lo = HexValue(stored[i + 2])) >= 0) {
      out += char(hi * 16 + lo);
      i += 2;
    } else {
      out += stored[i];
    }
  }
  return out;
}

std::string ResolveProjectPath(const std::string& stored, const std::string& projectFolder) {
  if (!HasSeparator(stored)) return projectFolder + stored;
  if (FileCanBeRead(stored)) return ToNativePath(stored);
  return projectFolder + FileNamePart(stored);
}

bool CWorkspace::LoadProject(const std::string& path, bool composeFirstPicture) {
  std::string folder = FolderPart(path);
  host_->RememberFolder("WorkspacePath", folder);
  ResetWorkspace();

  ProfileText profile;
  if (profile.Read(path) != 0) {
    ShowError(*host_, kCannotLoadProject);
    return false;
  }
  // Only the major version is compared; a file without a version is not a project.
  auto version = profile.GetText("Version", "Number");
  std::string current = LoadText(kProjectVersion);
  if (!version || version->empty() || (*version)[0] != current[0]) {
    ShowError(*host_, kWrongVersion);
    return false;
  }

  imageType = std::uint8_t(AtLeastOne(profile.GetInt("Main", "type")));
  lineWidth = AtLeastOne(profile.GetInt("Main", "LineWidth"));
  defaultLineWidth = AtLeastOne(profile.GetInt("Main", "DefaultLineWidth"));

  std::string storedBase = StoredPath(profile, "Main", "BaseImage");
  std::uint32_t width = StoredSide(profile.GetInt("Main", "Width"));
  std::uint32_t height = StoredSide(profile.GetInt("Main", "Height"));
  long bytes = profile.GetInt("Main", "Bytes");
  std::uint16_t bytesPerPixel = std::uint16_t(bytes >= 0 && bytes <= 4 ? bytes : 0);
  rosesCombination = profile.GetInt("Main", "RosesCombination") == 1;

  bool baseLoaded = false;
  if (!storedBase.empty()) {
    std::string resolved = ResolveProjectPath(storedBase, folder);
    BaseRasterInfo info;
    if (OpenBaseImage(*host_, resolved, layerStack, LoadText(kBaseLayerName), imageType, int(width), int(height),
                      bytesPerPixel, info) == 0) {
      SetBaseGeometry(info.width, info.height, info.bytesPerPixel, info.imageType);
      results.descentGrid = std::move(info.descentGrid);
      results.sourcePath = resolved;
      baseImagePath = resolved;
      baseLoaded = true;
    }
  }
  // Without the base raster the results are still shown in the stored geometry,
  // and their descriptions still name the raster they were made from.
  if (!baseLoaded) {
    SetBaseGeometry(width, height, bytesPerPixel, imageType);
    results.sourcePath = storedBase;
  }

  // A large project's other files and its first picture take seconds: they run in
  // a progress window whose reports keep the window repainting. Cancel leaves the
  // new, empty project.
  const bool large = std::uint64_t(results.imageWidth) * results.imageHeight >= kLargeProjectPixels;
  std::optional<CHostProgress> window;
  if (large) window.emplace(*host_, LoadText(kOpeningProjectTitle));
  const BuildProgress none;
  const BuildProgress& progress = window ? window->Report() : none;
  const auto stopped = [&](double fraction) {
    if (!progress || progress(fraction)) return false;
    window.reset();
    ResetWorkspace();
    return true;
  };
  if (stopped(0.0)) return false;

  ProjectSize size{results.imageWidth, results.imageHeight};
  std::string storedBlocks = StoredPath(profile, "Calc Block Rose", "BlocksImage");
  if (!storedBlocks.empty()) {
    std::string resolved = ResolveProjectPath(storedBlocks, folder);
    int type = int(profile.GetInt("Calc Block Rose", "BlocksImageType"));
    if (OpenBlocks(*host_, resolved, layerStack, LoadText(kBlocksLayerName), type, size) == 0) {
      blocksImageType = std::uint8_t(type);
      blocksImagePath = resolved;
      if (CLayer* layer = layerStack.FindLayer(LoadText(kBlocksLayerName))) layer->SetDeletable(false);
    }
  }
  if (stopped(kBlocksShare)) return false;
  std::string storedMask = StoredPath(profile, "Masking", "MaskImage");
  if (!storedMask.empty()) {
    std::string resolved = ResolveProjectPath(storedMask, folder);
    if (OpenMask(*host_, resolved, layerStack, LoadText(kMaskLayerName), size) == 0) {
      maskImagePath = resolved;
      if (CLayer* layer = layerStack.FindLayer(LoadText(kMaskLayerName))) layer->SetDeletable(false);
    }
  }

  if (stopped(kMaskShare)) return false;
  // A missing or unusable rate is no compression, as the grid takes it.
  const double rate = profile.GetDouble("Compression", "Rate");
  params.Rate = rate >= 1e-9 && std::isfinite(rate) ? rate : 1.0;
  results.SetGridFromRate(params.Rate);
  ReadParameters(params, profile);
  ReadMapColours(params, profile);
  const BuildProgress resultsProgress =
      progress ? BuildProgress([&](double f) { return progress(kMaskShare + (kResultsShare - kMaskShare) * f); })
               : BuildProgress();
  LoadResults(results, profile, path, resultsProgress);
  if (stopped(kResultsShare)) return false;
  ReadSaveSettings(saveSettings, profile);
  UpdateCalcPanel();
  if (composeFirstPicture) {
    // The picture the window shows first, made while the progress window is up
    // (the view then finds nothing changed). A failure is posted by the stack.
    layerStack.ComposeLayers(Composition());
    if (progress) progress(1.0);  // all done: a late Cancel changes nothing
  }
  return true;
}

int CWorkspace::SaveProject(const std::string& path) {
  ProfileText profile;
  profile.Clear();
  profile.SetText("Version", "Number", LoadText(kProjectVersion));
  profile.SetText("Main", "BaseImage", RelativeToProject(baseImagePath, path));
  profile.SetInt("Main", "type", imageType);
  profile.SetInt("Main", "LineWidth", lineWidth);
  profile.SetInt("Main", "DefaultLineWidth", defaultLineWidth);
  WriteParameters(params, profile);
  WriteMapColours(params, profile);

  // The result files and the project file replace the previous ones together, and
  // only when all of them are complete.
  CAtomicFileSet files;
  int code;
  if (!rosesCombination) {
    if (params.UseMask && maskImagePath.empty() && AskWarningQuestion(*host_, LoadText(kAskSaveMask)))
      host_->RunCommand(kSaveMaskCommand);
    if (blocksImagePath == kCreatedBlocksPath && AskWarningQuestion(*host_, LoadText(kAskSaveBlocks)))
      host_->RunCommand(kSaveBlocksCommand);
    if (!blocksImagePath.empty() && blocksImagePath != kCreatedBlocksPath) {
      profile.SetText("Calc Block Rose", "BlocksImage", RelativeToProject(blocksImagePath, path));
      profile.SetInt("Calc Block Rose", "BlocksImageType", blocksImageType);
    }
    if (!maskImagePath.empty()) profile.SetText("Masking", "MaskImage", RelativeToProject(maskImagePath, path));
    profile.SetInt("Main", "RosesCombination", 0);
    code = SaveResults(results, profile, path, files);
  } else {
    profile.SetInt("Main", "RosesCombination", 1);
    code = SaveCombinationResults(results, profile, path, files);
  }
  if (code != 0) return code;
  WriteSaveSettings(saveSettings, profile);
  if (int written = files.Write(path, profile.Serialize(std::time(nullptr)))) return written;
  return files.Commit();
}

}  // namespace linea
