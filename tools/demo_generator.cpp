#include "demo_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "base/atomic_file.h"
#include "base/binary_io.h"
#include "base/checked_alloc.h"
#include "base/layer_names.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/profile_text.h"
#include "base/string_table.h"
#include "imaging/image.h"
#include "layers/bitmap_layer.h"
#include "layers/raster_import.h"
#include "project/calc_parameter_rules.h"
#include "project/calculation.h"
#include "project/workspace.h"

namespace linea {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Deterministic uniform numbers in [0, 1): mt19937 is fixed by the standard, the
// library's distributions are not.
class CDemoRandom {
 public:
  explicit CDemoRandom(std::uint32_t seed) : engine_(seed) {}
  double Next() { return double(engine_() >> 8) * (1.0 / 16777216.0); }
  double Between(double lo, double hi) { return lo + (hi - lo) * Next(); }

 private:
  std::mt19937 engine_;
};

// One straight feature of the synthetic scenes (a ridge or valley, a bright or
// dark line): centre, unit direction (x right, y down), half length, the
// Gaussian half width of its cross profile and its signed height.
struct LinearFeature {
  double cx, cy, ux, uy, halfLength, sigma, strength;
};

// Straight features in four families, each family ruling its own part of the
// scene (the parts around four random centres) with its own strike, so that the
// roses and maps of the demo have areas of different main direction. Features
// keep the size of real ones whatever the size of the scene: their number grows
// with the area. Strengths lie in [least, most], negative for a share
// `negativeShare`.
std::vector<LinearFeature> LinearFeatures(int width, int height, std::uint32_t seed, double sigmaLo,
                                          double sigmaHi, double least, double most, double negativeShare) {
  CDemoRandom random(seed);
  double strikes[4], centreX[4], centreY[4];
  for (int i = 0; i < 4; ++i) {
    strikes[i] = random.Between(0.0, 180.0);
    centreX[i] = random.Between(0.0, width);
    centreY[i] = random.Between(0.0, height);
  }
  const double area = double(width) * double(height);
  const int count = std::max(8, int(std::lround(60.0 * area / (1024.0 * 1024.0))));
  std::vector<LinearFeature> features;
  features.reserve(std::size_t(count));
  for (int k = 0; k < count; ++k) {
    LinearFeature f{};
    f.cx = random.Between(0.0, width);
    f.cy = random.Between(0.0, height);
    int family = 0;
    double nearest = INFINITY;
    for (int i = 0; i < 4; ++i) {
      const double d = (f.cx - centreX[i]) * (f.cx - centreX[i]) + (f.cy - centreY[i]) * (f.cy - centreY[i]);
      if (d < nearest) nearest = d, family = i;
    }
    const double strike = (strikes[family] + random.Between(-4.0, 4.0)) * kPi / 180.0;
    f.ux = std::cos(strike);
    f.uy = -std::sin(strike);  // y down in the raster, strike counted with y up
    f.halfLength = random.Between(30.0, 150.0);
    f.sigma = random.Between(sigmaLo, sigmaHi);
    f.strength = random.Between(least, most) * (random.Next() < negativeShare ? -1.0 : 1.0);
    features.push_back(f);
  }
  return features;
}

// Adds the features to a raster: a Gaussian profile across each, faded out over
// two half widths beyond its ends. Only the band around each feature is visited.
void AddFeatures(const std::vector<LinearFeature>& features, int width, int height, std::vector<float>& values) {
  for (const LinearFeature& f : features) {
    const double reachAcross = 3.0 * f.sigma + 1.0, reachAlong = f.halfLength + 2.0 * f.sigma;
    const double extentX = std::fabs(f.ux) * reachAlong + std::fabs(f.uy) * reachAcross;
    const double extentY = std::fabs(f.uy) * reachAlong + std::fabs(f.ux) * reachAcross;
    const int y0 = std::max(0, int(std::floor(f.cy - extentY))), y1 = std::min(height - 1, int(std::ceil(f.cy + extentY)));
    const int x0 = std::max(0, int(std::floor(f.cx - extentX))), x1 = std::min(width - 1, int(std::ceil(f.cx + extentX)));
    for (int y = y0; y <= y1; ++y) {
      // The columns within reach of the line on this row: |across| <= reachAcross,
      // where across = (x - cx) * uy - (y - cy) * ux.
      int from = x0, to = x1;
      if (std::fabs(f.uy) > 1e-9) {
        const double c = (y - f.cy) * f.ux / f.uy;
        const double a = f.cx + c - reachAcross / std::fabs(f.uy), b = f.cx + c + reachAcross / std::fabs(f.uy);
        from = std::max(from, int(std::floor(a)));
        to = std::min(to, int(std::ceil(b)));
      }
      float* row = values.data() + std::size_t(y) * std::size_t(width);
      for (int x = from; x <= to; ++x) {
        const double dx = x - f.cx, dy = y - f.cy;
        const double across = dx * f.uy - dy * f.ux, along = std::fabs(dx * f.ux + dy * f.uy);
        if (std::fabs(across) > reachAcross || along > reachAlong) continue;
        const double fade = std::clamp((reachAlong - along) / (2.0 * f.sigma), 0.0, 1.0);
        row[x] += float(f.strength * fade * std::exp(-across * across / (2.0 * f.sigma * f.sigma)));
      }
    }
  }
}

// A gentle relief under the features: slopes far below the search's thresholds.
double Background(int x, int y) {
  return std::sin(x * 0.009 + 0.7) * std::cos(y * 0.007) + 0.5 * std::sin((x + 2 * y) * 0.004);
}

int Fail(CAppHost& host, int code) {
  ShowErrorCode(host, code);
  return code;
}

bool SaveLevels(const std::vector<std::uint8_t>& levels, int width, int height, const std::string& path,
                int format) {
  CImage image;
  if (!image.Create(width, height, 8)) return false;
  for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
  for (int y = 0; y < height; ++y)
    std::copy_n(levels.data() + std::size_t(y) * std::size_t(width), std::size_t(width), image.Row(y));
  return image.Save(path, format);
}

int CopyFile(const std::string& from, const std::string& to) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(from, bytes, std::uint64_t(1) << 32) != ReadFileResult::Ok) return kErrorCannotOpen;
  return WriteFileAtomically(to, bytes.data(), bytes.size()) == 0 ? 0 : kErrorCannotWrite;
}

