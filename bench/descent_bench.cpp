// The descent grid of a 16-bit elevation model: our ring-by-ring resolution of
// flats next to the plain full-rescan iteration (copy the grid, scan every
// interior cell, repeat until nothing changes), and the cost of wide plateaus
// against a model without them.
//
// Models are terraces: steps rising eastwards, each a plateau `step` columns wide
// that drains over its western edge, so resolving it takes step - 1 rings, each
// ring a column (one cell in every row: the worst case for row-major arrays); or
// the same steps rising southwards, whose rings are rows. The model without
// plateaus is a tilted surface with a little noise.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "base/app_host.h"
#include "layers/elevation_model.h"
#include "bench_support.h"

namespace {

using Heights = std::vector<std::uint16_t>;

Heights Terraces(int side, int step, bool ringsAreRows = false) {
  Heights heights(std::size_t(side) * side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      heights[std::size_t(y) * side + x] = std::uint16_t((ringsAreRows ? y : x) / step * 7);
  return heights;
}

Heights Slope(int side) {
  Heights heights(std::size_t(side) * side);
  std::uint32_t noise = 12345;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      noise = noise * 1664525u + 1013904223u;
      heights[std::size_t(y) * side + x] = std::uint16_t((x * 3 + y * 2) % 60000 + (noise >> 30));
    }
  return heights;
}

double Seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// Wall-clock seconds; `cpuSeconds` (when given) adds the processor time, which a
// loaded machine's other work does not lengthen.
double TimeOurs(const Heights& heights, int side, std::vector<std::uint8_t>& grid, double* cpuSeconds = nullptr) {
  linea::bench::CQuietHost host{true};  // Yes to the iteration question
  const std::clock_t cpuStart = std::clock();
  const auto start = std::chrono::steady_clock::now();
  const int result = linea::ComputeDescent16(host, side, side, heights, grid);
  const auto end = std::chrono::steady_clock::now();
  const std::clock_t cpuEnd = std::clock();
  benchmark::DoNotOptimize(grid.data());
  if (cpuSeconds) *cpuSeconds += double(cpuEnd - cpuStart) / CLOCKS_PER_SEC;
  return result == 0 ? Seconds(start, end) : -1.0;
}

// Arguments: side, terrace width. Ours and the full rescan on the same model.
void BM_DescentAgainstRescan(benchmark::State& state) {
  const int side = int(state.range(0)), step = int(state.range(1));
  const Heights heights = Terraces(side, step);
  std::vector<std::uint8_t> ours(heights.size()), reference(heights.size());
  double oursSeconds = 0, rescanSeconds = 0;
  int iterations = 0;
  for (auto _ : state) {
    const double t = TimeOurs(heights, side, ours);
    if (t < 0) {
      state.SkipWithError("ComputeDescent16 failed");
      break;
    }
    const auto start = std::chrono::steady_clock::now();
    linea::ComputeSteepestDescent16(side, side, heights.data(), reference.data());
    iterations = linea::ResolveFlatsByRescan16(side, side, heights.data(), reference.data());
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(t);
    oursSeconds += t;
    rescanSeconds += Seconds(start, end);
  }
  if (ours != reference) state.SkipWithError("the grids differ");
  const double runs = double(state.iterations()), cells = double(heights.size());
  state.counters["rings"] = iterations;
  state.counters["ours_Mcells_per_s"] = cells * runs / oursSeconds / 1e6;
  state.counters["rescan_Mcells_per_s"] = cells * runs / rescanSeconds / 1e6;
  state.counters["ratio_to_rescan"] = oursSeconds / rescanSeconds;
}

// Arguments: side, terrace width, rings are rows (0/1). Ours on terraces against
// ours on a model without plateaus of the same size.
void BM_DescentPlateauCost(benchmark::State& state) {
  const int side = int(state.range(0)), step = int(state.range(1));
  const bool ringsAreRows = state.range(2) != 0;
  double plateauSeconds = 0, slopeSeconds = 0, plateauCpu = 0, slopeCpu = 0;
  {
    const Heights slope = Slope(side);
    std::vector<std::uint8_t> grid(slope.size());
    for (int i = 0; i < 2; ++i) slopeSeconds += TimeOurs(slope, side, grid, &slopeCpu);
    slopeSeconds /= 2;
    slopeCpu /= 2;
  }
  const Heights terraces = Terraces(side, step, ringsAreRows);
  std::vector<std::uint8_t> grid(terraces.size());
  for (auto _ : state) {
    const double t = TimeOurs(terraces, side, grid, &plateauCpu);
    state.SetIterationTime(t);
    plateauSeconds += t;
  }
  const double runs = double(state.iterations()), cells = double(terraces.size());
  state.counters["plateau_Mcells_per_s"] = cells * runs / plateauSeconds / 1e6;
  state.counters["no_plateau_Mcells_per_s"] = cells / slopeSeconds / 1e6;
  state.counters["ratio_plateau_to_no_plateau"] = plateauSeconds / runs / slopeSeconds;
  state.counters["cpu_ratio_plateau_to_no_plateau"] = plateauCpu / runs / slopeCpu;
}

// The rescan costs one pass over the grid per ring: 8192^2 with 255-ring terraces
// takes about a minute, 2048^2 with 999-ring ones about half that; each runs once.
BENCHMARK(BM_DescentAgainstRescan)->Args({8192, 256})->Args({2048, 1000})->Iterations(1)->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DescentPlateauCost)->Args({8192, 2000, 0})->Args({8192, 2000, 1})->Args({8192, 256, 0})
    ->Iterations(3)->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
