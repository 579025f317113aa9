#pragma once
// linea-demo, the demo-project maker: a base raster (synthetic, or a real image or
// elevation model given by the user), a blocks raster, a mask and stand-in results
// of all five kinds, saved through the workspace so that the files are exactly
// what the program writes. A fixture maker for users, tests and benchmarks; the
// program itself never searches images for stripes.

#include <cstdint>
#include <string>
#include <vector>

#include "results/results.h"

namespace linea {

class CAppHost;

enum class DemoKind { Grey, Elevation, Scheme };

struct DemoGeneratorOptions {
  DemoKind kind = DemoKind::Grey;
  int width = 0;   // 0: the size of the given base raster
  int height = 0;
  std::string basePath;  // a real raster to build on; empty: synthetic
  double rate = 1.0;
  int roseWindow = 64;
  std::uint32_t seed = 1;
  std::string outPath;  // DIR/NAME.orw
  // Outer edges of an elevation model given as raw floats (x west, x east, y south,
  // y north); all 0 when unknown.
  double extent[4] = {0, 0, 0, 0};
};

// Parses the generator's command line (without the program name). Empty text on
// success, otherwise what is wrong.
std::string ParseDemoArguments(const std::vector<std::string>& arguments, DemoGeneratorOptions& options);

// Writes the project and its files. 0, or an error code after the message was
// shown through `host` (3 out of memory, 4 a file that cannot be opened, 6 one that
// cannot be written, 17 unusable options).
int GenerateDemoProject(CAppHost& host, const DemoGeneratorOptions& options);

// The stand-in analysis, on plain arrays so that it can be checked alone.
//
// Stripe code 1..16 per grid cell from the structure tensor of the 8-bit image
// (`levels`, rows `stride` bytes apart, row 0 at the top) at the cell's centre
// pixel; 0 where the gradient is too weak or has no dominant direction. Code c
// covers the directions [(c - 1) * 11.25, c * 11.25) degrees, counter-clockwise
// from +x with y up on screen.
std::vector<std::uint8_t> ComputeDemoStripes(const std::uint8_t* levels, std::size_t stride, int width, int height,
                                             double rate, std::uint32_t gridWidth, std::uint32_t gridHeight,
                                             std::vector<std::uint8_t>* directions = nullptr);
// Window roses: the stripe classes counted in a disc of `diameter` grid cells
// around every 8th cell, ceil(W'/8) + 1 by ceil(H'/8) + 1 roses, 8 counts each.
std::vector<std::uint16_t> CountWindowRoses(const std::vector<std::uint8_t>& classes, std::uint32_t gridWidth,
                                            std::uint32_t gridHeight, double diameter);
// Block roses of a blocks raster (block numbers per pixel, 0 and 255 no block):
// header block number, centre x, centre y in pixels; the classes of the grid cells
// whose centre pixel lies in the block.
std::vector<BlockRose> CountBlockRoses(const std::vector<std::uint8_t>& classes, std::uint32_t gridWidth,
                                       std::uint32_t gridHeight, double rate, const std::uint8_t* blocks,
                                       std::size_t stride, int width, int height);
// Lineaments: ridge and valley cells of the grid (a level above or below both
// neighbours across the stripe direction) chained with neighbours of similar
// direction; chains of at least `minimumCells` cells, value = their cell count.
std::vector<LineamentRecord> TraceDemoLineaments(const std::uint8_t* levels, std::size_t stride, int width,
                                                 int height, double rate, std::uint32_t gridWidth,
                                                 std::uint32_t gridHeight, const std::vector<std::uint8_t>& codes,
                                                 const std::vector<std::uint8_t>& directions, int minimumCells = 5);

// The synthetic scenes, deterministic for a seed: grey levels of a terrain with
// several families of linear ridges, heights in metres of the same terrain, and a
// scheme drawing (0 lines, 255 background).
std::vector<std::uint8_t> SyntheticGreyScene(int width, int height, std::uint32_t seed);
std::vector<float> SyntheticHeights(int width, int height, std::uint32_t seed);
std::vector<std::uint8_t> SyntheticScheme(int width, int height, std::uint32_t seed);

}  // namespace linea
