#include "results/rose_map_palette.h"

#include <algorithm>
#include <cmath>

#include "layers/layer_stack.h"
#include "layers/raster_layer.h"
#include "results/rose_measures.h"

namespace linea {
namespace {

struct StepColor {
  std::uint8_t red = 0, green = 0, blue = 0;
};

// The stepped table: for 2..16 steps the colours of step 1, 2, ..., each naming
// the components it sets and their level (R3 is red at level L3); the others are 0.
constexpr const char* kSteppedTable[17] = {
    nullptr,
    nullptr,
    "B3; R0 B0",
    "B3; G2; R0 B0",
    "B3; R2; G2; R0 B0",
    "B3; R3 B3; R0; G1; R0 B0",
    "B3; R3; R3 G3; R0; B0; R0 B0",
    "B3; R3; R3 B3; R3 G3; R0; G1; R0 B0",
    "B3; R3; R3 B3; R3 G3; R0; G1; B0; R0 B0",
    "B3; R3; R3 B3; R3 G3; R0; G1; B0; R0 B0; R0 G0",
    "B3; G4; R3; R3 B3; R3 G3; R0; G1; B0; R0 B0; R0 G0",
    "B3; G4; R3; R3 B3; R3 G3; B0; G1; R0; G2 B0; R0 B0; R0 G0",
    "B3; G4; R3; G4 B3; R3 B3; R3 G3; B0; G1; R0; G2 B0; R0 B0; R0 G0",
    "B3; G4; R3; G4 B3; R3 B3; R3 G3; B0; G1; R0; R2 G2; G2 B0; R0 B0; R0 G0",
    "B3; G4; R3; G4 B3; R3 B3; R3 G3; R2; B0; G1; R0; R2 G2; G2 B0; R0 B0; R0 G0",
    "B3; G4; R3; R4 G4; G4 B3; R3 B3; R3 G3; R2; B0; G1; R0; R2 G2; G2 B0; R0 B0; R0 G0",
    "R4; B3; G4; R3; R4 G4; G4 B3; R3 B3; R3 G3; R2; B0; G1; R0; R2 G2; G2 B0; R0 B0; R0 G0",
};

std::uint8_t ClampByte(double value) { return std::uint8_t(std::clamp(TruncToInt(value), 0, 255)); }

std::vector<StepColor> SteppedColors(int steps, double brightness) {
  std::vector<StepColor> colors(static_cast<std::size_t>(steps));
  if (steps < 2 || steps > 16) return colors;
  const double fractions[5] = {0.0, 0.15, 0.22, 0.4, 0.5};
  std::uint8_t levels[5];
  for (int i = 0; i < 5; ++i) levels[i] = ClampByte(255.0 - brightness * fractions[i] * 255.0);
  std::size_t step = 0;
  for (const char* p = kSteppedTable[steps]; *p != '\0' && step < colors.size(); ++p) {
    if (*p == ';') {
      ++step;
    } else if ((*p == 'R' || *p == 'G' || *p == 'B') && p[1] >= '0' && p[1] <= '4') {
      const std::uint8_t level = levels[p[1] - '0'];
      StepColor& c = colors[step];
      (*p == 'R' ? c.red : *p == 'G' ? c.green : c.blue) = level;
      ++p;
    }
  }
  return colors;
}

StepColor RampColor(int x, int classes) {
  const int q = classes / 4, a = classes - q, bb = a - q;
  StepColor c;
  if (x <= q) {
    c.green = ClampByte(q == 0 ? 83.0 : 83.0 + 83.0 * x / q);
  } else if (x < a) {
    c.green = 166;
    c.red = ClampByte(bb == 0 ? 0.0 : double(x - q) * 255.0 / bb);
  } else if (x < classes) {
    c.green = ClampByte(166.0 - double(x - a) * 123.0 / q);
    c.red = ClampByte(255.0 - double(x - a) * 196.0 / q);
  } else {
    c.red = 64;
    c.green = 43;
  }
  return c;
}

}  // namespace

RoseMapPalette MakeRoseMapPalette(bool equalPopulation, int paletteKind, int classes, int steps,
                                  std::span<const double, 256> histogram, double brightness) {
  RoseMapPalette palette;
  const int s = std::clamp(steps, 0, kMaxPaletteSteps);
  palette.boundaries.assign(std::size_t(s), 0);
  palette.used.fill(1);
  if (s < 1 || classes < 1) return palette;

  std::vector<std::uint8_t>& b = palette.boundaries;
  if (!equalPopulation) {
    const double f = std::max(1.0, double(classes - 1) / double(s));
    for (int k = 0; k < s - 1; ++k) b[k] = std::uint8_t(std::min(TruncToInt((k + 1) * f), 255));
  } else {
    double total = 0.0;
    for (int c = 1; c < 256; ++c) total += histogram[c];
    const double share = total / s;
    double sum = histogram[1];
    int c = 2;
    for (int k = 0; k < s - 1; ++k) {
      while (c < 256) {
        sum += histogram[c];
        if (sum > (k + 1) * share) break;
        ++c;
      }
      // The class at which the sum crossed opens the next step but stays counted.
      b[k] = std::uint8_t(std::min(c - 1, 255));
      ++c;
    }
  }
  b[s - 1] = 255;

  std::vector<StepColor> colors(static_cast<std::size_t>(s));
  if (paletteKind == 1) {
    for (int k = 0; k < s; ++k) {
      const std::uint8_t grey = std::uint8_t((k + 1) * 255 / s);
      colors[k] = {grey, grey, grey};
    }
  } else if (paletteKind == 2) {
    for (int k = 0; k < s; ++k) colors[k] = RampColor(b[k], classes);
  } else if (paletteKind == 3) {
    colors = SteppedColors(s, brightness);
  }
  int k = 0;
  for (int c = 1; c < 256; ++c) {
    while (k < s - 1 && c > b[k]) ++k;
    palette.red[c] = colors[k].red;
    palette.green[c] = colors[k].green;
    palette.blue[c] = colors[k].blue;
  }
  return palette;
}

int RecolourRoseMap(CLayerStack& stack, const std::string_view name, int steps, bool equalPopulation,
                    int paletteKind, double brightness) {
  auto* layer = dynamic_cast<CRasterLayer*>(stack.FindLayer(name));
  if (layer == nullptr) return 2;
  RoseMapPalette palette = MakeRoseMapPalette(equalPopulation, paletteKind, layer->classes, steps,
                                              layer->classHistogram, brightness);
  layer->steps = int(palette.boundaries.size());
  layer->equalPopulation = equalPopulation ? 1 : 0;
  layer->paletteKind = std::uint8_t(std::clamp(paletteKind, 0, 255));
  layer->brightness = brightness;
  layer->stepBoundaries = std::move(palette.boundaries);
  layer->red = palette.red;
  layer->green = palette.green;
  layer->blue = palette.blue;
  layer->used = palette.used;
  layer->SetPalette(layer->red, layer->green, layer->blue, layer->used, 256);
  layer->MarkChanged();
  return 0;
}

}  // namespace linea