// Heights of an elevation model given as raw little-endian samples: 32-bit floats
// when the file holds 4 bytes per cell, 16-bit unsigned when it holds 2.
int ReadRawHeights(const std::string& path, int width, int height, std::vector<float>& heights) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(path, bytes, std::uint64_t(1) << 32) != ReadFileResult::Ok) return kErrorCannotOpen;
  const std::uint64_t cells = std::uint64_t(width) * std::uint64_t(height);
  if (!TryResize(heights, cells)) return kErrorOutOfMemory;
  if (bytes.size() == cells * 4) {
    for (std::uint64_t i = 0; i < cells; ++i) {
      const std::uint32_t bits = GetLE32(bytes.data() + i * 4);
      float value;
      std::memcpy(&value, &bits, sizeof value);
      heights[i] = value;
    }
  } else if (bytes.size() == cells * 2) {
    for (std::uint64_t i = 0; i < cells; ++i) heights[i] = GetLE16(bytes.data() + i * 2);
  } else {
    return kErrorNoData;
  }
  return 0;
}

// The model as 16-bit samples, decimetres above the lowest cell would overflow for
// high mountains, so heights are spread over 0..63999 like an ASCII grid import.
int WriteRaw16(const std::vector<float>& heights, float lo, float hi, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!TryResize(bytes, std::uint64_t(heights.size()) * 2)) return kErrorOutOfMemory;
  const double scale = hi > lo ? 63999.0 / (double(hi) - lo) : 0.0;
  for (std::size_t i = 0; i < heights.size(); ++i) {
    const double v = std::isfinite(heights[i]) ? (heights[i] - lo) * scale : 0.0;
    PutLE16(bytes.data() + i * 2, std::uint16_t(std::clamp(v, 0.0, 63999.0)));
  }
  return WriteFileAtomically(path, bytes.data(), bytes.size()) == 0 ? 0 : kErrorCannotWrite;
}

