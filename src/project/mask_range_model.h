#pragma once
// The state of the mask dialog "Создание маски" without its window: the undo copy
// of the mask, the polygon in progress and the marking flag. It works on the
// layers of the stack found by name (source, mask, preview), so a mask created
// here and one opened from a file are edited alike. The dialog and linea-cli both
// drive it.

#include <cstdint>
#include <span>
#include <vector>

#include "project/mask_editing.h"

namespace linea {

class CLayerStack;

class CMaskRangeModel {
 public:
  // The stack must outlive the model.
  explicit CMaskRangeModel(CLayerStack& stack) : stack_(stack) {}

  // Takes the undo buffer, of the source image's size. 0; kMaskNothingToDo when
  // there is no source (the model stays open without a buffer and its commands
  // find nothing to work on); 3 when the buffer cannot be had (not open then).
  int Open();
  // The preview goes, the buffer is freed, a polygon in progress is dropped.
  void Close();
  bool IsOpen() const { return open_; }
  bool HasUndoBuffer() const { return !undo_.empty(); }

  // "Показать": the preview of the range.
  int ShowSelection(const SelectionRange& range);
  // "Добавить в маску" / "Убрать из маски": the selected pixels join or leave the
  // mask, after the mask was copied for undo. kMaskNothingToDo without a mask,
  // a preview or the buffer.
  int AddToMask() { return MoveSelection(kInMask); }
  int RemoveFromMask() { return MoveSelection(kOutsideMask); }
  // "UNDO": the mask as before the last add, remove or polygon; then no undo until
  // the next one. kMaskNothingToDo when there is nothing to undo.
  int Undo();
  bool CanUndo() const { return canUndo_; }

  // A polygon tool: the mask is copied for undo and vertices are collected.
  // kMaskNothingToDo without the buffer or the mask.
  int BeginPolygon(PolygonMode mode);
  // The next vertices in order (the polygon holds as many as the user clicks). 3
  // when they cannot be stored; the polygon is then unchanged.
  int AppendVertices(std::span<const MaskVertex> vertices);
  // Fills the polygon into its target (the preview in outline mode, else the mask)
  // and ends it. 0; kMaskNothingToDo without a target; 2 or 3 with nothing written.
  // The polygon ends in every case.
  int FinishPolygon();
  // Esc: the polygon ends and nothing is written.
  void CancelPolygon();
  bool IsDrawingPolygon() const { return drawing_; }
  PolygonMode Mode() const { return mode_; }
  const std::vector<MaskVertex>& Vertices() const { return vertices_; }

  // While the region-marking dialog is open.
  void SetMarking(bool marking) { marking_ = marking; }
  bool IsMarking() const { return marking_; }

 private:
  int MoveSelection(std::uint8_t value);
  // Copies the mask into the undo buffer (the common part of the two sizes).
  bool SaveUndo();
  void EndPolygon();

  CLayerStack& stack_;
  bool open_ = false;
  // One earlier state of the mask: undoWidth_ x undoHeight_ bytes, rows back to back.
  std::vector<std::uint8_t> undo_;
  int undoWidth_ = 0;
  int undoHeight_ = 0;
  bool canUndo_ = false;
  bool marking_ = false;
  bool drawing_ = false;
  PolygonMode mode_ = PolygonMode::kMask;
  std::vector<MaskVertex> vertices_;
};

}  // namespace linea
