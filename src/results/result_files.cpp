#include "results/result_files.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "base/atomic_file.h"
#include "base/binary_io.h"
#include "base/checked_alloc.h"
#include "base/paths.h"
#include "base/profile_text.h"
#include "results/results.h"

namespace linea {
namespace {

constexpr const char* kStripesSection = "Calc stripes";
constexpr const char* kWindowRosesSection = "Calc window roses";
constexpr const char* kBlockRosesSection = "Calc Block Rose";
constexpr const char* kLineamentsSection = "Calc lineaments";
constexpr const char* kCalculated = "Calculated";

bool ReadWhole(const std::string& path, std::vector<std::uint8_t>& bytes) {
  return ReadFileBytes(ToNativePath(path), bytes, kMaxResultFileBytes) == ReadFileResult::Ok;
}

// Reads whitespace-separated decimal integers as fscanf("%ld") would, stopping at
// the first text that is not one. Values are kept as 32-bit (the file's long).
class IntegerScanner {
 public:
  explicit IntegerScanner(std::string_view text) : text_(text) {}
  bool Next(std::int32_t& value) {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' ||
                                  text_[at_] == '\r' || text_[at_] == '\v' || text_[at_] == '\f'))
      ++at_;
    std::size_t start = at_;
    bool negative = false;
    if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) negative = text_[at_++] == '-';
    std::int64_t magnitude = 0;
    std::size_t digits = 0;
    for (; at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9'; ++at_, ++digits)
      if (magnitude <= (std::int64_t(1) << 40)) magnitude = magnitude * 10 + (text_[at_] - '0');
    if (digits == 0) {
      at_ = start;
      return false;
    }
    std::int64_t v = negative ? -magnitude : magnitude;
    value = std::int32_t(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max()));
    return true;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

std::string_view AsText(const std::vector<std::uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void LoadStripes(CResults& results, const std::string& base) {
  std::vector<std::uint8_t> bytes;
  // A stripe file of another size than the grid is taken with its own size.
  if (!ReadWhole(base + ".str", bytes) || bytes.empty()) {
    results.hasStripes = false;
    return;
  }
  results.stripeCodes.swap(bytes);
  results.DeriveStripeClasses();
}

void LoadGlobalRose(CResults& results, const std::string& base) {
  results.hasGlobalRose = false;
  std::vector<std::uint8_t> bytes;
  if (ReadWhole(base + ".gr", bytes)) {
    IntegerScanner scanner(AsText(bytes));
    std::array<std::int32_t, 8> rose{};
    int got = 0;
    while (got < 8 && scanner.Next(rose[got])) ++got;
    // A cut-short rose is no rose; it is counted again from the stripes below.
    if (got == 8) {
      results.globalRose = rose;
      results.hasGlobalRose = true;
      return;
    }
  }
  if (results.hasStripes && results.ComputeGlobalRose() == 0) results.hasGlobalRose = true;
}

void LoadWindowRoses(CResults& results, const std::string& base) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWhole(base + ".ros", bytes) || bytes.size() <= 1) {
    results.hasWindowRoses = false;
    return;
  }
  std::vector<std::uint16_t> values;
  if (!TryResize(values, bytes.size() / 2)) {
    results.hasWindowRoses = false;
    return;
  }
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = GetLE16(&bytes[2 * i]);
  results.windowRoses.swap(values);
}

void LoadBlockRoses(CResults& results, const std::string& base) {
  results.hasBlockRoses = false;
  std::vector<std::uint8_t> bytes;
  if (!ReadWhole(base + ".br", bytes)) return;
  IntegerScanner scanner(AsText(bytes));
  std::int32_t count = 0;
  if (!scanner.Next(count) || count < 1) return;
  // Each record takes at least 22 bytes ("0\n" eleven times): a larger count is a
  // lie of the file and must not decide the allocation.
  if (std::uint64_t(count) > bytes.size() / 22 + 1) return;
  std::vector<BlockRose> roses;
  if (!TryResize(roses, std::uint64_t(count))) return;
  for (auto& rose : roses) {
    for (auto& v : rose.header)
      if (!scanner.Next(v)) return;
    for (auto& v : rose.sectors)
      if (!scanner.Next(v)) return;
  }
  results.blockRoses.swap(roses);
  results.hasBlockRoses = true;
}

void LoadLineaments(CResults& results, const std::string& base) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWhole(base + ".orl", bytes) || bytes.size() < 10) {
    results.hasLineaments = false;
    return;
  }
  std::vector<LineamentRecord> records;
  if (!TryResize(records, bytes.size() / 10)) {
    results.hasLineaments = false;
    return;
  }
  for (std::size_t i = 0; i < records.size(); ++i)
    std::copy_n(bytes.begin() + std::ptrdiff_t(10 * i), 10, records[i].bytes.begin());
  results.lineaments.swap(records);
}

std::string LongLines(const std::int32_t* values, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += std::to_string(values[i]) + "\n";
  return text;
}

int WriteWindowRoses(const CResults& results, const std::string& base, CAtomicFileSet& files) {
  ByteWriter writer;
  for (std::uint16_t v : results.windowRoses) writer.U16(v);
  return files.Write(base + ".ros", writer.Data().data(), writer.Data().size());
}