// A "DSAA" grid: header with cell-centre extents, then the rows from the lowest y.
int WriteGrid(const std::vector<float>& heights, int width, int height, const double extent[4], float lo, float hi,
              const std::string& path) {
  double west = extent[0], east = extent[1], south = extent[2], north = extent[3];
  if (!(east > west && north > south)) {
    west = 0;
    east = width;
    south = 0;
    north = height;
  }
  const double dx = (east - west) / width, dy = (north - south) / height;
  std::string text;
  char line[256];
  std::snprintf(line, sizeof line, "DSAA\n%d %d\n%.6f %.6f\n%.6f %.6f\n%.6f %.6f\n", width, height, west + dx / 2,
                east - dx / 2, south + dy / 2, north - dy / 2, double(lo), double(hi));
  text += line;
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const float* row = heights.data() + std::size_t(height - 1 - fileRow) * std::size_t(width);
    for (int x = 0; x < width; ++x) {
      std::snprintf(line, sizeof line, x + 1 < width ? "%.3f " : "%.3f\n", double(row[x]));
      text += line;
    }
  }
  return WriteFileAtomically(path, text) == 0 ? 0 : kErrorCannotWrite;
}

// Six blocks, three across and two down, numbered 1..6.
std::vector<std::uint8_t> DemoBlocks(int width, int height) {
  std::vector<std::uint8_t> blocks(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      blocks[std::size_t(y) * width + x] = std::uint8_t(1 + std::min(2, x * 3 / width) + 3 * std::min(1, y * 2 / height));
  return blocks;
}

// The mask: 0 inside an ellipse in the lower-left part, 255 elsewhere.
std::vector<std::uint8_t> DemoMask(int width, int height) {
  std::vector<std::uint8_t> mask(std::size_t(width) * std::size_t(height), 255);
  const double cx = width * 0.2, cy = height * 0.8, rx = std::max(1.0, width * 0.12), ry = std::max(1.0, height * 0.1);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double u = (x - cx) / rx, v = (y - cy) / ry;
      if (u * u + v * v <= 1.0) mask[std::size_t(y) * width + x] = 0;
    }
  return mask;
}

// Thresholds of the search for each kind of demo, chosen so that the demo shows
// its features and not the texture between them: on the Landsat scene these keep
// about a third of the cells (the default 20 / 1 stripes nearly every cell); the
// elevation models have curvatures of only a few levels over the stripe window.
void SetDemoThresholds(DemoKind kind, CalcParameters& params) {
  switch (kind) {
    case DemoKind::Grey:
      params.TR_Linear = 60;
      params.TR_Contrast = 4;
      break;
    case DemoKind::Elevation:
      params.TR_Linear = 30;
      params.TR_Contrast = 1;
      break;
    case DemoKind::Scheme:
      params.TR_Linear = 40;
      params.TR_Contrast = 3;
      break;
  }
}

bool ParseSize(const std::string& text, int& width, int& height) {
  char* end = nullptr;
  const long w = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || (*end != 'x' && *end != 'X')) return false;
  const char* rest = end + 1;
  const long h = std::strtol(rest, &end, 10);
  if (end == rest || *end != 0) return false;
  if (w < 1 || h < 1 || w > 32767 || h > 32767) return false;
  width = int(w);
  height = int(h);
  return true;
}

}  // namespace

