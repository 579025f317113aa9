// The whole search (stripes, window roses, block roses, lineaments) on images of
// 1024^2 .. 8192^2 pixels, and on the same image OpenCV's line segment detector
// as the peer of the lineament stage. Counters: our time per megapixel (the
// whole search and the lineament stage alone), LSD's time, their ratio, and how
// many of LSD's long segments one of our lineaments matches in direction (within
// 5 degrees, passing within 3 pixels of the segment's middle).
//
// OpenCV runs single-threaded (cv::setNumThreads(1)): the search is one thread.
// Times are CPU seconds of the thread.

#include <benchmark/benchmark.h>

#include <ctime>
#include <cmath>
#include <map>
#include <random>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "analysis/analysis_run.h"
#include "analysis/lineament_search.h"
#include "analysis/stripe_search.h"
#include "bench_support.h"
#include "results/calc_parameters.h"
#include "results/results.h"

namespace {

// CPU time of this thread in seconds: the machine is shared, so wall time would
// measure the other users too.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

constexpr double kPi = 3.14159265358979323846;

struct Scene {
  int side = 0;
  std::vector<std::uint8_t> levels;
  std::vector<std::uint8_t> blocks;
};

// Gaussian noise with 20 dark straight lines per 1024^2 pixels, 100..400 pixels
// long, drawn along each line rather than by testing every pixel.
const Scene& SceneFor(int side) {
  static std::map<int, Scene> cache;
  auto it = cache.find(side);
  if (it != cache.end()) return it->second;
  cache.clear();
  Scene s;
  s.side = side;
  s.levels.resize(std::size_t(side) * side);
  std::mt19937 random{unsigned(side)};
  std::normal_distribution<double> noise(150.0, 8.0);
  for (auto& v : s.levels) v = std::uint8_t(std::clamp(noise(random), 0.0, 255.0));
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int lines = 20 * (side / 1024) * (side / 1024);
  for (int n = 0; n < lines; ++n) {
    const double a = unit(random) * kPi, length = 100 + 300 * unit(random);
    const double x0 = unit(random) * side, y0 = unit(random) * side;
    const double dx = std::cos(a), dy = -std::sin(a);
    for (double t = 0; t <= length; t += 0.5)
      for (double d = -3; d <= 3; d += 0.5) {
        const int x = int(std::lround(x0 + t * dx - d * dy)), y = int(std::lround(y0 + t * dy + d * dx));
        if (x < 0 || y < 0 || x >= side || y >= side) continue;
        auto& v = s.levels[std::size_t(y) * side + x];
        v = std::uint8_t(std::min<int>(v, int(150 - 70 * std::exp(-d * d / 2.0))));
      }
  }
  s.blocks.resize(s.levels.size());
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) s.blocks[std::size_t(y) * side + x] = std::uint8_t(1 + (x * 4 / side) + 4 * (y * 4 / side));
  return cache.emplace(side, std::move(s)).first->second;
}

void BM_WholeSearchAndLineSegmentDetector(benchmark::State& state) {
  const int side = int(state.range(0));
  const Scene& scene = SceneFor(side);
  linea::CalcParameters params;
  params.TR_Linear = 40;
  linea::AnalysisInputs inputs;
  inputs.base = linea::AnalysisRaster{scene.levels.data(), std::size_t(side), side, side};
  inputs.blocks = linea::AnalysisRaster{scene.blocks.data(), std::size_t(side), side, side};
  const cv::Mat image(side, side, CV_8UC1, const_cast<std::uint8_t*>(scene.levels.data()));
  cv::Ptr<cv::LineSegmentDetector> lsd = cv::createLineSegmentDetector(cv::LSD_REFINE_STD);
  double ours = 0, theirs = 0, lineamentStage = 0;
  std::size_t longSegments = 0, matched = 0, lineaments = 0;
  for (auto _ : state) {
    linea::CResults results;
    results.SetImageGeometry(std::uint32_t(side), std::uint32_t(side), 1, 1);
    double start = ThreadSeconds();
    const int code = linea::RunAnalysis(results, params, inputs, {true, true, true, true}, {});
    ours = ThreadSeconds() - start;
    if (code != 0) state.SkipWithError("search failed");
    // The lineament stage alone, over the same stripes, for the peer comparison.
    linea::StripeField stripes;
    linea::FindImageStripes(inputs.base, nullptr, params, side, side, stripes, {});
    std::vector<linea::LineamentRecord> records;
    std::vector<linea::FoundLineament> found;
    start = ThreadSeconds();
    linea::FindLineaments(stripes, linea::LineamentSettingsOf(params, params.rose_wind), records, &found, {});
    lineamentStage = ThreadSeconds() - start;
    lineaments = found.size();

    std::vector<cv::Vec4f> segments;
    start = ThreadSeconds();
    lsd->detect(image, segments);
    theirs = ThreadSeconds() - start;

    longSegments = matched = 0;
    const double least = linea::LineamentSettingsOf(params, params.rose_wind).leastLength;
    for (const cv::Vec4f& s : segments) {
      const double sx = s[2] - s[0], sy = s[3] - s[1];
      if (std::hypot(sx, sy) < least) continue;
      ++longSegments;
      double degrees = std::atan2(-sy, sx) * 180.0 / kPi;
      if (degrees < 0) degrees += 180.0;
      const double mx = 0.5 * (s[0] + s[2]), my = 0.5 * (s[1] + s[3]);
      for (const linea::FoundLineament& f : found) {
        double d = std::fabs(std::fmod(f.degrees - degrees, 180.0));
        if (d > 90) d = 180 - d;
        const double fx = f.x1 - f.x0, fy = f.y1 - f.y0, fl = std::hypot(fx, fy);
        if (d > 5.0 || fl <= 0) continue;
        if (std::fabs((mx - f.x0) * fy - (my - f.y0) * fx) / fl <= 3.0) {
          ++matched;
          break;
        }
      }
    }
  }
  const double megapixels = double(side) * side / 1e6;
  state.counters["ours_s"] = ours;
  state.counters["ours_s_per_MP"] = ours / megapixels;
  state.counters["lineament_stage_s"] = lineamentStage;
  state.counters["lineament_stage_s_per_MP"] = lineamentStage / megapixels;
  state.counters["lsd_s"] = theirs;
  state.counters["lineament_stage_over_lsd"] = theirs > 0 ? lineamentStage / theirs : 0;
  state.counters["lineaments"] = double(lineaments);
  state.counters["lsd_long_segments"] = double(longSegments);
  state.counters["lsd_long_matched"] = double(matched);
}
BENCHMARK(BM_WholeSearchAndLineSegmentDetector)
    ->Arg(1024)->Arg(2048)->Arg(4096)->Arg(8192)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  return linea::bench::RunBenchmarks(argc, argv, [] { cv::setNumThreads(1); });
}
