#include "results/combination_ops.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "base/app_host.h"
#include "base/checked_alloc.h"
#include "base/string_table.h"
#include "layers/layer_stack.h"
#include "layers/raster_layer.h"
#include "layers/vector_layer3.h"
#include "results/bands.h"
#include "results/rose_map_palette.h"
#include "results/rose_measures.h"

namespace linea {
namespace {

constexpr int kMergedLayerName = 1102;  // "Объединение"
// Every rose is scaled to this total when normalising.
constexpr double kNormalRoseTotal = 400.0;
// The start of the search for the largest value; still there means "no value".
constexpr float kNoLargestValue = -31998.0f;

std::uint16_t Count16(double value) {
  if (std::isnan(value)) return 0;
  return std::uint16_t(std::clamp(std::trunc(value), 0.0, 65535.0));
}

// Values beyond what a project holds count as 0.
std::uint16_t ValueAt(std::span<const std::uint16_t> values, std::size_t i) { return i < values.size() ? values[i] : 0; }

// Per project, the normalisation factor of the rose that holds value i.
double RoseFactor(std::span<const std::uint16_t> values, std::size_t rose) {
  double sum = 0.0;
  for (std::size_t k = 8 * rose; k < 8 * rose + 8; ++k) sum += ValueAt(values, k);
  return sum == 0.0 ? 1.0 : kNormalRoseTotal / sum;
}

CRasterLayer* FindClassMap(const CLayerStack& stack, const std::string& name) {
  CLayer* layer = stack.FindLayer(name);
  if (!layer || layer->GetKind() != kLayerKindRaster) return nullptr;
  return dynamic_cast<CRasterLayer*>(layer);
}

}  // namespace

int CombineWindowRoses(CResults& results, int mode, bool normalise, std::span<const CombinationInput> projects) {
  if (projects.empty()) return kErrorGeneralFailure;
  const std::size_t K = projects.size();
  // Checked before anything is replaced, so a wrong count changes nothing.
  if (mode == kCombineDifference ? K != 2 : K < 2) return 2;
  const std::size_t N = projects[0].windowRoses.size();
  std::vector<std::uint16_t> combined;
  std::vector<double> factors;
  if (!TryResize(combined, N) || !TryResize(factors, K)) {
    results.ClearWindowRoses();
    return 3;
  }
  for (std::size_t rose = 0; 8 * rose < N; ++rose) {
    for (std::size_t k = 0; k < K; ++k) factors[k] = normalise ? RoseFactor(projects[k].windowRoses, rose) : 1.0;
    const std::size_t end = std::min(N, 8 * rose + 8);
    for (std::size_t i = 8 * rose; i < end; ++i) {
      if (mode == kCombineDifference) {
        const double a = ValueAt(projects[0].windowRoses, i), b = ValueAt(projects[1].windowRoses, i);
        combined[i] = normalise ? Count16(std::fabs(std::trunc(a * factors[0] - b * factors[1])))
                                : Count16(std::fabs(b - a));
      } else {
        double sum = 0.0;
        for (std::size_t k = 0; k < K; ++k) sum += ValueAt(projects[k].windowRoses, i) * factors[k];
        combined[i] = Count16(sum / double(K));
      }
    }
  }
  results.windowRoses.swap(combined);
  const CombinationInput& first = projects[0];
  const std::uint32_t width = std::uint32_t(std::max(0, first.width));
  const std::uint32_t height = std::uint32_t(std::max(0, first.height));
  results.imageWidth = width;
  results.imageHeight = height;
  results.imageType = first.imageType;
  results.pixelCount = std::uint32_t(std::uint64_t(width) * height);
  results.bytesPerPixel = 1;
  if (first.gridWidth > 0 && width > 0) {
    const double rate = double(width) / double(first.gridWidth);
    results.gridWidth = std::uint32_t(std::trunc(double(width) / rate));
    results.gridHeight = std::uint32_t(std::trunc(double(height) / rate));
  } else {
    results.gridWidth = results.gridHeight = 0;  // no grid to measure roses on
  }
  results.hasWindowRoses = true;
  return 0;
}

std::vector<std::string> FieldAdditionCandidates(const CLayerStack& stack) {
  std::vector<std::string> names;
  if (stack.LayerCount() < 2) return names;
  for (int i = 0; i < stack.LayerCount(); ++i)
    if (stack.LayerAt(i)->GetKind() == kLayerKindRaster) names.push_back(stack.LayerAt(i)->GetName());
  return names;
}

int AddFields(CLayerStack& stack, std::span<const std::string> plus, std::span<const std::string> minus,
              const std::string& name, const PaletteSettings& palette) {
  if (plus.empty() && minus.empty()) return 1;
  const CRasterLayer* first = FindClassMap(stack, plus.empty() ? minus[0] : plus[0]);
  if (!first) return 2;
  const std::uint32_t width = std::uint32_t(first->Image().GetWidth());
  const std::uint32_t height = std::uint32_t(first->Image().GetHeight());
  const std::uint64_t N = std::uint64_t(width) * height;
  std::vector<std::uint8_t> classes;
  std::vector<float> sum;
  if (!TryResize(classes, N) || !TryResize(sum, N)) return 3;

  std::vector<const CRasterLayer*> plusMaps, minusMaps;
  for (const std::string& n : plus) plusMaps.push_back(FindClassMap(stack, n));
  for (const std::string& n : minus) minusMaps.push_back(FindClassMap(stack, n));
  for (const CRasterLayer* map : plusMaps)
    if (!map) return 2;
  for (const CRasterLayer* map : minusMaps)
    if (!map) return 2;

  auto accumulate = [&](const CRasterLayer& map, bool add) {
    // A map of another size is read as far as it reaches; the rest is empty.
    if (!CopyClassPixels(map, width, height, classes)) return false;
    const float w = float(map.classWidth), f = float(map.From);
    for (std::uint64_t i = 0; i < N; ++i) {
      if (sum[i] == kNoFieldValue) continue;
      const std::uint8_t c = classes[i];
      if (c == 0)
        sum[i] = kNoFieldValue;
      else if (add)
        sum[i] += float(c) * w + f;
      else
        sum[i] -= float(c) * w + f;
    }
    return true;
  };
  for (const CRasterLayer* map : plusMaps)
    if (!accumulate(*map, true)) return 3;
  for (const CRasterLayer* map : minusMaps)
    if (!accumulate(*map, false)) return 3;
  std::string sources;
  for (const CRasterLayer* map : plusMaps) sources += "\n Add : " + map->GetDescription();
  for (const CRasterLayer* map : minusMaps) sources += "\n Subtract : " + map->GetDescription();

  float largest = kNoLargestValue, smallest = 0.0f;
  for (float v : sum)
    if (v != kNoFieldValue && v > largest) largest = v;
  if (largest == kNoLargestValue) {
    largest = smallest = 0.0f;
  } else {
    smallest = largest;
    for (float v : sum)
      if (v != kNoFieldValue && v < smallest) smallest = v;
  }
  const double d = double(largest) - double(smallest);
  int n;
  double s;
  if (d <= 254.0) {
    n = TruncToInt(d + 1.0);
    s = 1.0;
  } else {
    n = 255;
    s = 254.0 / d;
  }
  std::array<double, 256> histogram{};
  for (std::uint64_t i = 0; i < N; ++i) {
    if (sum[i] == kNoFieldValue) {
      classes[i] = 0;
      continue;
    }
    int c = std::min(255, TruncToInt((double(sum[i]) - double(smallest)) * s + 0.5));
    if (c <= 0) c = 1;
    classes[i] = std::uint8_t(c);
    histogram[std::size_t(c)] += 1.0;
  }
  std::vector<float>().swap(sum);

  std::unique_ptr<CRasterLayer> layer(new (std::nothrow) CRasterLayer(name, true));
  if (!layer) return 3;
  layer->classes = n;
  layer->From = layer->Min = TruncToInt(smallest);
  layer->To = layer->Max = TruncToInt(largest);
  const int steps = std::clamp(palette.steps, 0, kMaxPaletteSteps);
  layer->steps = steps;
  layer->equalPopulation = palette.equalPopulation ? 1 : 0;
  layer->paletteKind = palette.paletteKind;
  layer->brightness = palette.brightness;
  layer->classWidth = 1.0 / s;
  layer->classHistogram = histogram;
  RoseMapPalette colours =
      MakeRoseMapPalette(palette.equalPopulation, palette.paletteKind, n, steps, histogram, palette.brightness);
  layer->stepBoundaries = std::move(colours.boundaries);
  layer->red = colours.red;
  layer->green = colours.green;
  layer->blue = colours.blue;
  layer->used = colours.used;
  // The raster has the first map's size, so the layer takes that size too.
  if (!layer->CreateFromPixels(int(width), int(height), 8, classes, layer->red, layer->green, layer->blue,
                               layer->used, 256))
    return 3;
  layer->SetDescription(FormatText("AUTO scale, From %d To %d, ", layer->From, layer->To) + sources);
  layer->MarkChanged();
  if (!stack.AddLayer(std::move(layer))) return 3;
  return 0;
}

bool MergeVectorLayers(CLayerStack& stack, CAppHost& host) {
  if (stack.LayerCount() < 2) return false;
  std::vector<CVectorLayer3*> drawings;
  for (int i = 0; i < stack.LayerCount(); ++i) {
    CLayer* layer = stack.LayerAt(i);
    if (layer->IsVisible() && layer->GetKind() == kLayerKindVector3)
      if (auto* drawing = dynamic_cast<CVectorLayer3*>(layer)) drawings.push_back(drawing);
  }
  if (drawings.size() < 2) return false;
  const auto name = host.AskLayerName(LoadText(kMergedLayerName));
  if (!name) return false;
  // The stack keeps its names unique: a name of a layer that stays would either
  // replace that layer or stand twice, so it is refused.
  const CLayer* sameName = stack.FindLayer(*name);
  if (sameName && std::find(drawings.begin(), drawings.end(), sameName) == drawings.end()) return false;

  std::unique_ptr<CVectorLayer3> merged(new (std::nothrow) CVectorLayer3(*name, true));
  if (!merged) return false;
  std::string description = "Combine layers";
  std::uint8_t holdsStripes = 1;
  for (std::size_t i = 0; i < drawings.size(); ++i) {
    const CVectorLayer3& drawing = *drawings[i];
    for (int g = 0; g < drawing.GroupCount(); ++g) {
      const CPolylineGroup& group = drawing.Group(g);
      for (int k = 0; k < group.PolylineCount(); ++k)
        if (merged->AddPolyline32(group.Polyline(k), group.GetColor(), group.GetWidth())) return false;
    }
    description += FormatText("\n Layer %d ", int(i)) + drawing.GetDescription();
    if (!drawing.holdsStripes) holdsStripes = 0;
  }
  merged->holdsStripes = holdsStripes;
  merged->SetDescription(std::move(description));
  if (std::find(drawings.begin(), drawings.end(), stack.GetCurrentLayer()) != drawings.end())
    stack.SetCurrentLayer(nullptr);
  // Added before the others go, so that the stack never runs empty on the way; a
  // merged drawing of the same name is the one it replaces.
  CLayer* added = stack.AddLayer(std::move(merged));
  if (!added) return false;
  for (CVectorLayer3* drawing : drawings)
    if (drawing != sameName) stack.RemoveLayer(drawing);
  return true;
}

}  // namespace linea
