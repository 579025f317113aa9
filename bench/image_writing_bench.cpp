// Saving a large composed picture as PNG, TIFF and BMP next to OpenCV's imwrite
// of the same pixels at its defaults, one after the other in every iteration,
// both to files in the system's temporary folder. OpenCV runs single-threaded.
// OpenCV writes TIFF with LZW by default; it is asked for uncompressed strips as
// ours are. The sizes of the files are compared too, and the rise of the peak
// memory of the process while ours is saved (run one format at a time for that).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "imaging/image.h"
#include "bench_support.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// A grey relief with some grain and coloured stripes across it, as a rendered
// picture of an elevation model with its stripes layer.
linea::CImage MakePicture(int side) {
  linea::CImage image;
  image.Create(side, side, 24);
  std::uint32_t noise = 7;
  for (int y = 0; y < side; ++y) {
    std::uint8_t* row = image.Row(y);
    for (int x = 0; x < side; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const double relief = 128 + 60 * std::sin(x * 0.004) * std::cos(y * 0.003) + 30 * std::sin((x + y) * 0.02);
      const std::uint8_t grey = std::uint8_t(std::clamp(relief + double(noise >> 29), 0.0, 255.0));
      std::uint8_t* p = row + std::size_t(x) * 3;
      if ((x + 2 * y) % 97 < 3) {
        p[0] = 0, p[1] = 0, p[2] = 255;
      } else if ((3 * x - y + 100000) % 211 < 2) {
        p[0] = 255, p[1] = 200, p[2] = 0;
      } else {
        p[0] = p[1] = p[2] = grey;
      }
    }
  }
  return image;
}

const linea::CImage& Picture() {
  static const linea::CImage picture = MakePicture(8192);
  return picture;
}

std::uintmax_t SizeOf(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Argument: format code (PNG, TIFF, BMP).
void BM_SaveImage(benchmark::State& state) {
  const int format = int(state.range(0));
  const char* extension = format == linea::kImageFormatPng ? ".png" : format == linea::kImageFormatTiff ? ".tif" : ".bmp";
  const linea::CImage& picture = Picture();  // made before the peak is taken
  const cv::Mat mat(picture.GetHeight(), picture.GetWidth(), CV_8UC3, const_cast<std::uint8_t*>(picture.GetBits()),
                    std::size_t(picture.GetBytesPerLine()));
  const std::string folder = std::filesystem::temp_directory_path().string();
  const std::string ours = folder + "/linea_bench_ours" + extension;
  const std::string theirs = folder + "/linea_bench_opencv" + extension;
  std::vector<int> parameters;
  if (format == linea::kImageFormatTiff) parameters = {cv::IMWRITE_TIFF_COMPRESSION, 1};
  double oursSeconds = 0, theirSeconds = 0;
  // The peak only grows: the rise is what the first save of the process added.
  static const long peakBefore = PeakKilobytes();
  static long peakRise = -1;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const bool saved = picture.Save(ours, format);
    const auto middle = std::chrono::steady_clock::now();
    if (peakRise < 0) peakRise = PeakKilobytes() - peakBefore;
    const bool written = cv::imwrite(theirs, mat, parameters);
    const auto end = std::chrono::steady_clock::now();
    if (!saved || !written) {
      state.SkipWithError("saving failed");
      break;
    }
    state.SetIterationTime(Seconds(start, middle));
    oursSeconds += Seconds(start, middle);
    theirSeconds += Seconds(middle, end);
  }
  const double runs = double(state.iterations());
  state.counters["ours_ms"] = oursSeconds / runs * 1e3;
  state.counters["opencv_ms"] = theirSeconds / runs * 1e3;
  state.counters["ratio_to_opencv"] = oursSeconds / theirSeconds;
  state.counters["ours_peak_rise_MB"] = double(peakRise) / 1e3;
  state.counters["ours_MB"] = double(SizeOf(ours)) / 1e6;
  state.counters["size_to_opencv"] = double(SizeOf(ours)) / double(SizeOf(theirs));
  std::remove(ours.c_str());
  std::remove(theirs.c_str());
}

BENCHMARK(BM_SaveImage)
    ->Arg(linea::kImageFormatPng)
    ->Arg(linea::kImageFormatTiff)
    ->Arg(linea::kImageFormatBmp)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return linea::bench::RunBenchmarks(argc, argv, [] { cv::setNumThreads(1); });
}
