#include "geo/georeference.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "base/binary_io.h"
#include "base/paths.h"
#include "base/string_table.h"

namespace linea {
namespace {

// A world file is six short lines; anything larger is not one.
constexpr std::uint64_t kMaxWorldFileBytes = std::uint64_t(1) << 16;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// The extension's letters without the dot, "" when the name has none.
std::string ExtensionLetters(const std::string& path) {
  const std::string extension = ExtensionPart(FileNamePart(path));
  return extension.size() > 1 ? extension.substr(1) : std::string();
}

void AddOnce(std::vector<std::string>& names, std::string name) {
  if (name.empty()) return;
  for (const std::string& known : names)
    if (known == name) return;
  names.push_back(std::move(name));
}

}  // namespace

GeoTransform GeoTransformOf(const Georeference& g) {
  return {g.left, g.pixelWidth, g.rotationX, g.top, g.rotationY, g.pixelHeight};
}

Georeference GeoreferenceOfTransform(const GeoTransform& t, int width, int height) {
  Georeference g;
  g.known = true;
  g.left = t[0];
  g.pixelWidth = t[1];
  g.rotationX = t[2];
  g.top = t[3];
  g.rotationY = t[4];
  g.pixelHeight = t[5];
  g.right = t[0] + width * t[1] + height * t[2];
  g.bottom = t[3] + width * t[4] + height * t[5];
  return g;
}

std::vector<std::string> WorldFileCandidates(const std::string& imagePath) {
  std::vector<std::string> names;
  if (imagePath.size() >= 2) AddOnce(names, imagePath.substr(0, imagePath.size() - 2) + "fw");
  const std::string letters = ExtensionLetters(imagePath);
  const std::string stem = WithoutExtension(imagePath);
  if (!letters.empty()) {
    const bool upper = std::isupper(static_cast<unsigned char>(letters.back())) != 0;
    const std::string w = upper ? "W" : "w";
    AddOnce(names, stem + "." + letters.front() + letters.back() + w);
    AddOnce(names, stem + "." + letters + w);
  }
  AddOnce(names, stem + ".wld");
  return names;
}

std::string FindWorldFile(const std::string& imagePath) {
  for (const std::string& name : WorldFileCandidates(imagePath))
    if (FileCanBeRead(ToNativePath(name))) return name;
  return {};
}

bool ReadWorldFile(const std::string& path, int width, int height, Georeference& georeference) {
  std::vector<std::uint8_t> bytes;
  if (path.empty() || ReadFileBytes(ToNativePath(path), bytes, kMaxWorldFileBytes) != ReadFileResult::Ok)
    return false;
  const std::string text(bytes.begin(), bytes.end());
  double values[6];
  std::size_t position = 0;
  for (double& value : values) {
    while (position < text.size() && IsBlank(text[position])) ++position;
    const std::size_t start = position;
    while (position < text.size() && !IsBlank(text[position])) ++position;
    if (start == position) return false;
    const std::string word = text.substr(start, position - start);
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size() || !std::isfinite(value)) return false;
  }
  // A, D, B, E, C, F: pixel width, rotations, pixel height, centre of the upper-left pixel.
  if (values[0] == 0 || values[3] == 0) return false;
  GeoTransform transform{};
  transform[1] = values[0];
  transform[4] = values[1];
  transform[2] = values[2];
  transform[5] = values[3];
  // The outer corner lies half a pixel (both axes' terms) before the centre.
  transform[0] = values[4] - 0.5 * values[0] - 0.5 * values[2];
  transform[3] = values[5] - 0.5 * values[1] - 0.5 * values[3];
  const std::string crs = georeference.crsWkt;
  georeference = GeoreferenceOfTransform(transform, width, height);
  georeference.crsWkt = crs;
  return true;
}

std::string WorldFileText(const GeoTransform& t, double zoom) {
  if (!(zoom > 0) || !std::isfinite(zoom)) zoom = 1.0;
  const double a = t[1] / zoom, b = t[2] / zoom, d = t[4] / zoom, e = t[5] / zoom;
  return FormatText("%.10f\n%.10f\n%.10f\n%.10f\n%.10f\n%.10f\n", a, d, b, e, t[0] + 0.5 * a + 0.5 * b,
                    t[3] + 0.5 * d + 0.5 * e);
}

std::string ExportWorldFilePath(const std::string& imagePath) {
  const std::string letters = ExtensionLetters(imagePath);
  if (letters.empty()) return imagePath + ".wld";
  return WithoutExtension(imagePath) + "." + letters.front() + letters.back() + "w";
}

}  // namespace linea
