// LabelRegions next to OpenCV's cv::connectedComponents with the same
// connectivity on the same grids: smooth random fields cut at a level, so that
// the blobs are large enough for our 63 997-label limit (see kLatticeCells). Both run one after the
// other in every iteration; the counters give our time, OpenCV's and the ratio.
//
// OpenCV runs single-threaded (cv::setNumThreads(1)): LabelRegions is one pass on
// one thread, and the machine's two cores are shared.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "layers/region_labelling.h"
#include "bench_support.h"

namespace {

// Lattice spacing of the random field: 64 lattice cells across the grid, so that
// the larger grid is the smaller one's kind of picture at twice the scale. (With
// four-connectivity every row of a slanting left border starts a provisional label,
// so finer blobs on 8192^2 cells would pass the 63 997-label limit.)
constexpr int kLatticeCells = 64;

struct BlobGrid {
  std::vector<std::uint16_t> cells;  // 0 / 1, our input
  cv::Mat image;                     // 0 / 1, OpenCV's input
};

// A bilinear field over a lattice of uniform random values, cut so that about
// `density` of the cells are foreground.
const BlobGrid& GridFor(int side, int densityPercent) {
  static std::map<std::pair<int, int>, BlobGrid> cache;
  auto key = std::make_pair(side, densityPercent);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  // One grid at a time keeps the memory down (8192^2 cells are 200 MB in both forms).
  cache.clear();
  std::mt19937 random(unsigned(side * 131 + densityPercent));
  std::uniform_int_distribution<int> uniform(0, 4095);
  const int kSpacing = side / kLatticeCells;
  const int nodes = kLatticeCells + 2;
  std::vector<int> lattice(std::size_t(nodes) * nodes);
  for (int& value : lattice) value = uniform(random);
  std::vector<std::uint16_t> field(std::size_t(side) * side);
  std::vector<std::size_t> histogram(4096, 0);
  for (int y = 0; y < side; ++y) {
    const int iy = y / kSpacing, ty = y % kSpacing;
    for (int x = 0; x < side; ++x) {
      const int ix = x / kSpacing, tx = x % kSpacing;
      auto node = [&](int i, int j) { return lattice[std::size_t(j) * nodes + i]; };
      const int top = node(ix, iy) * (kSpacing - tx) + node(ix + 1, iy) * tx;
      const int bottom = node(ix, iy + 1) * (kSpacing - tx) + node(ix + 1, iy + 1) * tx;
      const int value = (top * (kSpacing - ty) + bottom * ty) / (kSpacing * kSpacing);
      field[std::size_t(y) * side + x] = std::uint16_t(value);
      ++histogram[std::size_t(value)];
    }
  }
  const std::size_t wanted = std::size_t(double(field.size()) * densityPercent / 100.0);
  int level = 0;
  for (std::size_t below = 0; level < 4096 && below + histogram[std::size_t(level)] <= wanted; ++level)
    below += histogram[std::size_t(level)];
  BlobGrid& grid = cache[key];
  grid.cells.resize(field.size());
  grid.image.create(side, side, CV_8U);
  for (std::size_t i = 0; i < field.size(); ++i) {
    const bool foreground = field[i] < level;
    grid.cells[i] = foreground ? 1 : 0;
    grid.image.data[i] = foreground ? 1 : 0;
  }
  return grid;
}

double Seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// Arguments: side, density in per cent, our connectivity (2 four-, 4 eight-connected).
void BM_LabelRegions(benchmark::State& state) {
  const int side = int(state.range(0));
  const int densityPercent = int(state.range(1));
  const int connectivity = int(state.range(2));
  const int opencvConnectivity = connectivity == 4 ? 8 : 4;
  const BlobGrid& grid = GridFor(side, densityPercent);
  std::vector<std::uint16_t> work(grid.cells.size());
  cv::Mat labels;
  double ours = 0.0, theirs = 0.0;
  int regions = 0, theirRegions = 0;
  for (auto _ : state) {
    std::memcpy(work.data(), grid.cells.data(), work.size() * sizeof(std::uint16_t));
    auto start = std::chrono::steady_clock::now();
    const int result = linea::LabelRegions(side, side, connectivity, work.data(), regions);
    auto middle = std::chrono::steady_clock::now();
    theirRegions = cv::connectedComponents(grid.image, labels, opencvConnectivity, CV_32S) - 1;
    auto end = std::chrono::steady_clock::now();
    if (result != 0) {
      state.SkipWithError("LabelRegions ran out of labels");
      break;
    }
    benchmark::DoNotOptimize(work.data());
    state.SetIterationTime(Seconds(start, middle));
    ours += Seconds(start, middle);
    theirs += Seconds(middle, end);
  }
  if (regions != theirRegions) state.SkipWithError("the region counts differ");
  const double iterations = double(state.iterations());
  state.counters["regions"] = regions;
  state.counters["ours_ns_per_cell"] = ours / iterations / double(work.size()) * 1e9;
  state.counters["opencv_ns_per_cell"] = theirs / iterations / double(work.size()) * 1e9;
  state.counters["ratio_to_opencv"] = ours / theirs;
}

void LabellingArguments(benchmark::internal::Benchmark* benchmark) {
  for (int side : {4096, 8192})
    for (int density : {25, 50, 75})
      for (int connectivity : {2, 4}) benchmark->Args({side, density, connectivity});
}

BENCHMARK(BM_LabelRegions)->Apply(LabellingArguments)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return linea::bench::RunBenchmarks(argc, argv, [] { cv::setNumThreads(1); });
}
