#pragma once
// The stepped colour scale of a class map: which classes share a step, and the
// colour of each step, for the three palette kinds (1 grey, 2 colour ramp,
// 3 stepped table of 2 to 16 colours).

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace linea {

class CLayerStack;

struct RoseMapPalette {
  // The last class of each step (a class belongs to the first step whose boundary
  // it does not exceed); the last boundary is 255.
  std::vector<std::uint8_t> boundaries;
  std::array<std::uint8_t, 256> red{};
  std::array<std::uint8_t, 256> green{};
  std::array<std::uint8_t, 256> blue{};
  std::array<std::uint8_t, 256> used{};  // every entry visible
};

// Steps beyond this many would only repeat the 255 classes.
inline constexpr int kMaxPaletteSteps = 256;

// Step boundaries from the class count n and the class histogram (equal width, or
// equal population), then the colours of the steps over the palette entries of
// their classes. Entry 0 ("no value") stays black. Nothing but black entries and
// zero boundaries with fewer than one step or class; palette kind 3 outside 2..16
// steps, and unknown kinds, leave every colour black. Steps are limited to
// kMaxPaletteSteps.
RoseMapPalette MakeRoseMapPalette(bool equalPopulation, int paletteKind, int classes, int steps,
                                  std::span<const double, 256> classHistogram, double brightness);

// Recolours the class map named `name` with new palette settings from its stored
// class histogram and class count; the classes themselves stay. 0, or 2 when the
// stack holds no class map of that name.
int RecolourRoseMap(CLayerStack& stack, const std::string_view name, int steps, bool equalPopulation,
                    int paletteKind, double brightness);

}  // namespace linea
