// Rose-field maps of an 8192 x 8192 project at rose window 64 (1025 x 1025 window
// roses): a density map and an elongation map, both AUTO scaled. Every iteration
// also fills the 8-bit raster of the same size with memset once, and each benchmark
// reports its pixel rate and its time as a multiple of that fill.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "base/app_host.h"
#include "layers/layer_stack.h"
#include "results/rose_map.h"
#include "bench_support.h"

namespace {

using namespace linea;

constexpr int kSide = 8192;

using bench::CQuietHost;

struct Project {
  CQuietHost host;
  CLayerStack stack{host};
  CResults results;
  std::vector<std::uint8_t> filled;  // memset destination
};

Project& TheProject() {
  static std::unique_ptr<Project> project = [] {
    auto p = std::make_unique<Project>();
    CResults& r = p->results;
    r.SetImageGeometry(kSide, kSide, 1, 1);
    r.sourcePath = "bench.bmp";
    const int n = kSide / 8 + 1;
    r.windowRoses.resize(std::size_t(8) * n * n);
    std::mt19937 random(7);
    // Direction counts that drift smoothly over the image, with noise and sparse
    // empty patches, so that values, classes and gaps all vary.
    for (int row = 0; row < n; ++row)
      for (int column = 0; column < n; ++column) {
        const double axis = 0.004 * column + 0.003 * row;
        const bool empty = (column / 37 + row / 41) % 17 == 0;
        for (int k = 0; k < 8; ++k) {
          const double share = 1.0 + std::cos(2.0 * (axis - k * 0.392699075));
          const double count = empty ? 0.0 : 40.0 * share * (1.0 + 0.5 * std::sin(0.01 * (row + column))) +
                                                  double(random() % 9);
          r.windowRoses[std::size_t(8) * (std::size_t(row) * n + column) + k] = std::uint16_t(count);
        }
      }
    r.hasWindowRoses = true;
    p->filled.resize(std::size_t(kSide) * kSide);
    return p;
  }();
  return *project;
}

double Seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

void MapAgainstMemset(benchmark::State& state, int kind) {
  Project& project = TheProject();
  CalcParameters params;
  params.mapKind = kind;
  params.scalingMode = kScalingAuto;
  params.minDensity = 0.0;
  params.rose_wind = 64;
  double building = 0.0, filling = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (BuildRoseMapLayer(project.results, project.stack, "Розы 0", params, false) != 0) {
      state.SkipWithError("the map was not built");
      return;
    }
    const auto built = std::chrono::steady_clock::now();
    std::memset(project.filled.data(), int(state.iterations() & 0xFF), project.filled.size());
    benchmark::DoNotOptimize(project.filled.data());
    benchmark::ClobberMemory();
    const auto end = std::chrono::steady_clock::now();
    building += Seconds(start, built);
    filling += Seconds(built, end);
  }
  const double pixels = double(kSide) * kSide * double(state.iterations());
  state.counters["Mpixel/s"] = pixels / building / 1e6;
  state.counters["x_memset"] = building / filling;
}

void BM_DensityMap(benchmark::State& state) { MapAgainstMemset(state, 'a'); }
void BM_ElongationMap(benchmark::State& state) { MapAgainstMemset(state, 'r'); }

BENCHMARK(BM_DensityMap)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ElongationMap)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
