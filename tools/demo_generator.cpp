#include "demo_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <array>
#include <numeric>
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
#include "project/workspace.h"

namespace linea {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Where the structure tensor has no dominant direction, or too little contrast,
// no stripe is found: coherence below this, or a mean squared gradient below
// kMinimumEnergy grey levels squared.
constexpr double kMinimumCoherence = 0.35;
constexpr double kMinimumEnergy = 16.0;
// Chains of cells whose directions differ by at most this many degrees are one
// lineament.
constexpr int kLineamentDirectionTolerance = 15;

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

// One family of straight ridges: strike, spacing, amplitude, phase, and the centre
// and radius of the area where it dominates.
struct RidgeFamily {
  double cosStrike, sinStrike, spacing, amplitude, phase, centreX, centreY, radius;
};

std::vector<RidgeFamily> RidgeFamilies(int width, int height, std::uint32_t seed) {
  CDemoRandom random(seed);
  std::vector<RidgeFamily> families;
  const double side = std::max(1, std::min(width, height));
  for (int i = 0; i < 4; ++i) {
    const double strike = random.Between(0.0, 180.0) * kPi / 180.0;
    RidgeFamily f{};
    f.cosStrike = std::cos(strike);
    f.sinStrike = std::sin(strike);
    // Ridges keep the spacing of real features, whatever the size of the scene.
    f.spacing = random.Between(14.0, 40.0);
    f.amplitude = random.Between(0.6, 1.0);
    f.phase = random.Between(0.0, 2.0 * kPi);
    f.centreX = random.Between(0.0, width);
    f.centreY = random.Between(0.0, height);
    f.radius = random.Between(0.35, 0.7) * side;
    families.push_back(f);
  }
  return families;
}

// The terrain in [-1, 1] at a pixel (row 0 at the top).
double Terrain(const std::vector<RidgeFamily>& families, int x, int y) {
  double sum = 0, weights = 0;
  for (const RidgeFamily& f : families) {
    const double dx = x - f.centreX, dy = y - f.centreY;
    const double weight = 1.0 / (1.0 + (dx * dx + dy * dy) / (f.radius * f.radius));
    // Distance across the strike, y up on screen.
    const double across = -x * f.sinStrike - y * f.cosStrike;
    sum += weight * f.amplitude * std::sin(2.0 * kPi * across / f.spacing + f.phase);
    weights += weight;
  }
  return weights > 0 ? sum / weights : 0.0;
}

std::uint8_t StripeCodeOfDirection(double degrees) {
  double d = std::fmod(degrees, 180.0);
  if (d < 0) d += 180.0;
  return std::uint8_t(1 + int(d / 11.25) % 16);
}

// Centre pixel of a grid cell, inside the image.
int CellCentre(std::uint32_t cell, double rate, int side) {
  return std::clamp(int((cell + 0.5) * rate), 0, side - 1);
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

// Grey levels as the base layer shows them: the green part of each pixel's colour.
bool LayerLevels(const CImage& image, std::vector<std::uint8_t>& levels) {
  const int w = image.GetWidth(), h = image.GetHeight();
  if (!TryResize(levels, std::uint64_t(w) * std::uint64_t(h))) return false;
  const auto& palette = image.Palette();
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = image.Row(y);
    std::uint8_t* out = levels.data() + std::size_t(y) * std::size_t(w);
    if (image.GetBitsPerPixel() == 8) {
      for (int x = 0; x < w; ++x) out[x] = std::uint8_t((palette[row[x]] >> 8) & 0xFF);
    } else {
      const int bytes = image.GetBytesPerPixel();
      for (int x = 0; x < w; ++x) out[x] = row[std::size_t(x) * bytes + 1];
    }
  }
  return true;
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
  const auto families = RidgeFamilies(width, height, seed);
  std::vector<std::uint8_t> levels(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double level = 128.0 + 100.0 * Terrain(families, x, y) + 10.0 * std::sin(x * 0.013 + y * 0.007);
      levels[std::size_t(y) * width + x] = std::uint8_t(std::clamp(int(level), 0, 255));
    }
  return levels;
}

std::vector<float> SyntheticHeights(int width, int height, std::uint32_t seed) {
  const auto families = RidgeFamilies(width, height, seed);
  std::vector<float> heights(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      heights[std::size_t(y) * width + x] =
          float(1000.0 + 40.0 * Terrain(families, x, y) + 0.05 * (x + y) + 20.0 * std::sin(x * 0.01) * std::cos(y * 0.008));
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

std::vector<std::uint8_t> ComputeDemoStripes(const std::uint8_t* levels, std::size_t stride, int width, int height,
                                             double rate, std::uint32_t gridWidth, std::uint32_t gridHeight,
                                             std::vector<std::uint8_t>* directions) {
  std::vector<std::uint8_t> codes;
  const std::uint64_t cells = std::uint64_t(gridWidth) * gridHeight;
  if (!TryResize(codes, cells)) return {};
  if (directions && !TryResize(*directions, cells)) return {};
  if (width < 1 || height < 1 || cells == 0) return codes;
  const int radius = std::max(2, int(std::lround(rate)));
  // Gradient products of one image row, y up on screen.
  auto products = [&](int y, std::vector<std::int64_t>& xx, std::vector<std::int64_t>& yy,
                      std::vector<std::int64_t>& xy) {
    const std::uint8_t* row = levels + std::size_t(y) * stride;
    const std::uint8_t* above = levels + std::size_t(std::max(0, y - 1)) * stride;
    const std::uint8_t* below = levels + std::size_t(std::min(height - 1, y + 1)) * stride;
    for (int x = 0; x < width; ++x) {
      const int gx = int(row[std::min(width - 1, x + 1)]) - int(row[std::max(0, x - 1)]);
      const int gy = int(above[x]) - int(below[x]);
      xx[x] = gx * gx;
      yy[x] = gy * gy;
      xy[x] = gx * gy;
    }
  };
  // Column sums over the rows within `radius` of the current one.
  std::vector<std::int64_t> sumXX(width), sumYY(width), sumXY(width), pXX(width), pYY(width), pXY(width);
  std::vector<std::int64_t> prefixXX(width + 1), prefixYY(width + 1), prefixXY(width + 1);
  auto addRow = [&](int y, int sign) {
    if (y < 0 || y >= height) return;
    products(y, pXX, pYY, pXY);
    for (int x = 0; x < width; ++x) {
      sumXX[x] += sign * pXX[x];
      sumYY[x] += sign * pYY[x];
      sumXY[x] += sign * pXY[x];
    }
  };
  for (int y = 0; y < radius && y < height; ++y) addRow(y, 1);
  std::uint32_t nextGridRow = 0;
  for (int y = 0; y < height && nextGridRow < gridHeight; ++y) {
    addRow(y + radius, 1);
    addRow(y - radius - 1, -1);
    if (CellCentre(nextGridRow, rate, height) != y) continue;
    for (int x = 0; x < width; ++x) {
      prefixXX[x + 1] = prefixXX[x] + sumXX[x];
      prefixYY[x + 1] = prefixYY[x] + sumYY[x];
      prefixXY[x + 1] = prefixXY[x] + sumXY[x];
    }
    const int rows = std::min(height - 1, y + radius) - std::max(0, y - radius) + 1;
    // Every grid row whose centre falls on this image row (rates below 1 are refused
    // elsewhere, but the loop stays safe).
    while (nextGridRow < gridHeight && CellCentre(nextGridRow, rate, height) == y) {
      std::uint8_t* out = codes.data() + std::size_t(nextGridRow) * gridWidth;
      std::uint8_t* direction = directions ? directions->data() + std::size_t(nextGridRow) * gridWidth : nullptr;
      for (std::uint32_t gx = 0; gx < gridWidth; ++gx) {
        const int cx = CellCentre(gx, rate, width);
        const int x0 = std::max(0, cx - radius), x1 = std::min(width - 1, cx + radius);
        const double jxx = double(prefixXX[x1 + 1] - prefixXX[x0]);
        const double jyy = double(prefixYY[x1 + 1] - prefixYY[x0]);
        const double jxy = double(prefixXY[x1 + 1] - prefixXY[x0]);
        const double trace = jxx + jyy;
        const double pixels = double(rows) * (x1 - x0 + 1);
        std::uint8_t code = 0;
        double degrees = 0;
        if (trace > kMinimumEnergy * pixels) {
          const double anisotropy = std::sqrt((jxx - jyy) * (jxx - jyy) + 4 * jxy * jxy);
          // The gradient's main direction; the feature runs across it.
          degrees = 0.5 * std::atan2(2 * jxy, jxx - jyy) * 180.0 / kPi + 90.0;
          if (degrees >= 180.0) degrees -= 180.0;
          if (degrees < 0.0) degrees += 180.0;
          if (anisotropy / trace >= kMinimumCoherence) code = StripeCodeOfDirection(degrees);
        }
        out[gx] = code;
        if (direction) direction[gx] = std::uint8_t(std::min(179, int(degrees)));
      }
      ++nextGridRow;
    }
  }
  return codes;
}

std::vector<std::uint16_t> CountWindowRoses(const std::vector<std::uint8_t>& classes, std::uint32_t gridWidth,
                                            std::uint32_t gridHeight, double diameter) {
  const std::uint64_t nx = (std::uint64_t(gridWidth) + 7) / 8 + 1, ny = (std::uint64_t(gridHeight) + 7) / 8 + 1;
  std::vector<std::uint16_t> roses;
  if (!TryResize(roses, nx * ny * 8)) return {};
  const std::uint64_t held = std::min<std::uint64_t>(classes.size(), std::uint64_t(gridWidth) * gridHeight);
  const double r = std::max(0.0, diameter / 2);
  const int reach = int(r);
  // Counts of each class up to a column, interleaved by class, for the grid rows
  // within reach of the current rose row: each row's prefix is made once and kept
  // while later rose rows still reach it.
  const std::size_t ringRows = std::size_t(2 * reach + 1);
  const std::size_t rowValues = (std::size_t(gridWidth) + 1) * 8;
  std::vector<std::uint32_t> ring;
  std::vector<std::int64_t> ringRow(ringRows, -1);
  if (!TryResize(ring, std::uint64_t(ringRows) * rowValues)) return {};
  auto prefixOf = [&](std::int64_t y) -> const std::uint32_t* {
    const std::size_t slot = std::size_t(y) % ringRows;
    std::uint32_t* prefix = ring.data() + slot * rowValues;
    if (ringRow[slot] == y) return prefix;
    ringRow[slot] = y;
    std::fill(prefix, prefix + 8, 0);
    for (std::uint32_t x = 0; x < gridWidth; ++x) {
      const std::uint64_t cell = std::uint64_t(y) * gridWidth + x;
      const int k = cell < held ? classes[cell] : 0;
      std::copy_n(prefix + std::size_t(x) * 8, 8, prefix + std::size_t(x + 1) * 8);
      if (k >= 1 && k <= 8) ++prefix[std::size_t(x + 1) * 8 + std::size_t(k - 1)];
    }
    return prefix;
  };
  std::vector<std::uint32_t> counts(std::size_t(nx) * 8);
  for (std::uint64_t rr = 0; rr < ny; ++rr) {
    std::fill(counts.begin(), counts.end(), 0);
    const std::int64_t cy = std::int64_t(rr) * 8;
    for (int dy = -reach; dy <= reach; ++dy) {
      const std::int64_t y = cy + dy;
      if (y < 0 || y >= std::int64_t(gridHeight)) continue;
      const std::uint32_t* prefix = prefixOf(y);
      const int half = int(std::sqrt(std::max(0.0, r * r - double(dy) * dy)));
      for (std::uint64_t c = 0; c < nx; ++c) {
        const std::int64_t x0 = std::max<std::int64_t>(0, std::int64_t(c) * 8 - half);
        const std::int64_t x1 = std::min<std::int64_t>(std::int64_t(gridWidth) - 1, std::int64_t(c) * 8 + half);
        if (x1 < x0) continue;
        for (int k = 0; k < 8; ++k)
          counts[c * 8 + k] += prefix[std::size_t(x1 + 1) * 8 + k] - prefix[std::size_t(x0) * 8 + k];
      }
    }
    for (std::uint64_t i = 0; i < nx * 8; ++i)
      roses[rr * nx * 8 + i] = std::uint16_t(std::min<std::uint32_t>(counts[i], 65535));
  }
  return roses;
}

std::vector<BlockRose> CountBlockRoses(const std::vector<std::uint8_t>& classes, std::uint32_t gridWidth,
                                       std::uint32_t gridHeight, double rate, const std::uint8_t* blocks,
                                       std::size_t stride, int width, int height) {
  std::array<std::array<std::int64_t, 8>, 256> counts{};
  std::array<std::int64_t, 256> pixels{}, sumX{}, sumY{};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int b = blocks[std::size_t(y) * stride + x];
      ++pixels[b];
      sumX[b] += x;
      sumY[b] += y;
    }
  const std::uint64_t held = std::min<std::uint64_t>(classes.size(), std::uint64_t(gridWidth) * gridHeight);
  for (std::uint32_t gy = 0; gy < gridHeight && height > 0; ++gy)
    for (std::uint32_t gx = 0; gx < gridWidth && width > 0; ++gx) {
      const std::uint64_t cell = std::uint64_t(gy) * gridWidth + gx;
      const int k = cell < held ? classes[cell] : 0;
      if (k < 1 || k > 8) continue;
      const int b = blocks[std::size_t(CellCentre(gy, rate, height)) * stride + std::size_t(CellCentre(gx, rate, width))];
      ++counts[b][k - 1];
    }
  std::vector<BlockRose> roses;
  for (int b = 1; b < 255; ++b) {
    if (pixels[b] == 0) continue;
    BlockRose rose;
    rose.header = {b, std::int32_t(sumX[b] / pixels[b]), std::int32_t(sumY[b] / pixels[b])};
    for (int k = 0; k < 8; ++k) rose.sectors[k] = std::int32_t(std::min<std::int64_t>(counts[b][k], INT32_MAX));
    roses.push_back(rose);
  }
  return roses;
}

std::vector<LineamentRecord> TraceDemoLineaments(const std::uint8_t* levels, std::size_t stride, int width,
                                                 int height, double rate, std::uint32_t gridWidth,
                                                 std::uint32_t gridHeight, const std::vector<std::uint8_t>& codes,
                                                 const std::vector<std::uint8_t>& directions, int minimumCells) {
  const std::uint64_t cells = std::uint64_t(gridWidth) * gridHeight;
  if (cells == 0 || width < 1 || height < 1 || codes.size() < cells || directions.size() < cells) return {};
  // Lineament records address cells with 16-bit rows and columns.
  if (gridWidth > 65535 || gridHeight > 65535) return {};
  auto level = [&](std::int64_t gx, std::int64_t gy) {
    gx = std::clamp<std::int64_t>(gx, 0, gridWidth - 1);
    gy = std::clamp<std::int64_t>(gy, 0, gridHeight - 1);
    return int(levels[std::size_t(CellCentre(std::uint32_t(gy), rate, height)) * stride +
                      std::size_t(CellCentre(std::uint32_t(gx), rate, width))]);
  };
  std::vector<std::uint32_t> parent;
  if (!TryResize(parent, cells)) return {};
  constexpr std::uint32_t kNone = 0xFFFFFFFF;
  for (std::uint64_t gy = 0; gy < gridHeight; ++gy)
    for (std::uint64_t gx = 0; gx < gridWidth; ++gx) {
      const std::uint64_t cell = gy * gridWidth + gx;
      parent[cell] = kNone;
      if (codes[cell] == 0) continue;
      // One cell across the direction, on each side (y up on screen).
      const double a = directions[cell] * kPi / 180.0;
      const int nx = int(std::lround(-std::sin(a))), ny = int(std::lround(-std::cos(a)));
      const int here = level(std::int64_t(gx), std::int64_t(gy));
      const int side1 = level(std::int64_t(gx) + nx, std::int64_t(gy) + ny);
      const int side2 = level(std::int64_t(gx) - nx, std::int64_t(gy) - ny);
      if ((here > side1 && here > side2) || (here < side1 && here < side2)) parent[cell] = std::uint32_t(cell);
    }
  auto find = [&](std::uint32_t c) {
    while (parent[c] != c) {
      parent[c] = parent[parent[c]];
      c = parent[c];
    }
    return c;
  };
  auto similar = [&](std::uint64_t a, std::uint64_t b) {
    const int d = std::abs(int(directions[a]) - int(directions[b]));
    return std::min(d, 180 - d) <= kLineamentDirectionTolerance;
  };
  for (std::uint64_t gy = 0; gy < gridHeight; ++gy)
    for (std::uint64_t gx = 0; gx < gridWidth; ++gx) {
      const std::uint64_t cell = gy * gridWidth + gx;
      if (parent[cell] == kNone) continue;
      // The neighbours already visited: left, and the three above.
      const std::int64_t offsets[4][2] = {{-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
      for (const auto& o : offsets) {
        const std::int64_t x = std::int64_t(gx) + o[0], y = std::int64_t(gy) + o[1];
        if (x < 0 || y < 0 || x >= std::int64_t(gridWidth)) continue;
        const std::uint64_t other = std::uint64_t(y) * gridWidth + std::uint64_t(x);
        if (parent[other] == kNone || !similar(cell, other)) continue;
        const std::uint32_t ra = find(std::uint32_t(cell)), rb = find(std::uint32_t(other));
        if (ra != rb) parent[std::max(ra, rb)] = std::min(ra, rb);
      }
    }
  std::vector<std::uint32_t> size;
  if (!TryResize(size, cells)) return {};
  for (std::uint64_t c = 0; c < cells; ++c)
    if (parent[c] != kNone) ++size[find(std::uint32_t(c))];
  // Group numbers in the order of each chain's first cell.
  std::vector<std::int32_t> group;
  if (!TryResize(group, cells)) return {};
  std::int32_t groups = 0;
  std::vector<LineamentRecord> records;
  for (std::uint64_t c = 0; c < cells; ++c) {
    if (parent[c] == kNone) continue;
    const std::uint32_t root = find(std::uint32_t(c));
    if (size[root] < std::uint32_t(std::max(1, minimumCells))) continue;
    if (group[root] == 0) group[root] = 1 + groups++ % 32767;
    LineamentRecord record;
    PutLE16(record.bytes.data() + 0, std::uint16_t(c / gridWidth));
    PutLE16(record.bytes.data() + 2, std::uint16_t(c % gridWidth));
    record.bytes[4] = directions[c];
    PutLE16(record.bytes.data() + 6, std::uint16_t(std::min<std::uint32_t>(size[root], 65535)));
    PutLE16(record.bytes.data() + 8, std::uint16_t(group[root]));
    records.push_back(record);
  }
  return records;
}

int GenerateDemoProject(CAppHost& host, const DemoGeneratorOptions& options) {
  const std::string folder = FolderPart(options.outPath);
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
  CResults& results = workspace.results;
  workspace.params.Rate = options.rate;
  workspace.params.rose_wind = std::max<std::int32_t>(8, std::min<std::int64_t>(options.roseWindow,
                                                          std::max<std::int64_t>(8, MaxRoseWindow(width, height))));
  workspace.params.rose_wind = RoundRoseWindow(workspace.params.rose_wind);
  results.SetGridFromRate(options.rate);
  if (results.gridWidth < 1 || results.gridHeight < 1) return Fail(host, kErrorNoData);

  std::vector<std::uint8_t> levels;
  if (!LayerLevels(base->Image(), levels)) return Fail(host, kErrorOutOfMemory);
  std::vector<std::uint8_t> directions;
  results.stripeCodes = ComputeDemoStripes(levels.data(), std::size_t(width), width, height, options.rate,
                                           results.gridWidth, results.gridHeight, &directions);
  if (results.stripeCodes.size() != results.GridCellCount()) return Fail(host, kErrorOutOfMemory);
  results.DeriveStripeClasses();
  results.hasStripes = true;
  results.hasGlobalRose = results.ComputeGlobalRose() == 0;
  results.windowRoses = CountWindowRoses(results.stripeClasses, results.gridWidth, results.gridHeight,
                                         workspace.params.rose_wind / options.rate);
  results.hasWindowRoses = !results.windowRoses.empty();
  results.lineaments = TraceDemoLineaments(levels.data(), std::size_t(width), width, height, options.rate,
                                           results.gridWidth, results.gridHeight, results.stripeCodes, directions);
  results.hasLineaments = !results.lineaments.empty();
  results.sourcePath = basePath;

  const std::vector<std::uint8_t> blocks = DemoBlocks(width, height);
  const std::string blocksPath = stem + "_blocks.bmp";
  if (!SaveLevels(blocks, width, height, blocksPath, kImageFormatBmp)) return Fail(host, kErrorCannotWrite);
  workspace.LoadBlocksImage(blocksPath, 1);
  results.blockRoses = CountBlockRoses(results.stripeClasses, results.gridWidth, results.gridHeight, options.rate,
                                       blocks.data(), std::size_t(width), width, height);
  results.hasBlockRoses = !results.blockRoses.empty() && !workspace.blocksImagePath.empty();
  const std::string maskPath = stem + "_mask.bmp";
  if (!SaveLevels(DemoMask(width, height), width, height, maskPath, kImageFormatBmp))
    return Fail(host, kErrorCannotWrite);
  workspace.LoadMaskImage(maskPath);

  if (int code = workspace.SaveProject(options.outPath)) return Fail(host, code);
  (void)folder;
  return 0;
}

}  // namespace linea
