#pragma once
// linea-demo, the demo-project maker: a base raster (synthetic, or a real image or
// elevation model given by the user), a blocks raster, a mask and results of all
// five kinds computed by the program's own search ("Расчет"), saved through the
// workspace so that the files are exactly what the program writes. A fixture
// maker for users, tests and benchmarks.

#include <cstdint>
#include <string>
#include <vector>

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
// cannot be written, 17 unusable options, or a failure of the search).
int GenerateDemoProject(CAppHost& host, const DemoGeneratorOptions& options);

// The synthetic scenes, deterministic for a seed: grey levels of a terrain with
// several families of linear ridges, heights in metres of the same terrain, and a
// scheme drawing (0 lines, 255 background).
std::vector<std::uint8_t> SyntheticGreyScene(int width, int height, std::uint32_t seed);
std::vector<float> SyntheticHeights(int width, int height, std::uint32_t seed);
std::vector<std::uint8_t> SyntheticScheme(int width, int height, std::uint32_t seed);

}  // namespace linea
