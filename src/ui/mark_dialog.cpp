#include "ui/mark_dialog.h"

#include <QCloseEvent>
#include <QPushButton>

#include "project/workspace.h"
#include "ui/main_frame.h"
#include "ui/mask_range.h"
#include "ui_mark_dialog.h"

namespace linea {

MarkDialog::MarkDialog(CMaskRange& owner, CMainFrame& frame)
    : QDialog(&frame, Qt::Tool), owner_(owner), ui_(new Ui::MarkDialogForm), marker_(frame.Workspace().layerStack) {
  ui_->setupUi(this);
  setObjectName(QStringLiteral("markDialog"));
  setModal(false);
  for (QPushButton* button :
       {ui_->undoMarkButton, ui_->unmarkAllButton, ui_->deleteMarkedButton, ui_->deleteUnmarkedButton})
    button->setEnabled(false);
  connect(ui_->undoMarkButton, &QPushButton::clicked, this, [this] {
    Step(marker_.UndoLastStep());
    if (marker_.HasMarks())
      for (QPushButton* button : {ui_->unmarkAllButton, ui_->deleteMarkedButton, ui_->deleteUnmarkedButton})
        button->setEnabled(true);
  });
  connect(ui_->unmarkAllButton, &QPushButton::clicked, this, [this] {
    Step(marker_.UnmarkAll());
    MarksCleared();
  });
  connect(ui_->deleteMarkedButton, &QPushButton::clicked, this, [this] {
    Step(marker_.DeleteMarked());
    MarksCleared();
  });
  connect(ui_->deleteUnmarkedButton, &QPushButton::clicked, this, [this] {
    Step(marker_.DeleteUnmarked());
    MarksCleared();
  });
  connect(ui_->exitButton, &QPushButton::clicked, this, [this] { Exit(); });
}

MarkDialog::~MarkDialog() { delete ui_; }

void MarkDialog::Step(int code) {
  owner_.Report(code);
  owner_.RefreshView();
}

void MarkDialog::MarksCleared() {
  for (QPushButton* button : {ui_->unmarkAllButton, ui_->deleteMarkedButton, ui_->deleteUnmarkedButton})
    button->setEnabled(false);
}

void MarkDialog::MarkAt(int x, int y) {
  const int code = marker_.MarkAt(x, y);
  owner_.Report(code);
  if (code != 0) return;
  for (QPushButton* button :
       {ui_->undoMarkButton, ui_->unmarkAllButton, ui_->deleteMarkedButton, ui_->deleteUnmarkedButton})
    button->setEnabled(true);
  owner_.RefreshView();
}

void MarkDialog::Exit(bool showOwner) {
  if (exiting_) return;
  exiting_ = true;
  marker_.Exit();
  hide();
  owner_.MarkingEnded(showOwner);
  owner_.RefreshView();
  deleteLater();
}

void MarkDialog::reject() { Exit(); }

void MarkDialog::closeEvent(QCloseEvent* event) {
  event->accept();
  Exit();
}

}  // namespace linea
