#include "project/region_marker.h"

#include <algorithm>
#include <cstring>

#include "base/checked_alloc.h"
#include "base/messages.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"
#include "layers/region_labelling.h"
#include "project/mask_editing.h"

namespace linea {

namespace {
constexpr int kFourConnected = 2;  // LabelRegions: four-connected regions
constexpr int kNoOther = -1;
}  // namespace

bool CRegionMarker::SaveForUndo() {
  const CBitmapLayer* preview = FindPreviewLayer(stack_);
  if (!preview) return false;
  const CImage& image = preview->Image();
  const int width = image.GetWidth(), height = image.GetHeight();
  std::vector<std::uint8_t> copy;
  if (!TryResize(copy, std::uint64_t(width) * std::uint64_t(height))) return false;
  for (int y = 0; y < height; ++y)
    std::memcpy(copy.data() + std::size_t(y) * std::size_t(width), image.Row(y), std::size_t(width));
  saved_.swap(copy);
  savedWidth_ = width;
  savedHeight_ = height;
  savedMarked_ = marked_;
  return true;
}

int CRegionMarker::MarkAt(int x, int y) {
  CBitmapLayer* preview = FindPreviewLayer(stack_);
  if (!preview) return kMaskNothingToDo;
  CImage& image = preview->Image();
  const int width = image.GetWidth(), height = image.GetHeight();
  if (x < 0 || y < 0 || x >= width || y >= height || image.Row(y)[x] != kSelected) return kMaskNothingToDo;
  std::vector<std::uint16_t> grid;
  if (!TryResize(grid, std::uint64_t(width) * std::uint64_t(height))) return kErrorOutOfMemory;
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* pixels = image.Row(row);
    std::uint16_t* cells = grid.data() + std::size_t(row) * std::size_t(width);
    for (int column = 0; column < width; ++column) cells[column] = pixels[column] == kSelected ? 1 : 0;
  }
  int count = 0;
  const int labelled = LabelRegions(width, height, kFourConnected, grid.data(), count);
  if (labelled == kLabelOutOfMemory) return kErrorOutOfMemory;
  if (labelled != kLabelOk) return kLabelTooManyRegions;
  if (!SaveForUndo()) return kErrorOutOfMemory;
  const std::uint16_t region = grid[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  for (int row = 0; row < height; ++row) {
    std::uint8_t* pixels = image.Row(row);
    const std::uint16_t* cells = grid.data() + std::size_t(row) * std::size_t(width);
    for (int column = 0; column < width; ++column)
      if (cells[column] == region) pixels[column] = kMarkedRegion;
  }
  marked_ = true;
  preview->MarkChanged();
  return 0;
}

int CRegionMarker::UndoLastStep() {
  CBitmapLayer* preview = FindPreviewLayer(stack_);
  if (!preview || saved_.empty()) return kMaskNothingToDo;
  CImage& image = preview->Image();
  const int width = std::min(savedWidth_, image.GetWidth()), height = std::min(savedHeight_, image.GetHeight());
  for (int y = 0; y < height; ++y)
    std::memcpy(image.Row(y), saved_.data() + std::size_t(y) * std::size_t(savedWidth_), std::size_t(width));
  marked_ = savedMarked_;
  preview->MarkChanged();
  return 0;
}

int CRegionMarker::Replace(std::uint8_t from, std::uint8_t to, int other, std::uint8_t otherTo) {
  CBitmapLayer* preview = FindPreviewLayer(stack_);
  if (!preview) return kMaskNothingToDo;
  if (!SaveForUndo()) return kErrorOutOfMemory;
  CImage& image = preview->Image();
  for (int y = 0; y < image.GetHeight(); ++y) {
    std::uint8_t* row = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x) {
      if (row[x] == from)
        row[x] = to;
      else if (row[x] == other)
        row[x] = otherTo;
    }
  }
  marked_ = false;
  preview->MarkChanged();
  return 0;
}

int CRegionMarker::UnmarkAll() { return Replace(kMarkedRegion, kSelected, kNoOther, 0); }
int CRegionMarker::DeleteMarked() { return Replace(kMarkedRegion, kNotSelected, kNoOther, 0); }
int CRegionMarker::DeleteUnmarked() { return Replace(kMarkedRegion, kSelected, kSelected, kNotSelected); }

void CRegionMarker::Exit() {
  if (marked_) UnmarkAll();
  marked_ = false;
  std::vector<std::uint8_t>().swap(saved_);
  savedWidth_ = savedHeight_ = 0;
}

}  // namespace linea
