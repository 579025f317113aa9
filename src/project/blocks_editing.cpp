#include "project/blocks_editing.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>

#include "base/checked_alloc.h"
#include "base/layer_names.h"
#include "base/messages.h"
#include "base/string_table.h"
#include "layers/layer_stack.h"
#include "layers/raster_import.h"
#include "layers/region_labelling.h"
#include "layers/vector_layer.h"
#include "project/workspace.h"

namespace linea {

namespace {

constexpr int kBlocksDescription = 168;  // "Blocks image"
constexpr int kSnapMargin = 10;          // pixels from an edge within which a vertex snaps

// The blocks editing messages.
enum : int {
  kTooManyBlocksMessage = 33601,
  kLabelFailedMessage = 33602,
  kOnBorderMessage = 33603,
  kSameBlockMessage = 33604,
  kOutsideMessage = 33605,
  kNoUndoMessage = 33606,
};

std::size_t ImageBytes(const CImage& image) {
  return std::size_t(image.GetBytesPerLine()) * std::size_t(image.GetHeight());
}

}  // namespace

int BlocksMessageId(int result) {
  switch (result) {
    case kBlocksOutOfMemory: return ErrorMessageId(kErrorOutOfMemory);
    case kBlocksTooMany: return kTooManyBlocksMessage;
    case kBlocksLabelFailed: return kLabelFailedMessage;
    case kBlocksOnBorder: return kOnBorderMessage;
    case kBlocksSameBlock: return kSameBlockMessage;
    case kBlocksOutside: return kOutsideMessage;
    case kBlocksNoUndo: return kNoUndoMessage;
    default: return 0;
  }
}

BlockPoint SnapBorderPoint(int x, int y, int width, int height) {
  if (x < kSnapMargin) x = -1;
  if (std::int64_t(x) + kSnapMargin + 1 > width) x = width;
  if (y < kSnapMargin) y = -1;
  if (std::int64_t(y) + kSnapMargin + 1 > height) y = height;
  return {x, y};
}

std::unique_ptr<CVectorLayer> MakeBlocksLayer(int width, int height) {
  if (width < 1 || height < 1) return nullptr;
  std::unique_ptr<CVectorLayer> layer(new (std::nothrow) CVectorLayer(LoadText(kBlocksLayerName), false));
  if (!layer) return nullptr;
  std::vector<std::uint8_t> zeros;
  if (!TryResize(zeros, std::uint64_t(width) * std::uint64_t(height))) return nullptr;
  const PaletteTables palette = BlocksPaletteTables();
  if (!layer->CreateFromPixels(width, height, 8, zeros, palette.red, palette.green, palette.blue, palette.used, 256))
    return nullptr;
  // Only the red borders show over the image.
  layer->SetTransparentColor(0);
  layer->SetTransparency(true);
  layer->SetColorIndex(kBlockBorder);
  layer->SetDescription(LoadText(kBlocksDescription));
  layer->SetDeletable(false);
  layer->MarkChanged();
  return layer;
}

int CreateBlocks(CWorkspace& workspace) {
  CLayerStack& stack = workspace.layerStack;
  const CLayer* source = stack.FindLayer(LoadText(kBaseLayerName));
  if (source == nullptr || stack.FindLayer(LoadText(kBlocksLayerName)) != nullptr) return kBlocksNoLayer;
  std::unique_ptr<CVectorLayer> layer = MakeBlocksLayer(source->GetWidth(), source->GetHeight());
  if (!layer) return kBlocksOutOfMemory;
  if (stack.AddLayer(std::move(layer)) == nullptr) return kBlocksOutOfMemory;
  workspace.blocksImagePath = kCreatedBlocksPath;
  workspace.UpdateCalcPanel();
  return kBlocksDone;
}

bool DeleteBlocks(CWorkspace& workspace) {
  CLayer* layer = workspace.layerStack.FindLayer(LoadText(kBlocksLayerName));
  if (layer == nullptr || !workspace.layerStack.RemoveLayer(layer)) return false;
  workspace.blocksImagePath.clear();
  workspace.results.hasBlockRoses = false;
  workspace.UpdateCalcPanel();
  return true;
}

CBlocksEditing::CBlocksEditing(CLayerStack& stack) : stack_(stack) {}

CVectorLayer* CBlocksEditing::Layer() const {
  auto* layer = dynamic_cast<CVectorLayer*>(stack_.FindLayer(LoadText(kBlocksLayerName)));
  if (layer == nullptr || layer->Image().GetBitsPerPixel() != 8 || layer->Image().IsEmpty()) return nullptr;
  return layer;
}

int CBlocksEditing::TakeUndoCopy() {
  const CVectorLayer* layer = Layer();
  if (layer == nullptr) return kBlocksNoLayer;
  const CImage& image = layer->Image();
  std::vector<std::uint8_t> copy;
  if (!TryResize(copy, ImageBytes(image))) return kBlocksOutOfMemory;
  std::copy_n(image.GetBits(), copy.size(), copy.begin());
  undo_.swap(copy);
  undoWidth_ = image.GetWidth();
  undoHeight_ = image.GetHeight();
  undoLayer_ = layer;
  return kBlocksDone;
}

int CBlocksEditing::Undo() {
  CVectorLayer* layer = Layer();
  if (layer == nullptr) return kBlocksNoLayer;
  CImage& image = layer->Image();
  if (undo_.empty() || layer != undoLayer_ || undoWidth_ != image.GetWidth() || undoHeight_ != image.GetHeight() ||
      undo_.size() != ImageBytes(image))
    return kBlocksNoUndo;
  std::copy(undo_.begin(), undo_.end(), image.GetBits());
  layer->MarkChanged();
  return kBlocksDone;
}

void CBlocksEditing::DropUndoCopy() {
  std::vector<std::uint8_t>().swap(undo_);
  undoWidth_ = undoHeight_ = 0;
  undoLayer_ = nullptr;
}

int CBlocksEditing::BeginBorder() {
  hasLast_ = false;
  return TakeUndoCopy();
}

void CBlocksEditing::AddBorderVertices(std::span<const BlockPoint> vertices) {
  for (const BlockPoint& vertex : vertices) {
    if (hasLast_) DrawSegment(last_, vertex);
    last_ = vertex;
    hasLast_ = true;
  }
}

void CBlocksEditing::EndBorder() { hasLast_ = false; }

void CBlocksEditing::DrawSegment(BlockPoint from, BlockPoint to) {
  CVectorLayer* layer = Layer();
  if (layer == nullptr) return;
  CImage& image = layer->Image();
  const int width = image.GetWidth(), height = image.GetHeight();
  const std::int64_t dx = std::int64_t(to.x) - from.x;
  const std::int64_t dy = std::int64_t(to.y) - from.y;
  const bool alongX = std::llabs(dx) >= std::llabs(dy);
  const std::int64_t steps = alongX ? std::llabs(dx) : std::llabs(dy);
  const int direction = (alongX ? dx : dy) < 0 ? -1 : 1;
  // Only the steps whose main coordinate lies inside the layer can write, so a
  // segment between far-away points costs no more than one across the image.
  const std::int64_t start = alongX ? from.x : from.y;
  const std::int64_t extent = alongX ? width : height;
  std::int64_t first = 0, last = steps - 1;
  if (direction > 0) {
    first = std::max<std::int64_t>(first, -start);
    last = std::min<std::int64_t>(last, extent - 1 - start);
  } else {
    first = std::max<std::int64_t>(first, start - (extent - 1));
    last = std::min<std::int64_t>(last, start);
  }
  for (std::int64_t i = first; i <= last; ++i) {
    const std::int64_t offset = i * direction;
    // Integer division truncates towards zero, as the rule asks, and exactly.
    // 128 bits: the product of two 33-bit spans does not fit in 64.
    const std::int64_t x = alongX ? from.x + offset : from.x + std::int64_t(__int128(offset) * dx / dy);
    const std::int64_t y = alongX ? from.y + std::int64_t(__int128(offset) * dy / dx) : from.y + offset;
    if (x < 0 || y < 0 || x >= width || y >= height) continue;
    image.Row(int(y))[x] = kBlockBorder;
  }
  layer->MarkChanged();
}

int CBlocksEditing::FindBlocks(int* count) {
  CVectorLayer* layer = Layer();
  if (layer == nullptr) return kBlocksNoLayer;
  CImage& image = layer->Image();
  const int width = image.GetWidth(), height = image.GetHeight();
  std::vector<std::uint16_t> grid;
  if (!TryResize(grid, std::uint64_t(width) * std::uint64_t(height))) return kBlocksOutOfMemory;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = image.Row(y);
    std::uint16_t* cells = grid.data() + std::size_t(y) * std::size_t(width);
    for (int x = 0; x < width; ++x) cells[x] = row[x] == kBlockBorder ? 0 : 1;
  }
  int regions = 0;
  const int labelled = LabelRegions(width, height, 2, grid.data(), regions);  // 2: four-connected
  if (labelled == kLabelOutOfMemory) return kBlocksOutOfMemory;
  if (labelled != kLabelOk) return kBlocksLabelFailed;
  if (regions > kMaxBlocks) return kBlocksTooMany;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image.Row(y);
    const std::uint16_t* cells = grid.data() + std::size_t(y) * std::size_t(width);
    for (int x = 0; x < width; ++x) row[x] = cells[x] == 0 ? kBlockBorder : std::uint8_t(cells[x]);
  }
  layer->MarkChanged();
  if (count) *count = regions;
  return kBlocksDone;
}

