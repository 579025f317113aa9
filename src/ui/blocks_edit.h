#pragma once
// "Рисовать блоки" (dialog 195): the modeless blocks editor. It turns the buttons
// and what the view hands over (border vertices, picked points, Enter and Esc)
// into calls of the blocks model; every pixel operation happens there. While a
// tool runs (drawing borders, merging, excluding) the editor hides and the tool's
// help window shows instead.

#include <optional>

#include <QDialog>

#include "project/blocks_editing.h"
#include "ui/vertex_collection.h"

namespace Ui {
class CBlocksEditForm;
}

namespace linea {

class CMainFrame;

class CBlocksEdit : public QDialog, public CViewTool {
  Q_OBJECT
 public:
  // The frame must outlive the editor; the editor is the frame's child.
  explicit CBlocksEdit(CMainFrame& frame);
  ~CBlocksEdit() override;

  // Shows the editor at the frame's top-left corner above the other windows, marks
  // it open, takes the undo copy and makes it the view's tool. AUTO is on, "Найти
  // блоки" and "Сверить границы" are disabled.
  void Open();
  // "Стоп": the undo copy freed, line drawing left, the help windows closed, the
  // editor marked closed and destroyed (later, from the event loop).
  void Stop();
  bool IsOpen() const { return open_; }

  // The buttons, as the user presses them.
  void StartBorders();    // "Провести границы"
  void UndoChanges();     // "UNDO"
  void FindBlocks();      // "Найти блоки"
  void CheckBorders();    // "Сверить границы"
  void StartMerge();      // "Слить блоки"
  void StartExclude();    // "Исключить"

  bool IsDrawing() const { return drawing_; }
  bool IsMerging() const { return merging_; }
  bool IsExcluding() const { return excluding_; }
  CBlocksEditing& Editing() { return editing_; }

  // CViewTool: what the view hands over.
  bool PickPoint(ImageVertex point) override;
  void ReceiveVertices(std::span<const ImageVertex> vertices) override;
  void FinishPolyline(std::span<const ImageVertex> rest) override;
  void CancelPolyline() override;
  void CloseTool() override;
  void CancelTool() override;
  bool DropPick() override;

 signals:
  // The editor closed: the command states follow.
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  // Drawing ends (double click or Esc): the editor shows again; with AUTO the
  // blocks are found and checked.
  void EndDrawing();
  // Merge or exclude ends, done or cancelled: its help closes, the editor shows.
  void EndPicking();
  // A refusal's message (nothing for success); true on success.
  bool Report(int result);
  // The layer changed: the project is modified and the view repainted.
  void Changed();
  void ShowEditor();

  CMainFrame& frame_;
  Ui::CBlocksEditForm* ui_;
  CBlocksEditing editing_;
  std::optional<BlockPoint> firstPick_;
  bool open_ = false;
  bool drawing_ = false;
  bool merging_ = false;
  bool excluding_ = false;
};

}  // namespace linea
