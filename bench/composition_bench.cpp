// Composition of an 8192 x 8192 project: an 8-bit base raster, a transparent
// one-colour raster (stripes), a colour band and a drawing of 100 000 segments of
// widths 1 and 3. Every iteration also copies the 24-bit picture once with memcpy,
// and each benchmark reports its time as a multiple of that copy.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "base/app_host.h"
#include "layers/band_layer.h"
#include "layers/layer_stack.h"
#include "layers/vector_layer.h"
#include "layers/vector_layer3.h"
#include "bench_support.h"

namespace {

using namespace linea;

constexpr int kSide = 8192;
constexpr int kSegments = 100000;

using bench::CQuietHost;

struct Project {
  CQuietHost host;
  CLayerStack stack{host};
  CBitmapLayer* base = nullptr;
  CVectorLayer* stripes = nullptr;
  CColorBandLayer* band = nullptr;
  CVectorLayer3* drawing = nullptr;
  CompositionSettings settings{kSide, kSide, true, 1};
  std::vector<std::uint8_t> copy;  // memcpy destination
};

template <typename T>
T* AddPaletted(Project& project, const char* name, const std::vector<std::uint8_t>& pixels,
               const std::vector<std::uint8_t>& red, const std::vector<std::uint8_t>& green,
               const std::vector<std::uint8_t>& blue, const std::vector<std::uint8_t>& used) {
  auto layer = std::make_unique<T>(name, true);
  if (!layer->CreateFromPixels(kSide, kSide, 8, pixels, red, green, blue, used, 256)) std::abort();
  return static_cast<T*>(project.stack.AddLayer(std::move(layer)));
}

Project& TheProject() {
  static std::unique_ptr<Project> project = [] {
    auto p = std::make_unique<Project>();
    std::mt19937 random(42);
    const std::size_t cells = std::size_t(kSide) * kSide;
    std::vector<std::uint8_t> pixels(cells), red(256), green(256), blue(256), used(256, 1);

    // Base: a grey-level image (a gradient with noise) through a colour ramp.
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) pixels[std::size_t(y) * kSide + x] = std::uint8_t((x + y) / 64 + random() % 32);
    for (int i = 0; i < 256; ++i) {
      red[i] = std::uint8_t(i);
      green[i] = std::uint8_t(255 - i);
      blue[i] = std::uint8_t(i / 2);
    }
    p->base = AddPaletted<CBitmapLayer>(*p, "Исходное", pixels, red, green, blue, used);

    // Stripes: short horizontal strokes over about 3 % of the pixels, index 0 transparent.
    std::fill(pixels.begin(), pixels.end(), 0);
    for (int stroke = 0; stroke < 250000; ++stroke) {
      const std::size_t start = random() % (cells - 8);
      std::memset(&pixels[start], 1, 8);
    }
    std::fill(red.begin(), red.end(), 0);
    std::fill(green.begin(), green.end(), 0);
    std::fill(blue.begin(), blue.end(), 0);
    red[1] = 255;
    used[0] = 0;
    p->stripes = AddPaletted<CVectorLayer>(*p, "Штрихи", pixels, red, green, blue, used);

    // Band: blocks of one class over about 30 % of the picture, black elsewhere.
    std::fill(used.begin(), used.end(), 1);
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x)
        pixels[std::size_t(y) * kSide + x] = ((x / 97) * 7 + (y / 83) * 3) % 10 < 3 ? 5 : 0;
    red[1] = 0;
    green[5] = 200;
    p->band = AddPaletted<CColorBandLayer>(*p, "Полоса", pixels, red, green, blue, used);

    // Drawing: two-point polylines, half of them 1 and half 3 pixels wide.
    auto drawing = std::make_unique<CVectorLayer3>("Рисунок1", true);
    for (int i = 0; i < kSegments; ++i) {
      const std::int16_t x = std::int16_t(random() % kSide), y = std::int16_t(random() % kSide);
      const PolylinePoint16 points[2] = {
          {x, y}, {std::int16_t(x + int(random() % 81) - 40), std::int16_t(y + int(random() % 81) - 40)}};
      if (drawing->AddPolyline16(points, MakeColor(0, 0, 255), i % 2 == 0 ? 1 : 3)) std::abort();
    }
    p->drawing = static_cast<CVectorLayer3*>(p->stack.AddLayer(std::move(drawing)));
    if (!p->stack.ComposeLayers(p->settings)) std::abort();
    p->copy.resize(std::size_t(p->stack.CompositionImage().GetBytesPerLine()) * kSide);
    return p;
  }();
  return *project;
}

double Seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// Runs `work` and one memcpy of the picture per iteration; reports work / memcpy.
template <typename Work>
void MeasureAgainstMemcpy(benchmark::State& state, Work work) {
  Project& project = TheProject();
  const CImage& picture = project.stack.CompositionImage();
  double spent = 0.0, copying = 0.0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    work(project);
    auto middle = std::chrono::steady_clock::now();
    std::memcpy(project.copy.data(), picture.GetBits(), project.copy.size());
    benchmark::ClobberMemory();
    auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(Seconds(start, middle));
    spent += Seconds(start, middle);
    copying += Seconds(middle, end);
  }
  state.counters["memcpy_ms"] = copying / double(state.iterations()) * 1e3;
  state.counters["ratio_to_memcpy"] = spent / copying;
}

// The first pass as composition runs it (base, stripes and band, strip by strip),
// with the drawing hidden. This is the figure the raster passes are judged by.
void BM_ComposeRasterLayers(benchmark::State& state) {
  TheProject().drawing->SetVisible(false);
  MeasureAgainstMemcpy(state, [](Project& project) {
    project.band->MarkChanged();
    if (!project.stack.ComposeLayers(project.settings)) std::abort();
  });
  TheProject().drawing->SetVisible(true);
}

// The three layers of the first pass one by one, each over the whole picture.
void BM_BasePass(benchmark::State& state) {
  MeasureAgainstMemcpy(state, [](Project& project) {
    if (!project.base->DrawOnImage(const_cast<CImage&>(project.stack.CompositionImage()))) std::abort();
  });
}
void BM_StripesPass(benchmark::State& state) {
  MeasureAgainstMemcpy(state, [](Project& project) {
    if (!project.stripes->DrawOnImage(const_cast<CImage&>(project.stack.CompositionImage()))) std::abort();
  });
}
void BM_BandPass(benchmark::State& state) {
  MeasureAgainstMemcpy(state, [](Project& project) {
    if (!project.band->DrawOnImage(const_cast<CImage&>(project.stack.CompositionImage()))) std::abort();
  });
}

// The second pass: the 100 000 segments, at zoom 1 with line-width scaling on.
void BM_DrawingPass(benchmark::State& state) {
  MeasureAgainstMemcpy(state, [](Project& project) {
    CImage& picture = const_cast<CImage&>(project.stack.CompositionImage());
    if (!project.drawing->DrawOverImage(picture, {true, 1, 1.0})) std::abort();
  });
}

// The whole composition, drawing included, as the view asks for it after a change of
// a raster layer: ratio_to_memcpy is the figure composition is judged by.
void BM_ComposeLayers(benchmark::State& state) {
  // The drawing was hidden by an earlier benchmark: two compositions bring back the
  // state the figure is about, the drawing unchanged since it was last rasterised.
  for (int i = 0; i < 2; ++i) {
    TheProject().band->MarkChanged();
    if (!TheProject().stack.ComposeLayers(TheProject().settings)) std::abort();
  }
  MeasureAgainstMemcpy(state, [](Project& project) {
    project.band->MarkChanged();
    if (!project.stack.ComposeLayers(project.settings)) std::abort();
  });
}

// The composition right after an edit of the drawing: the drawing is drawn
// straight into the picture, as while lines are drawn one after another.
void BM_ComposeAfterDrawingEdit(benchmark::State& state) {
  MeasureAgainstMemcpy(state, [](Project& project) {
    project.drawing->MarkChanged();
    if (!project.stack.ComposeLayers(project.settings)) std::abort();
  });
}

// The two compositions after an edit: the drawing drawn directly, then, unchanged
// since, rasterised once into the kept overlay (one memcpy is measured per pair).
void BM_TwoCompositionsAfterDrawingEdit(benchmark::State& state) {
  MeasureAgainstMemcpy(state, [](Project& project) {
    project.drawing->MarkChanged();
    if (!project.stack.ComposeLayers(project.settings)) std::abort();
    project.band->MarkChanged();
    if (!project.stack.ComposeLayers(project.settings)) std::abort();
  });
}

void BM_Memcpy(benchmark::State& state) {
  MeasureAgainstMemcpy(state, [](Project& project) {
    std::memcpy(project.copy.data(), project.stack.CompositionImage().GetBits(), project.copy.size());
    benchmark::ClobberMemory();
  });
}

BENCHMARK(BM_Memcpy)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeRasterLayers)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BasePass)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StripesPass)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BandPass)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawingPass)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeLayers)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeAfterDrawingEdit)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwoCompositionsAfterDrawingEdit)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
