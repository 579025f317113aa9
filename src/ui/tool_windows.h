#pragma once
// Which of the modeless editing windows are open. The frame holds the one
// instance; the tools mark themselves open and closed, and the menus' enabling
// rules ask it (the mask, blocks and drawing editors exclude each other, since
// each takes the view's mouse).

#include <array>
#include <cstddef>

namespace linea {

enum class ToolWindow : std::size_t {
  kMaskRange,   // "Создание маски", dialog 103
  kMarkDialog,  // "Удалить области", dialog 194
  kBlocksEdit,  // "Рисовать блоки", dialog 195
  kDrawing,     // "Рисование", dialog 199
  kCount
};

class CToolWindows {
 public:
  void SetOpen(ToolWindow window, bool open) { open_[Index(window)] = open; }
  bool IsOpen(ToolWindow window) const { return open_[Index(window)]; }
  // The mask dialog, the blocks editor or the drawing dialog: while one is
  // open, none of the others may be started.
  bool AnyEditorOpen() const {
    return IsOpen(ToolWindow::kMaskRange) || IsOpen(ToolWindow::kBlocksEdit) || IsOpen(ToolWindow::kDrawing);
  }

 private:
  static constexpr std::size_t Index(ToolWindow window) { return static_cast<std::size_t>(window); }
  std::array<bool, static_cast<std::size_t>(ToolWindow::kCount)> open_{};
};

}  // namespace linea
