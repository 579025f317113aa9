#pragma once
// Colour bands and extremum bands of a class map: the classes of one range shown
// in one colour, or the surroundings of the map's local maxima or minima at the
// nodes of the window-rose grid. Black is the bands' transparent colour.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "results/results.h"

namespace linea {

class CLayerStack;
class CRasterLayer;

// The column and row counts of the window-rose grid as the last rose-field map
// build left them (0 x 0 before any map was built).
struct RoseGridCounts {
  int nx = 0;
  int ny = 0;
  bool operator==(const RoseGridCounts&) const = default;
};

// The counts of the rose grid the window roses of `results` make now ({0, 0} when
// they make none), as a rose-field map build finds them.
RoseGridCounts CurrentRoseGrid(const CResults& results);

// What the colour band dialog hands to the builders.
struct BandParameters {
  std::int32_t mode = 1;               // 1 colour band, 0 extremum band
  std::uint32_t color = 0x000000FF;    // 0x00BBGGRR, red
  double range = 0.9;                  // extremum threshold factor
  std::int32_t width = 33;             // extremum window, pixels
  std::int32_t maxima = 1;             // 1 maxima, 0 minima
  std::int32_t fromClass = 0;          // lowest class of the band
  std::int32_t toClass = 0;            // highest class of the band
  std::int32_t mapFrom = 0, mapTo = 0, mapMin = 0, mapMax = 0;  // shown by the dialog
};

using PaletteTable = std::array<std::uint8_t, 256>;

// The classes of `source` in a width x height raster (row i of the layer into row
// i); whatever the layer does not hold is class 0. False when memory runs out.
bool CopyClassPixels(const CRasterLayer& source, std::uint32_t width, std::uint32_t height,
                     std::vector<std::uint8_t>& raster);

// Entries max(1, from) .. min(to, 255) get the colour, every other entry is black;
// every entry is marked used.
void MakeBandPalette(PaletteTable& red, PaletteTable& green, PaletteTable& blue, PaletteTable& used,
                     std::uint32_t color, int fromClass, int toClass);
// Every entry that is not black becomes the colour.
void RecolourBand(PaletteTable& red, PaletteTable& green, PaletteTable& blue, std::uint32_t color);

// Keeps, in the width x height class raster, only the windows of `width` pixels
// around the nodes of the rose grid (all but its outermost rows and columns) whose
// class lies in fromClass..toClass and is an extremum of the map; every other pixel
// becomes class 0. 0, or 3 when memory runs out.
int FindExtremumBands(int width, int height, std::uint32_t gridWidth, RoseGridCounts grid,
                      std::span<std::uint8_t> raster, int fromClass, int toClass, bool maxima, int windowWidth,
                      double range);

// Both add the new layer `name` to `stack` (replacing a layer of that name) from the
// class map `sourceName` at the image size of `results`. 0; 2 no class map of that
// name; 3 out of memory.
int BuildColorBandLayer(const CResults& results, CLayerStack& stack, const std::string& sourceName,
                        std::string name, const BandParameters& band);
int BuildExtremumBandLayer(const CResults& results, CLayerStack& stack, const std::string& sourceName,
                           std::string name, const BandParameters& band, RoseGridCounts grid);

}  // namespace linea