std::string ParseDemoArguments(const std::vector<std::string>& arguments, DemoGeneratorOptions& options) {
  bool haveKind = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    auto value = [&](int count = 1) -> const std::string* {
      if (i + count >= arguments.size()) return nullptr;
      i += count;
      return &arguments[i - count + 1];
    };
    const std::string* v = nullptr;
    double number = 0;
    if (option == "--kind") {
      if (!(v = value())) return "--kind needs grey, dtm or scheme";
      if (*v == "grey") options.kind = DemoKind::Grey;
      else if (*v == "dtm") options.kind = DemoKind::Elevation;
      else if (*v == "scheme") options.kind = DemoKind::Scheme;
      else return "unknown kind " + *v;
      haveKind = true;
    } else if (option == "--size") {
      if (!(v = value()) || !ParseSize(*v, options.width, options.height)) return "--size needs WxH, 1..32767 each";
    } else if (option == "--base") {
      if (!(v = value())) return "--base needs a file";
      options.basePath = *v;
    } else if (option == "--rate") {
      if (!(v = value()) || !ParseWholeDouble(*v, number) || number < 1.0 || number > 1000.0)
        return "--rate needs a number of at least 1";
      options.rate = RoundCompressionRate(number);
    } else if (option == "--rose-window") {
      if (!(v = value()) || !ParseWholeDouble(*v, number) || number < 8 || number > 1500)
        return "--rose-window needs a number from 8 to 1500";
      options.roseWindow = RoundRoseWindow(std::int32_t(number));
    } else if (option == "--seed") {
      if (!(v = value()) || !ParseWholeDouble(*v, number) || number < 0 || number > 4294967295.0)
        return "--seed needs a number";
      options.seed = std::uint32_t(number);
    } else if (option == "--extent") {
      if (!(v = value(4))) return "--extent needs x-west x-east y-south y-north";
      for (int k = 0; k < 4; ++k)
        if (!ParseWholeDouble(arguments[i - 3 + std::size_t(k)], options.extent[k])) return "--extent needs numbers";
    } else if (option == "--out") {
      if (!(v = value())) return "--out needs DIR/NAME.orw";
      options.outPath = *v;
    } else {
      return "unknown option " + option;
    }
  }
  if (!haveKind) return "--kind is missing";
  if (options.outPath.size() <= 4 || !EqualsNoCase(ExtensionPart(options.outPath), ".orw"))
    return "--out needs DIR/NAME.orw";
  if (options.basePath.empty() && options.width == 0) return "--size is needed without --base";
  if (options.kind == DemoKind::Elevation && EqualsNoCase(ExtensionPart(options.basePath), ".raw") &&
      options.width == 0)
    return "--size is needed for a raw elevation model";
  return {};
}

std::vector<std::uint8_t> SyntheticGreyScene(int width, int height, std::uint32_t seed) {
  // Bright and dark lines of 40..80 grey levels on a gentle background with a
  // little noise.
  std::vector<float> values(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) values[std::size_t(y) * width + x] = float(128.0 + 25.0 * Background(x, y));
  AddFeatures(LinearFeatures(width, height, seed, 1.5, 3.0, 40.0, 80.0, 0.5), width, height, values);
  CDemoRandom noise(seed ^ 0x9E3779B9u);
  std::vector<std::uint8_t> levels(values.size());
  for (std::size_t i = 0; i < values.size(); ++i)
    levels[i] = std::uint8_t(std::clamp(int(std::lround(values[i] + noise.Between(-6.0, 6.0))), 0, 255));
  return levels;
}

std::vector<float> SyntheticHeights(int width, int height, std::uint32_t seed) {
  // Valleys (and a few ridges) 20..40 m deep on rolling ground, heights in metres.
  std::vector<float> heights(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) heights[std::size_t(y) * width + x] = float(1000.0 + 30.0 * Background(x, y));
  AddFeatures(LinearFeatures(width, height, seed, 3.0, 5.0, 20.0, 40.0, 0.75), width, height, heights);
  return heights;
}

std::vector<std::uint8_t> SyntheticScheme(int width, int height, std::uint32_t seed) {
  std::vector<std::uint8_t> scheme(std::size_t(width) * std::size_t(height), 255);
  CDemoRandom random(seed);
  auto plot = [&](int x, int y) {
    if (x >= 0 && y >= 0 && x < width && y < height) scheme[std::size_t(y) * width + x] = 0;
  };
  const double side = std::max(width, height);
  // Fault-like families of straight segments, each in its own part of the sheet.
  for (int family = 0; family < 3; ++family) {
    const double strike = random.Between(0.0, kPi);
    const double cx = random.Between(0.2, 0.8) * width, cy = random.Between(0.2, 0.8) * height;
    const int count = 12 + int(random.Next() * 12);
    for (int k = 0; k < count; ++k) {
      const double ox = cx + random.Between(-0.35, 0.35) * width, oy = cy + random.Between(-0.35, 0.35) * height;
      const double length = random.Between(0.08, 0.3) * side;
      const double dx = std::cos(strike) * length / 2, dy = -std::sin(strike) * length / 2;
      const int steps = int(length) + 1;
      for (int s = 0; s <= steps; ++s) {
        const double t = double(s) / steps;
        const int x = int(std::lround(ox - dx + 2 * dx * t)), y = int(std::lround(oy - dy + 2 * dy * t));
        plot(x, y);
        plot(x + 1, y);
      }
    }
  }
  return scheme;
}