int CBlocksEditing::CheckBorders() {
  CVectorLayer* layer = Layer();
  if (layer == nullptr) return kBlocksNoLayer;
  CImage& image = layer->Image();
  const int width = image.GetWidth(), height = image.GetHeight();
  for (int y = 1; y + 1 < height; ++y) {
    std::uint8_t* row = image.Row(y);
    const std::uint8_t* above = image.Row(y - 1);
    const std::uint8_t* below = image.Row(y + 1);
    for (int x = 1; x + 1 < width; ++x) {
      if (row[x] != kBlockBorder) continue;
      const std::uint8_t neighbours[] = {above[x], below[x], row[x - 1], row[x + 1]};
      int found = -1;
      bool differ = false;
      for (std::uint8_t value : neighbours) {
        if (value == kBlockBorder) continue;
        if (found < 0) {
          found = value;
        } else if (found != value) {
          differ = true;
          break;
        }
      }
      if (found >= 0 && !differ) row[x] = std::uint8_t(found);
    }
  }
  layer->MarkChanged();
  return kBlocksDone;
}

int CBlocksEditing::ValueAt(BlockPoint point) const {
  const CVectorLayer* layer = Layer();
  if (layer == nullptr) return -1;
  const CImage& image = layer->Image();
  if (point.x < 0 || point.y < 0 || point.x >= image.GetWidth() || point.y >= image.GetHeight()) return -1;
  return image.Row(point.y)[point.x];
}

