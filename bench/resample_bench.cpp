// ResampleArea next to OpenCV's cv::resize with INTER_AREA on the same 8-bit
// image and target size, one after the other in every iteration. OpenCV runs
// single-threaded: ours is one pass on one thread, and the two cores are shared.
// Our results are truncated means, OpenCV's rounded ones; the largest difference
// is reported too.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "project/base_image_compression.h"
#include "bench_support.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// Arguments: side, factor x 10.
void BM_ResampleArea(benchmark::State& state) {
  const int side = int(state.range(0));
  const double factor = double(state.range(1)) / 10.0;
  const int newSide = int(side / factor);
  cv::Mat source(side, side, CV_8U);
  std::uint32_t noise = 99;
  for (int y = 0; y < side; ++y) {
    std::uint8_t* row = source.ptr<std::uint8_t>(y);
    for (int x = 0; x < side; ++x) {
      noise = noise * 1664525u + 1013904223u;
      row[x] = std::uint8_t(((x ^ y) & 0x7F) + (noise >> 26));
    }
  }
  const std::span<const std::uint8_t> pixels(source.data, std::size_t(side) * side);
  std::vector<std::uint8_t> ours(std::size_t(newSide) * newSide);
  cv::Mat theirs;
  double oursSeconds = 0, theirSeconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int result = linea::ResampleArea(pixels, side, side, ours, newSide, newSide);
    const auto middle = std::chrono::steady_clock::now();
    cv::resize(source, theirs, cv::Size(newSide, newSide), 0, 0, cv::INTER_AREA);
    const auto end = std::chrono::steady_clock::now();
    if (result != 0) {
      state.SkipWithError("ResampleArea failed");
      break;
    }
    benchmark::DoNotOptimize(ours.data());
    state.SetIterationTime(Seconds(start, middle));
    oursSeconds += Seconds(start, middle);
    theirSeconds += Seconds(middle, end);
  }
  int largest = 0;
  for (int y = 0; y < newSide; ++y)
    for (int x = 0; x < newSide; ++x)
      largest = std::max(largest,
                         std::abs(int(ours[std::size_t(y) * newSide + x]) - int(theirs.at<std::uint8_t>(y, x))));
  const double runs = double(state.iterations());
  state.counters["ours_ms"] = oursSeconds / runs * 1e3;
  state.counters["opencv_ms"] = theirSeconds / runs * 1e3;
  state.counters["ratio_to_opencv"] = oursSeconds / theirSeconds;
  state.counters["largest_difference"] = largest;
}

BENCHMARK(BM_ResampleArea)->Args({8192, 25})->Args({8192, 20})->Args({8192, 37})
    // Whole factors: 8190 is a multiple of 3.
    ->Args({8190, 30})->Args({8192, 40})->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return linea::bench::RunBenchmarks(argc, argv, [] { cv::setNumThreads(1); });
}