void PutGeometry(const CResults& results, ProfileText& profile) {
  profile.SetInt("Main", "Width", long(results.imageWidth));
  profile.SetInt("Main", "Height", long(results.imageHeight));
  profile.SetInt("Main", "Bytes", long(results.bytesPerPixel));
}

}  // namespace

std::string ResultFileBase(const std::string& projectPath) {
  return projectPath.substr(0, projectPath.size() >= 4 ? projectPath.size() - 4 : 0);
}

void LoadResults(CResults& results, const ProfileText& profile, const std::string& projectPath,
                 const BuildProgress& progress) {
  std::string base = ResultFileBase(projectPath);
  CBuildStage stage(progress, 0.0, 1.0);
  results.hasStripes = profile.GetInt(kStripesSection, kCalculated) == 1;
  if (!stage.Report(0, 4)) return;
  if (results.hasStripes) LoadStripes(results, base);
  // The global rose is looked for only together with the stripes.
  if (profile.GetInt(kStripesSection, kCalculated) == 1) LoadGlobalRose(results, base);
  results.hasWindowRoses = profile.GetInt(kWindowRosesSection, kCalculated) == 1;
  if (!stage.Report(1, 4)) return;
  if (results.hasWindowRoses) LoadWindowRoses(results, base);
  if (!stage.Report(2, 4)) return;
  if (profile.GetInt(kBlockRosesSection, kCalculated) == 1) LoadBlockRoses(results, base);
  results.hasLineaments = profile.GetInt(kLineamentsSection, kCalculated) == 1;
  if (!stage.Report(3, 4)) return;
  if (results.hasLineaments) LoadLineaments(results, base);
  stage.Report(4, 4);
}

int SaveResults(const CResults& results, ProfileText& profile, const std::string& projectPath) {
  CAtomicFileSet files;
  int code = SaveResults(results, profile, projectPath, files);
  return code != 0 ? code : files.Commit();
}

int SaveResults(const CResults& results, ProfileText& profile, const std::string& projectPath,
                CAtomicFileSet& files) {
  std::string base = ResultFileBase(projectPath);
  PutGeometry(results, profile);

  profile.SetInt(kStripesSection, kCalculated, results.hasStripes);
  if (results.hasStripes) {
    // The grid's worth of codes, but never more than the array holds.
    std::size_t count = std::size_t(std::min<std::uint64_t>(results.GridCellCount(), results.stripeCodes.size()));
    int code = files.Write(base + ".str", results.stripeCodes.data(), count);
    if (code != 0) {
      profile.ReplaceText(kStripesSection, kCalculated, "0");
      return code;
    }
    if (results.hasGlobalRose) {
      // A global rose that cannot be written is skipped without a message.
      files.Write(base + ".gr", LongLines(results.globalRose.data(), 8));
    }
  }

  profile.SetInt(kWindowRosesSection, kCalculated, results.hasWindowRoses);
  if (results.hasWindowRoses) {
    int code = WriteWindowRoses(results, base, files);
    if (code != 0) {
      profile.ReplaceText(kWindowRosesSection, kCalculated, "0");
      return code;
    }
  }

  profile.SetInt(kBlockRosesSection, kCalculated, results.hasBlockRoses);
  if (results.hasBlockRoses) {
    std::string text = std::to_string(results.blockRoses.size()) + "\n";
    for (const auto& rose : results.blockRoses)
      text += LongLines(rose.header.data(), 3) + LongLines(rose.sectors.data(), 8);
    int code = files.Write(base + ".br", text);
    if (code != 0) {
      profile.ReplaceText(kBlockRosesSection, kCalculated, "0");
      return code;
    }
  }

  profile.SetInt(kLineamentsSection, kCalculated, results.hasLineaments);
  if (results.hasLineaments) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(results.lineaments.size() * 10);
    for (const auto& record : results.lineaments) bytes.insert(bytes.end(), record.bytes.begin(), record.bytes.end());
    int code = files.Write(base + ".orl", bytes.data(), bytes.size());
    if (code != 0) {
      profile.ReplaceText(kLineamentsSection, kCalculated, "0");
      return code;
    }
  }
  return 0;
}

int SaveCombinationResults(const CResults& results, ProfileText& profile, const std::string& projectPath) {
  CAtomicFileSet files;
  int code = SaveCombinationResults(results, profile, projectPath, files);
  return code != 0 ? code : files.Commit();
}

int SaveCombinationResults(const CResults& results, ProfileText& profile, const std::string& projectPath,
                           CAtomicFileSet& files) {
  std::string base = ResultFileBase(projectPath);
  PutGeometry(results, profile);
  profile.SetInt(kStripesSection, kCalculated, 0);
  profile.SetInt(kWindowRosesSection, kCalculated, results.hasWindowRoses);
  if (results.hasWindowRoses) {
    int code = WriteWindowRoses(results, base, files);
    // A file that cannot be created only drops the roses; a short write fails the save.
    if (code == 4) profile.ReplaceText(kWindowRosesSection, kCalculated, "0");
    else if (code != 0) {
      profile.ReplaceText(kWindowRosesSection, kCalculated, "0");
      return 6;
    }
  }
  profile.SetInt(kBlockRosesSection, kCalculated, 0);
  profile.SetInt(kLineamentsSection, kCalculated, 0);
  return 0;
}

}  // namespace linea
