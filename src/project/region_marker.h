#pragma once
// The state of "Удалить области" without its window: connected regions of the
// selection preview are marked by a point (value 201) and then the marked or the
// unmarked ones are dropped from the selection. One copy of the preview is kept
// to undo the last step.

#include <cstdint>
#include <vector>

namespace linea {

class CLayerStack;

class CRegionMarker {
 public:
  // The stack must outlive the marker.
  explicit CRegionMarker(CLayerStack& stack) : stack_(stack) {}

  // Marks the four-connected selected region at image point (x, y). 0;
  // kMaskNothingToDo when no preview exists or the point is not a selected pixel;
  // 2 (too many regions) or 3 (no memory) with the preview unchanged.
  int MarkAt(int x, int y);
  // "с предыдущей": the preview and the marked flag as before the last step.
  int UndoLastStep();
  // "со всех": every mark is taken off.
  int UnmarkAll();
  // "Отмеченные": the marked regions leave the selection.
  int DeleteMarked();
  // "НЕ отмеченные": only the marked regions stay selected (none, without marks).
  int DeleteUnmarked();
  // "Выход": marks left are taken off and the copy is freed.
  void Exit();

  bool HasMarks() const { return marked_; }
  bool HasUndo() const { return !saved_.empty(); }

 private:
  // Copies the preview and the flag for one step of undo. False (nothing saved)
  // when the copy cannot be had.
  bool SaveForUndo();
  // Every pixel `from` becomes `to`, and `other` becomes `otherTo` (when given).
  int Replace(std::uint8_t from, std::uint8_t to, int other, std::uint8_t otherTo);

  CLayerStack& stack_;
  std::vector<std::uint8_t> saved_;  // width x height preview bytes, rows back to back
  int savedWidth_ = 0;
  int savedHeight_ = 0;
  bool marked_ = false;
  bool savedMarked_ = false;
};

}  // namespace linea
