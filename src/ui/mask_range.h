#pragma once
// "Создание маски" (dialog 103): the modeless mask editor. It selects pixels by
// brightness into the preview, moves the selection into or out of the mask with
// one undo, opens "Удалить области" to pick regions of the selection, and runs the
// four polygon tools with the view's vertex collection. The pixel work is the
// Qt-free CMaskRangeModel; this window turns buttons, clicks and vertices into its
// calls. It is a child of the frame, marks itself in the frame's record of open
// tool windows, and destroys itself when it is left.

#include <QDialog>

#include "project/mask_range_model.h"
#include "ui/vertex_collection.h"

namespace Ui {
class CMaskRangeForm;
}

class QPushButton;

namespace linea {

class CAppHost;
class CMainFrame;
class MarkDialog;

class CMaskRange : public QDialog {
  Q_OBJECT
 public:
  // The open mask dialog of the frame, or null.
  static CMaskRange* Find(const CMainFrame& frame);
  // The open dialog, or a new one over the frame's workspace; shown either way.
  // The host (messages, the modified flag) must outlive the frame.
  static CMaskRange* Open(CMainFrame& frame, CAppHost& host);
  ~CMaskRange() override;

  CMaskRangeModel& Model() { return model_; }
  // The region-marking dialog while it is open, else null.
  MarkDialog* Marking() const { return mark_; }
  // The tool the view hands clicks and vertices to while the dialog is open.
  CViewTool& Tool() { return tool_; }

  // "ВЫЙТИ": the marking dialog and a polygon in progress are dropped, the preview
  // removed, the undo copy freed, the view's tool released, the window destroyed.
  void Exit();
  // Called by the marking dialog when it goes: the marking ends and, unless the
  // whole editor is being left, this dialog comes back.
  void MarkingEnded(bool showAgain);

  // The view is refreshed (honouring "Показывать сразу").
  void RefreshView();
  // A code of a failed operation is shown; 0 and "nothing to do" show nothing.
  void Report(int code);

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  CMaskRange(CMainFrame& frame, CAppHost& host);

  void OnShowSelection();
  void OnMoveSelection(bool add);
  void OnUndo();
  void OnMarkRegions();
  void OnPolygon(PolygonMode mode);
  // Vertices and the end of a polygon from the view.
  void FinishPolygon(std::span<const ImageVertex> rest);
  void CancelPolygon();
  void AppendVertices(std::span<const ImageVertex> vertices);
  void PolygonEnded();
  void MaskChanged();

  class CTool : public CViewTool {
   public:
    explicit CTool(CMaskRange& dialog) : dialog_(dialog) {}
    bool PickPoint(ImageVertex point) override;
    void ReceiveVertices(std::span<const ImageVertex> vertices) override;
    void FinishPolyline(std::span<const ImageVertex> rest) override;
    void CancelPolyline() override;
    void CloseTool() override;
    bool HasPolylineInProgress() const override;

   private:
    CMaskRange& dialog_;
  };

  CMainFrame& frame_;
  CAppHost& host_;
  Ui::CMaskRangeForm* ui_;
  CMaskRangeModel model_;
  CTool tool_;
  MarkDialog* mark_ = nullptr;
  bool exiting_ = false;
};

}  // namespace linea