int GenerateDemoProject(CAppHost& host, const DemoGeneratorOptions& options) {
  const std::string stem = WithoutExtension(options.outPath);
  const int imageType = options.kind == DemoKind::Grey ? 1 : options.kind == DemoKind::Scheme ? 2 : 3;
  std::string basePath;
  int width = options.width, height = options.height;

  if (options.kind == DemoKind::Elevation) {
    std::vector<float> heights;
    if (options.basePath.empty()) {
      heights = SyntheticHeights(width, height, options.seed);
    } else if (EqualsNoCase(ExtensionPart(options.basePath), ".raw")) {
      if (width < 1) return Fail(host, kErrorNoData);
      if (int code = ReadRawHeights(options.basePath, width, height, heights)) {
        ShowErrorCode(host, code);
        return code;
      }
    } else {
      basePath = stem + ExtensionPart(options.basePath);
      if (int code = CopyFile(options.basePath, basePath)) return Fail(host, code);
    }
    if (basePath.empty()) {
      float lo = INFINITY, hi = -INFINITY;
      for (float h : heights)
        if (std::isfinite(h)) {
          lo = std::min(lo, h);
          hi = std::max(hi, h);
        }
      if (!(hi >= lo)) lo = hi = 0;
      if (int code = WriteRaw16(heights, lo, hi, stem + ".raw")) return Fail(host, code);
      basePath = stem + ".grd";
      if (int code = WriteGrid(heights, width, height, options.extent, lo, hi, basePath)) return Fail(host, code);
    }
  } else if (!options.basePath.empty()) {
    basePath = stem + ExtensionPart(options.basePath);
    if (int code = CopyFile(options.basePath, basePath)) return Fail(host, code);
    // A world file beside the image travels with it.
    std::vector<std::uint8_t> world;
    if (ReadFileBytes(WorldFilePath(options.basePath), world, 1 << 20) == ReadFileResult::Ok)
      WriteFileAtomically(WorldFilePath(basePath), world.data(), world.size());
  } else if (options.kind == DemoKind::Grey) {
    basePath = stem + ".tif";
    if (!SaveLevels(SyntheticGreyScene(width, height, options.seed), width, height, basePath, kImageFormatTiff))
      return Fail(host, kErrorCannotWrite);
  } else {
    basePath = stem + ".bmp";
    if (!SaveLevels(SyntheticScheme(width, height, options.seed), width, height, basePath, kImageFormatBmp))
      return Fail(host, kErrorCannotWrite);
  }

  CWorkspace workspace(host);
  if (!workspace.LoadBaseImage(basePath, imageType)) return kErrorCannotOpen;
  const auto* base = dynamic_cast<const CBitmapLayer*>(workspace.layerStack.FindLayer(LoadText(kBaseLayerName)));
  if (!base) return Fail(host, kErrorNoData);
  width = base->Image().GetWidth();
  height = base->Image().GetHeight();
  CalcParameters& params = workspace.params;
  params.Rate = options.rate;
  params.rose_wind = std::max<std::int32_t>(8, std::min<std::int64_t>(options.roseWindow,
                                                std::max<std::int64_t>(8, MaxRoseWindow(width, height))));
  params.rose_wind = RoundRoseWindow(params.rose_wind);
  SetDemoThresholds(options.kind, params);

  const std::string blocksPath = stem + "_blocks.bmp";
  if (!SaveLevels(DemoBlocks(width, height), width, height, blocksPath, kImageFormatBmp))
    return Fail(host, kErrorCannotWrite);
  workspace.LoadBlocksImage(blocksPath, 1);
  const std::string maskPath = stem + "_mask.bmp";
  if (!SaveLevels(DemoMask(width, height), width, height, maskPath, kImageFormatBmp))
    return Fail(host, kErrorCannotWrite);
  workspace.LoadMaskImage(maskPath);

  // The results come from the program's own search, as "Расчет" makes them.
  AnalysisRequest request;
  request.stripes = request.blockRoses = request.windowRoses = request.lineaments = true;
  if (int code = CalculateResults(workspace, request)) return code;

  if (int code = workspace.SaveProject(options.outPath)) return Fail(host, code);
  return 0;
}

}  // namespace linea
