#pragma once
// Shared pieces of the file-reader fuzz targets: a private scratch folder for the
// files a target writes, the splitting of one input into several files, and a
// host that answers every question with its default and shows nothing.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/app_host.h"

namespace linea::fuzz {

// Separates the files packed into one fuzz input; the seed writers use it too.
inline constexpr std::string_view kFileSeparator{"\0LINEA-NEXT-FILE\0", 17};

// A folder of this process under the system temporary folder, ending in '/'. The
// fuzz process writes its scratch files there and removes them after each input.
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/linea-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern + "/";
  }();
  return folder;
}

inline void WriteScratchFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) std::abort();
  std::fclose(file);
}

// The parts of an input between separators (at least one, possibly empty).
inline std::vector<std::span<const std::uint8_t>> SplitInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::span<const std::uint8_t>> parts;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  for (;;) {
    std::size_t at = text.find(kFileSeparator, start);
    if (at == std::string_view::npos) break;
    parts.emplace_back(data + start, at - start);
    start = at + kFileSeparator.size();
  }
  parts.emplace_back(data + start, size - start);
  return parts;
}

// The inverse of SplitInput, for the seed writers.
inline std::vector<std::uint8_t> JoinFiles(const std::vector<std::vector<std::uint8_t>>& files) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (i) out.insert(out.end(), kFileSeparator.begin(), kFileSeparator.end());
    out.insert(out.end(), files[i].begin(), files[i].end());
  }
  return out;
}

// Questions get "No", the image-size prompt its own proposal, progress goes on.
class CSilentHost : public CAppHost {
 public:
  int messages = 0;
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override { ++messages; }
  bool AskYesNo(const std::string&, const std::string&, MessageIcon) override { return false; }
  std::optional<std::string> AskLayerName(const std::string& proposed) override { return proposed; }
  ImageSizeAnswer AskImageSize(const ImageSizeAnswer& proposal) override { return proposal; }
};

}  // namespace linea::fuzz
