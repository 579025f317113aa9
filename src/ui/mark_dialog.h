#pragma once
// "Удалить области" (dialog 194): opened from the mask dialog's "Указать их",
// which it hides while it is open. A left click in the view marks the selected
// region under it; the buttons undo the last step, take every mark off, or drop
// the marked or the unmarked regions from the selection. The pixel work is the
// Qt-free CRegionMarker.

#include <QDialog>

#include "project/region_marker.h"

namespace Ui {
class MarkDialogForm;
}

namespace linea {

class CMainFrame;
class CMaskRange;

class MarkDialog : public QDialog {
  Q_OBJECT
 public:
  // The mask dialog and the frame must outlive this window, which is a child of
  // the frame and destroys itself when it is left.
  MarkDialog(CMaskRange& owner, CMainFrame& frame);
  ~MarkDialog() override;

  CRegionMarker& Marker() { return marker_; }
  // A click at an image point.
  void MarkAt(int x, int y);
  // "Выход": marks left are taken off and the mask dialog comes back when `showOwner`.
  void Exit(bool showOwner = true);

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // After a step that leaves no marks: only "с предыдущей" stays available.
  void MarksCleared();
  void Step(int code);

  CMaskRange& owner_;
  Ui::MarkDialogForm* ui_;
  CRegionMarker marker_;
  bool exiting_ = false;
};

}  // namespace linea
