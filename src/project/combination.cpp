#include "project/combination.h"

#include <cmath>

#include "base/binary_io.h"
#include "base/checked_alloc.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/profile_text.h"
#include "results/result_files.h"

namespace linea {
namespace {
constexpr int kCannotLoadProject = 32838;
constexpr int kNoWindowRoses = 32805;
constexpr int kOutOfMemory = 32801;
constexpr int kGeometryMismatch = 32806;

std::int32_t GridSide(long side, double rate) {
  if (!(rate >= 1e-9)) rate = 1.0;
  double v = std::trunc(double(side) / rate);
  if (!(v >= -2147483648.0 && v <= 2147483647.0)) return 0;
  return std::int32_t(v);
}
}  // namespace

bool AppendCombinedProject(std::vector<CombinedProject>& list, const std::string& path, CAppHost& host) {
  ProfileText profile;
  if (profile.Read(path) != 0) {
    ShowError(host, kCannotLoadProject);
    return false;
  }
  std::vector<std::uint8_t> bytes;
  ReadFileResult read = ReadFileResult::CannotOpen;
  if (profile.GetInt("Calc window roses", "Calculated") == 1)
    read = ReadFileBytes(ToNativePath(ResultFileBase(path) + ".ros"), bytes, kMaxResultFileBytes);
  if (read == ReadFileResult::OutOfMemory) {
    ShowError(host, kCannotLoadProject, kOutOfMemory);
    return false;
  }
  if (read != ReadFileResult::Ok) {
    ShowError(host, kCannotLoadProject, kNoWindowRoses);
    return false;
  }
  CombinedProject project;
  if (!TryResize(project.windowRoses, bytes.size() / 2)) {
    ShowError(host, kCannotLoadProject, kOutOfMemory);
    return false;
  }
  for (std::size_t i = 0; i < project.windowRoses.size(); ++i) project.windowRoses[i] = GetLE16(&bytes[2 * i]);
  project.fileName = path;
  long type = profile.GetInt("Main", "type");
  project.imageType = std::uint8_t(type == 0 ? 1 : type);
  project.width = std::int32_t(profile.GetInt("Main", "Width"));
  project.height = std::int32_t(profile.GetInt("Main", "Height"));
  double rate = profile.GetDouble("Compression", "Rate");
  project.gridWidth = GridSide(project.width, rate);
  project.gridHeight = GridSide(project.height, rate);
  project.roseWindow = std::int32_t(profile.GetInt("Calc window roses", "rose_wind"));

  if (!list.empty()) {
    const CombinedProject& first = list.front();
    if (project.windowRoseCount() != first.windowRoseCount() || project.gridHeight != first.gridHeight ||
        project.gridWidth != first.gridWidth) {
      ShowError(host, kCannotLoadProject, kGeometryMismatch);
      return false;
    }
  }
  list.push_back(std::move(project));
  return true;
}

}  // namespace linea
