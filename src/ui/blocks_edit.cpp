#include "ui/blocks_edit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPushButton>

#include <vector>

#include "base/messages.h"
#include "layers/vector_layer.h"
#include "project/workspace.h"
#include "ui/image_viewer_view.h"
#include "ui/main_frame.h"
#include "ui/tool_help.h"
#include "ui_blocks_edit.h"

namespace linea {

namespace {

BlockPoint ToBlockPoint(ImageVertex vertex) { return {vertex.x, vertex.y}; }

std::vector<BlockPoint> ToBlockPoints(std::span<const ImageVertex> vertices) {
  std::vector<BlockPoint> points;
  points.reserve(vertices.size());
  for (const ImageVertex& vertex : vertices) points.push_back(ToBlockPoint(vertex));
  return points;
}

}  // namespace

CBlocksEdit::CBlocksEdit(CMainFrame& frame)
    : QDialog(&frame, Qt::Tool), frame_(frame), ui_(new Ui::CBlocksEditForm), editing_(frame.Workspace().layerStack) {
  ui_->setupUi(this);
  setObjectName(QStringLiteral("blocksEdit"));
  setModal(false);
  connect(ui_->bordersButton, &QPushButton::clicked, this, &CBlocksEdit::StartBorders);
  connect(ui_->undoButton, &QPushButton::clicked, this, &CBlocksEdit::UndoChanges);
  connect(ui_->stopButton, &QPushButton::clicked, this, &CBlocksEdit::Stop);
  connect(ui_->findButton, &QPushButton::clicked, this, &CBlocksEdit::FindBlocks);
  connect(ui_->checkButton, &QPushButton::clicked, this, &CBlocksEdit::CheckBorders);
  connect(ui_->mergeButton, &QPushButton::clicked, this, &CBlocksEdit::StartMerge);
  connect(ui_->excludeButton, &QPushButton::clicked, this, &CBlocksEdit::StartExclude);
  connect(ui_->autoCheck, &QCheckBox::toggled, this, [this](bool on) {
    // With AUTO the two run by themselves after drawing; without it they wait for
    // the next drawing to be enabled.
    if (on) {
      ui_->findButton->setEnabled(false);
      ui_->checkButton->setEnabled(false);
    }
  });
}

// Never touches the frame: an editor still open when the program ends is destroyed
// with the frame's children, after the frame's own members and maybe the view.
CBlocksEdit::~CBlocksEdit() { delete ui_; }

void CBlocksEdit::Open() {
  open_ = true;
  frame_.ToolWindows().SetOpen(ToolWindow::kBlocksEdit, true);
  editing_.TakeUndoCopy();  // without a blocks layer there is nothing to copy, and nothing to edit
  ui_->autoCheck->setChecked(true);
  ui_->findButton->setEnabled(false);
  ui_->checkButton->setEnabled(false);
  frame_.View().SetActiveTool(this);
  move(frame_.geometry().topLeft());
  ShowEditor();
}

void CBlocksEdit::ShowEditor() {
  show();
  raise();
}

void CBlocksEdit::Stop() {
  if (!open_) return;
  open_ = false;
  editing_.DropUndoCopy();
  editing_.EndBorder();
  drawing_ = merging_ = excluding_ = false;
  firstPick_.reset();
  CImageViewerView& view = frame_.View();
  if (view.IsLineDrawing()) view.EndLineDrawing();
  if (view.ActiveTool() == this) view.SetActiveTool(nullptr);
  frame_.LineHelp().hide();
  frame_.MergeHelp().hide();
  frame_.ExcludeHelp().hide();
  frame_.ToolWindows().SetOpen(ToolWindow::kBlocksEdit, false);
  hide();
  view.Refresh();
  emit closed();
  deleteLater();
}

void CBlocksEdit::closeEvent(QCloseEvent* event) {
  Stop();
  event->accept();
}

void CBlocksEdit::reject() { Stop(); }

bool CBlocksEdit::Report(int result) {
  if (result == kBlocksDone) return true;
  if (const int message = BlocksMessageId(result)) ShowError(frame_.Workspace().Host(), message);
  return false;
}

void CBlocksEdit::Changed() {
  frame_.Workspace().Host().SetModified(true);
  frame_.View().Refresh();
}

void CBlocksEdit::StartBorders() {
  if (drawing_ || merging_ || excluding_) return;
  if (!Report(editing_.BeginBorder())) return;
  drawing_ = true;
  CImageViewerView& view = frame_.View();
  view.SetActiveTool(this);
  view.BeginLineDrawing();
  hide();
  frame_.LineHelp().show();
  view.setFocus();
}

void CBlocksEdit::ReceiveVertices(std::span<const ImageVertex> vertices) {
  if (!drawing_) return;
  editing_.AddBorderVertices(ToBlockPoints(vertices));
  Changed();
}

void CBlocksEdit::FinishPolyline(std::span<const ImageVertex> rest) {
  if (!drawing_) return;
  editing_.AddBorderVertices(ToBlockPoints(rest));
  EndDrawing();
}

void CBlocksEdit::CancelPolyline() {
  // The vertices not yet handed over are dropped; what was written stays.
  if (drawing_) EndDrawing();
}

void CBlocksEdit::EndDrawing() {
  drawing_ = false;
  editing_.EndBorder();
  frame_.MergeHelp().hide();
  frame_.ExcludeHelp().hide();
  ui_->stopButton->setEnabled(true);
  ui_->bordersButton->setEnabled(true);
  if (ui_->autoCheck->isChecked()) {
    Report(editing_.FindBlocks());
    editing_.CheckBorders();
    ui_->findButton->setEnabled(false);
    ui_->checkButton->setEnabled(false);
  } else {
    ui_->findButton->setEnabled(true);
    ui_->checkButton->setEnabled(true);
  }
  Changed();
  frame_.LineHelp().hide();
  ShowEditor();
}

void CBlocksEdit::UndoChanges() {
  if (Report(editing_.Undo())) Changed();
}

void CBlocksEdit::FindBlocks() {
  const int result = editing_.FindBlocks();
  Report(result);
  if (result == kBlocksDone) Changed();
  ui_->findButton->setEnabled(false);
}

void CBlocksEdit::CheckBorders() {
  if (editing_.CheckBorders() == kBlocksDone) Changed();
  ui_->checkButton->setEnabled(false);
}

void CBlocksEdit::StartMerge() {
  // Without a blocks layer there is nothing to pick.
  if (drawing_ || merging_ || excluding_ || editing_.Layer() == nullptr) return;
  editing_.TakeUndoCopy();
  merging_ = true;
  firstPick_.reset();
  frame_.View().SetActiveTool(this);
  frame_.MergeHelp().show();
  hide();
  frame_.View().setFocus();
}

void CBlocksEdit::StartExclude() {
  if (drawing_ || merging_ || excluding_ || editing_.Layer() == nullptr) return;
  excluding_ = true;
  frame_.View().SetActiveTool(this);
  hide();
  frame_.ExcludeHelp().show();
  frame_.View().setFocus();
}

bool CBlocksEdit::PickPoint(ImageVertex vertex) {
  const BlockPoint point = ToBlockPoint(vertex);
  if (merging_) {
    if (!firstPick_) {
      firstPick_ = point;
      return true;
    }
    const BlockPoint first = *firstPick_;
    firstPick_.reset();
    // A refused pair changes nothing and says why; the tool stays for another try.
    if (!Report(editing_.Merge(first, point))) return true;
    ui_->checkButton->setEnabled(false);
    Changed();
    EndPicking();
    return true;
  }
  if (excluding_) {
    // A click on a border or outside the image does nothing; the tool stays.
    if (editing_.Exclude(point) != kBlocksDone) return true;
    Changed();
    EndPicking();
    return true;
  }
  return false;
}

bool CBlocksEdit::DropPick() {
  if (!merging_ || !firstPick_) return false;
  firstPick_.reset();
  return true;
}

void CBlocksEdit::EndPicking() {
  merging_ = excluding_ = false;
  firstPick_.reset();
  frame_.MergeHelp().hide();
  frame_.ExcludeHelp().hide();
  ShowEditor();
}

void CBlocksEdit::CloseTool() { Stop(); }

void CBlocksEdit::CancelTool() {
  if (drawing_) {
    EndDrawing();
  } else if (merging_ || excluding_) {
    EndPicking();
  } else {
    Stop();
  }
}

}  // namespace linea
