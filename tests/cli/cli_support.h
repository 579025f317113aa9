#pragma once
// Running linea-cli's commands in process with their output captured, and the
// small demo projects the tests render.

#include <cstdint>
#include <string>
#include <vector>

namespace linea {

class CImage;

struct CliRun {
  int exitCode = 0;
  std::string out;
  std::string errors;
};

CliRun RunCliCaptured(const std::vector<std::string>& arguments);

// A synthetic demo project `folder/name.orw`; kind "grey", "dtm" or "scheme".
std::string MakeDemo(const std::string& folder, const std::string& name, const std::string& kind, int width,
                     int height, double rate = 1.0, std::uint32_t seed = 1);

// 64-bit FNV-1a over the visible bytes of every row (width x bytes per pixel).
std::uint64_t PixelChecksum(const CImage& image);
std::uint64_t TextChecksum(const std::string& text);

// The image a render wrote, loaded back.
CImage LoadRender(const std::string& path);

}  // namespace linea
