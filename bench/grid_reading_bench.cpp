// Reading a large "DSAA" text grid: ReadGrid on a file of 2048 x 2048 heights
// written with three decimals, next to the plain way of parsing the same text
// (split at white space, std::from_chars on every word) in the same iteration.
// ReadGrid's time includes reading the file and scaling the heights; the plain
// parse is of the text in memory.
// Reports both throughputs in MB/s of file text and their ratio; the parse alone
// is measured the same way on the text in memory.

#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/atomic_file.h"
#include "base/real_text.h"
#include "layers/raster_import.h"
#include "bench_support.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// Processor seconds between two std::clock() readings: a loaded machine's other
// work does not lengthen them.
double CpuSeconds(std::clock_t from, std::clock_t to) { return double(to - from) / CLOCKS_PER_SEC; }

std::string MakeGridText(int side) {
  std::string text = "DSAA\n" + std::to_string(side) + " " + std::to_string(side) + "\n0 " +
                     std::to_string(side - 1) + "\n0 " + std::to_string(side - 1) + "\n-120.5 2950.25\n";
  text.reserve(std::size_t(side) * side * 10);
  char word[32];
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const double z = 1400 + 1300 * std::sin(x * 0.003) * std::cos(y * 0.002) + 37.125 * std::sin(x * 0.1 + y);
      const int length = std::snprintf(word, sizeof word, x + 1 < side ? "%.3f " : "%.3f\n", z);
      text.append(word, std::size_t(length));
    }
  }
  return text;
}

// The plain parse: every word after the header through std::from_chars.
double PlainSum(std::string_view text) {
  double sum = 0;
  std::size_t position = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; };
  while (true) {
    while (position < text.size() && blank(text[position])) ++position;
    if (position >= text.size()) break;
    const std::size_t start = position;
    while (position < text.size() && !blank(text[position])) ++position;
    double value = 0;
    const auto result = std::from_chars(text.data() + start, text.data() + position, value);
    if (result.ec == std::errc()) sum += value;
  }
  return sum;
}

// The grid reader's way: words read a row at a time by ParseReals (the usual short
// decimals eight bytes at a time, anything else as std::from_chars reads it). A word
// that is not a number ends a call and is skipped, as in the plain parse.
double FastSum(std::string_view text) {
  double sum = 0;
  std::size_t position = 0;
  std::vector<double> values(2048);
  while (position < text.size()) {
    const std::size_t read = linea::ParseReals(text, position, values.data(), values.size());
    for (std::size_t i = 0; i < read; ++i) sum += values[i];
  }
  return sum;
}

// Parsing alone, in memory: the grid reader's parse next to the plain one.
void BM_ParseGridText(benchmark::State& state) {
  const std::string text = MakeGridText(int(state.range(0)));
  double oursSeconds = 0, plainSeconds = 0, oursCpu = 0, plainCpu = 0;
  for (auto _ : state) {
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    const double ours = FastSum(text);
    const auto middle = std::chrono::steady_clock::now();
    const std::clock_t cpuMiddle = std::clock();
    const double plain = PlainSum(text);
    const auto end = std::chrono::steady_clock::now();
    oursCpu += CpuSeconds(cpuStart, cpuMiddle);
    plainCpu += CpuSeconds(cpuMiddle, std::clock());
    if (ours != plain) {
      state.SkipWithError("the parses disagree");
      break;
    }
    state.SetIterationTime(Seconds(start, middle));
    oursSeconds += Seconds(start, middle);
    plainSeconds += Seconds(middle, end);
  }
  const double megabytes = double(text.size()) / 1e6 * double(state.iterations());
  state.counters["ours_MB_per_s"] = megabytes / oursSeconds;
  state.counters["plain_MB_per_s"] = megabytes / plainSeconds;
  state.counters["speedup_over_plain"] = plainSeconds / oursSeconds;
  state.counters["cpu_speedup_over_plain"] = plainCpu / oursCpu;
}

void BM_ReadGrid(benchmark::State& state) {
  const std::string text = MakeGridText(int(state.range(0)));
  const std::string path = (std::filesystem::temp_directory_path() / "linea_bench_grid.grd").string();
  if (linea::WriteFileAtomically(path, text) != 0) {
    state.SkipWithError("cannot write the grid");
    return;
  }
  linea::bench::CQuietHost host;
  std::vector<std::uint16_t> samples;
  int width = 0, height = 0;
  linea::GridExtent extent;
  double oursSeconds = 0, plainSeconds = 0, oursCpu = 0, plainCpu = 0;
  for (auto _ : state) {
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    const int result = linea::ReadGrid(host, path, samples, width, height, extent);
    const auto middle = std::chrono::steady_clock::now();
    const std::clock_t cpuMiddle = std::clock();
    benchmark::DoNotOptimize(PlainSum(text));
    const auto end = std::chrono::steady_clock::now();
    oursCpu += CpuSeconds(cpuStart, cpuMiddle);
    plainCpu += CpuSeconds(cpuMiddle, std::clock());
    if (result != 0) {
      state.SkipWithError("ReadGrid failed");
      break;
    }
    state.SetIterationTime(Seconds(start, middle));
    oursSeconds += Seconds(start, middle);
    plainSeconds += Seconds(middle, end);
  }
  std::remove(path.c_str());
  const double megabytes = double(text.size()) / 1e6 * double(state.iterations());
  state.counters["text_MB"] = double(text.size()) / 1e6;
  state.counters["ours_MB_per_s"] = megabytes / oursSeconds;
  state.counters["plain_MB_per_s"] = megabytes / plainSeconds;
  state.counters["speedup_over_plain"] = plainSeconds / oursSeconds;
  state.counters["cpu_speedup_over_plain"] = plainCpu / oursCpu;
}

BENCHMARK(BM_ParseGridText)->Arg(2048)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadGrid)->Arg(2048)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return linea::bench::RunBenchmarks(argc, argv, [] {});
}