int CBlocksEditing::Merge(BlockPoint first, BlockPoint second) {
  CVectorLayer* layer = Layer();
  if (layer == nullptr) return kBlocksNoLayer;
  const int a = ValueAt(first), b = ValueAt(second);
  if (a < 0 || b < 0) return kBlocksOutside;
  if (a == kBlockBorder || b == kBlockBorder) return kBlocksOnBorder;
  if (a == b) return kBlocksSameBlock;
  // Numbering can only fail for want of memory, since merging never adds a
  // block; the grid is reserved first so that a failure leaves everything as it was.
  std::vector<std::uint8_t> before;
  CImage& image = layer->Image();
  if (!TryResize(before, ImageBytes(image))) return kBlocksOutOfMemory;
  std::copy_n(image.GetBits(), before.size(), before.begin());
  const std::uint8_t larger = std::uint8_t(std::max(a, b)), smaller = std::uint8_t(std::min(a, b));
  for (int y = 0; y < image.GetHeight(); ++y) {
    std::uint8_t* row = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x)
      if (row[x] == larger) row[x] = smaller;
  }
  CheckBorders();
  if (int found = FindBlocks(); found != kBlocksDone) {
    std::copy(before.begin(), before.end(), image.GetBits());
    layer->MarkChanged();
    return found;
  }
  return kBlocksDone;
}

int CBlocksEditing::Exclude(BlockPoint point) {
  CVectorLayer* layer = Layer();
  if (layer == nullptr) return kBlocksNoLayer;
  const int value = ValueAt(point);
  if (value < 0) return kBlocksOutside;
  if (value == kBlockBorder) return kBlocksOnBorder;
  CImage& image = layer->Image();
  for (int y = 0; y < image.GetHeight(); ++y) {
    std::uint8_t* row = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x)
      if (row[x] == value) row[x] = kBlockExcluded;
  }
  layer->MarkChanged();
  return kBlocksDone;
}

}  // namespace linea
