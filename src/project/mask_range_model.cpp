#include "project/mask_range_model.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/checked_alloc.h"
#include "base/messages.h"
#include "layers/bitmap_layer.h"
#include "layers/layer_stack.h"

namespace linea {

int CMaskRangeModel::Open() {
  Close();
  const CBitmapLayer* source = FindSourceLayer(stack_);
  if (!source) {
    open_ = true;
    return kMaskNothingToDo;
  }
  std::vector<std::uint8_t> buffer;
  if (!TryResize(buffer, std::uint64_t(source->GetWidth()) * std::uint64_t(source->GetHeight())))
    return kErrorOutOfMemory;
  undo_.swap(buffer);
  undoWidth_ = source->GetWidth();
  undoHeight_ = source->GetHeight();
  open_ = true;
  return 0;
}

void CMaskRangeModel::Close() {
  if (open_) RemoveSelectionPreview(stack_);
  EndPolygon();
  std::vector<std::uint8_t>().swap(undo_);
  undoWidth_ = undoHeight_ = 0;
  canUndo_ = false;
  marking_ = false;
  open_ = false;
}

int CMaskRangeModel::ShowSelection(const SelectionRange& range) { return BuildSelectionPreview(stack_, range); }

bool CMaskRangeModel::SaveUndo() {
  const CBitmapLayer* mask = FindMaskLayer(stack_);
  if (!mask || undo_.empty()) return false;
  const CImage& image = mask->Image();
  const int width = std::min(undoWidth_, image.GetWidth()), height = std::min(undoHeight_, image.GetHeight());
  for (int y = 0; y < height; ++y)
    std::memcpy(undo_.data() + std::size_t(y) * std::size_t(undoWidth_), image.Row(y), std::size_t(width));
  return true;
}

int CMaskRangeModel::MoveSelection(std::uint8_t value) {
  CBitmapLayer* mask = FindMaskLayer(stack_);
  const CBitmapLayer* preview = FindPreviewLayer(stack_);
  if (!mask || !preview || !SaveUndo()) return kMaskNothingToDo;
  CImage& image = mask->Image();
  const int width = std::min(image.GetWidth(), preview->GetWidth());
  const int height = std::min(image.GetHeight(), preview->GetHeight());
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image.Row(y);
    const std::uint8_t* selection = preview->Image().Row(y);
    for (int x = 0; x < width; ++x)
      if (selection[x] == kSelected) row[x] = value;
  }
  mask->MarkChanged();
  canUndo_ = true;
  return 0;
}

int CMaskRangeModel::Undo() {
  CBitmapLayer* mask = FindMaskLayer(stack_);
  if (!canUndo_ || !mask || undo_.empty()) return kMaskNothingToDo;
  CImage& image = mask->Image();
  const int width = std::min(undoWidth_, image.GetWidth()), height = std::min(undoHeight_, image.GetHeight());
  for (int y = 0; y < height; ++y)
    std::memcpy(image.Row(y), undo_.data() + std::size_t(y) * std::size_t(undoWidth_), std::size_t(width));
  mask->MarkChanged();
  canUndo_ = false;
  return 0;
}

int CMaskRangeModel::BeginPolygon(PolygonMode mode) {
  if (!SaveUndo()) return kMaskNothingToDo;
  vertices_.clear();
  mode_ = mode;
  drawing_ = true;
  return 0;
}

int CMaskRangeModel::AppendVertices(std::span<const MaskVertex> vertices) {
  if (!drawing_) return kMaskNothingToDo;
  try {
    vertices_.insert(vertices_.end(), vertices.begin(), vertices.end());
  } catch (const std::bad_alloc&) {
    return kErrorOutOfMemory;
  } catch (const std::length_error&) {
    return kErrorOutOfMemory;
  }
  return 0;
}

int CMaskRangeModel::FinishPolygon() {
  if (!drawing_) return kMaskNothingToDo;
  const bool outline = mode_ == PolygonMode::kOutline;
  CBitmapLayer* target = outline ? FindPreviewLayer(stack_) : FindMaskLayer(stack_);
  int result = kMaskNothingToDo;
  if (target) {
    result = FillPolygon(target->Image(), vertices_, mode_);
    if (result == 0) {
      target->MarkChanged();
      if (!outline) canUndo_ = true;
    }
  }
  EndPolygon();
  return result;
}

void CMaskRangeModel::CancelPolygon() {
  if (!drawing_) return;
  // The picture is composed again without the lines drawn over it.
  if (CBitmapLayer* mask = FindMaskLayer(stack_)) mask->MarkChanged();
  EndPolygon();
}

void CMaskRangeModel::EndPolygon() {
  drawing_ = false;
  mode_ = PolygonMode::kMask;
  vertices_.clear();
}

}  // namespace linea
