#include "results/results.h"

#include <algorithm>
#include <cmath>

#include "base/layer_names.h"
#include "base/string_table.h"
#include "layers/layer_stack.h"

namespace linea {

namespace {
}

CResults::CResults() = default;
CResults::~CResults() = default;

void CResults::ClearArrays(CLayerStack* stack) {
  if (hasStripes && stack) {
    // Clearing results never ends the project, even when the stripes are its only layer.
    if (CLayer* layer = stack->FindLayer(LoadText(kStripesLayerName))) stack->DropLayer(layer);
  }
  std::vector<std::uint8_t>().swap(stripeClasses);
  std::vector<std::uint8_t>().swap(stripeCodes);
  std::vector<BlockRose>().swap(blockRoses);
  std::vector<std::uint16_t>().swap(windowRoses);
  std::vector<LineamentRecord>().swap(lineaments);
  globalRose.fill(0);
  hasStripes = hasGlobalRose = hasWindowRoses = hasBlockRoses = hasLineaments = false;
  stripesReplaced = false;
}

void CResults::ClearResults(CLayerStack* stack) {
  ClearArrays(stack);
  std::vector<std::uint8_t>().swap(descentGrid);
  pixelCount = 0;
  searchCounters_[0] = searchCounters_[1] = 0;
  sourcePath.clear();
}

void CResults::ClearDerivedResults(CLayerStack* stack) { ClearArrays(stack); }

void CResults::ClearWindowRoses() {
  std::vector<std::uint16_t>().swap(windowRoses);
  hasWindowRoses = false;
}

int CResults::ComputeGlobalRose() {
  std::array<std::int32_t, 8> counts{};
  std::uint64_t cells = std::min<std::uint64_t>(GridCellCount(), stripeClasses.size());
  bool any = false;
  for (std::uint64_t i = 0; i < cells; ++i) {
    std::uint8_t c = stripeClasses[i];
    if (c >= 1 && c <= 8) {
      ++counts[c - 1];
      any = true;
    }
  }
  globalRose = counts;
  return any ? 0 : 13;
}

void CResults::DeriveStripeClasses() {
  stripeClasses.resize(stripeCodes.size());
  for (std::size_t i = 0; i < stripeCodes.size(); ++i) stripeClasses[i] = StripeClassOfCode(stripeCodes[i]);
}

void CResults::SetGridFromRate(double rate) {
  if (!(rate >= 1e-9)) rate = 1.0;
  double w = std::trunc(double(imageWidth) / rate);
  double h = std::trunc(double(imageHeight) / rate);
  gridWidth = w >= 4294967295.0 ? 0xFFFFFFFFu : std::uint32_t(w);
  gridHeight = h >= 4294967295.0 ? 0xFFFFFFFFu : std::uint32_t(h);
}

void CResults::SetImageGeometry(std::uint32_t width, std::uint32_t height, std::uint16_t bytes,
                                std::uint8_t type) {
  imageWidth = width;
  imageHeight = height;
  pixelCount = std::uint32_t(std::uint64_t(width) * height);
  bytesPerPixel = bytes;
  imageType = type;
  gridWidth = width;
  gridHeight = height;
}

}  // namespace linea
