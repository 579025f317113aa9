#include "demo_project.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/messages.h"
#include "imaging/image.h"
#include "project/workspace.h"

namespace linea {

namespace {
constexpr double kPi = 3.14159265358979;
// The two ridge families: their strike in degrees and their spacing in pixels.
constexpr double kFirstStrike = 30.0, kFirstSpacing = 23.0;
constexpr double kSecondStrike = 125.0, kSecondSpacing = 37.0;

// Phase of a ridge family at a pixel: the crest is where the sine is 1.
double Wave(int x, int y, double strikeDegrees, double spacing) {
  const double a = strikeDegrees * kPi / 180.0;
  // Distance across the strike, image rows growing downwards.
  const double across = -x * std::sin(a) - y * std::cos(a);
  return std::sin(2.0 * kPi * across / spacing);
}

// The first family dominates the left of the image, the second the right.
double Weight(int x, int width) { return width > 1 ? double(x) / (width - 1) : 0.5; }

// Stripe code 1..16 of a direction in degrees (0 east, counter-clockwise).
std::uint8_t CodeOfStrike(double degrees) {
  double d = std::fmod(degrees, 180.0);
  if (d < 0) d += 180.0;
  return std::uint8_t(1 + int(d / 11.25) % 16);
}
}  // namespace

int DemoImageLevel(int x, int y, int width) {
  const double w = Weight(x, width);
  const double level = 128.0 + 70.0 * (1.0 - w) * Wave(x, y, kFirstStrike, kFirstSpacing) +
                       70.0 * w * Wave(x, y, kSecondStrike, kSecondSpacing) + 12.0 * std::sin(x * 0.05 + y * 0.031);
  return std::clamp(int(level), 0, 255);
}

std::string WriteDemoProject(CAppHost& host, const std::string& folder, const std::string& name,
                             const DemoProjectOptions& options) {
  const std::string base = folder + "/" + name;
  CImage image;
  if (!image.Create(options.width, options.height, 8)) {
    ShowErrorCode(host, 3);
    return {};
  }
  for (int y = 0; y < options.height; ++y)
    for (int x = 0; x < options.width; ++x) image.SetColorForPixel(x, y, DemoImageLevel(x, y, options.width));
  if (!image.Save(base + ".bmp", kImageFormatBmp)) {
    ShowErrorCode(host, 6);
    return {};
  }

  CWorkspace workspace(host);
  if (!workspace.LoadBaseImage(base + ".bmp", 1)) return {};
  CResults& results = workspace.results;
  if (options.stripes) {
    const std::size_t cells = std::size_t(results.gridWidth) * results.gridHeight;
    results.stripeCodes.assign(cells, 0);
    for (std::uint32_t y = 0; y < results.gridHeight; ++y) {
      for (std::uint32_t x = 0; x < results.gridWidth; ++x) {
        const double w = Weight(int(x), int(results.gridWidth));
        const bool firstFamily = w < 0.5;
        const double crest = firstFamily ? Wave(int(x), int(y), kFirstStrike, kFirstSpacing)
                                         : Wave(int(x), int(y), kSecondStrike, kSecondSpacing);
        // Short stripes along the crests, every third cell so that they stay apart.
        if (crest > 0.93 && (x + 2 * y) % 3 == 0)
          results.stripeCodes[std::size_t(y) * results.gridWidth + x] =
              CodeOfStrike(firstFamily ? kFirstStrike : kSecondStrike);
      }
    }
    results.DeriveStripeClasses();
    results.hasStripes = true;
    if (options.globalRose) results.hasGlobalRose = results.ComputeGlobalRose() == 0;
  }
  const std::string project = base + ".orw";
  const int code = workspace.SaveProject(project);
  if (code != 0) {
    ShowErrorCode(host, code);
    return {};
  }
  return project;
}

}  // namespace linea
