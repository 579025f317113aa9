#include "ui/mask_range.h"

#include <QCloseEvent>
#include <QPushButton>
#include <algorithm>
#include <limits>
#include <vector>

#include "base/messages.h"
#include "base/profile_text.h"
#include "project/workspace.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/main_frame.h"
#include "ui/mark_dialog.h"
#include "ui/tool_help.h"
#include "ui_mask_range.h"

namespace linea {

namespace {

// The edits are read as integers: a leading number, 0 when there is none.
int ReadInteger(const QString& text) {
  const long value = ParseLeadingLong(text.toStdString());
  return int(std::clamp<long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::vector<MaskVertex> ToMaskVertices(std::span<const ImageVertex> vertices) {
  std::vector<MaskVertex> converted;
  converted.reserve(vertices.size());
  for (const ImageVertex& v : vertices) converted.push_back({v.x, v.y});
  return converted;
}

}  // namespace

CMaskRange* CMaskRange::Find(const CMainFrame& frame) {
  for (CMaskRange* dialog : frame.findChildren<CMaskRange*>(Qt::FindDirectChildrenOnly))
    if (!dialog->exiting_) return dialog;
  return nullptr;
}

CMaskRange* CMaskRange::Open(CMainFrame& frame, CAppHost& host) {
  CMaskRange* dialog = Find(frame);
  if (!dialog) dialog = new CMaskRange(frame, host);
  dialog->show();
  dialog->raise();
  return dialog;
}

CMaskRange::CMaskRange(CMainFrame& frame, CAppHost& host)
    : QDialog(&frame, Qt::Tool),
      frame_(frame),
      host_(host),
      ui_(new Ui::CMaskRangeForm),
      model_(frame.Workspace().layerStack),
      tool_(*this) {
  ui_->setupUi(this);
  setObjectName(QStringLiteral("maskRange"));
  setModal(false);
  for (QPushButton* button :
       {ui_->markButton, ui_->outlinePolygonButton, ui_->addButton, ui_->removeButton, ui_->undoButton})
    button->setEnabled(false);
  connect(ui_->showButton, &QPushButton::clicked, this, &CMaskRange::OnShowSelection);
  connect(ui_->addButton, &QPushButton::clicked, this, [this] { OnMoveSelection(true); });
  connect(ui_->removeButton, &QPushButton::clicked, this, [this] { OnMoveSelection(false); });
  connect(ui_->undoButton, &QPushButton::clicked, this, &CMaskRange::OnUndo);
  connect(ui_->markButton, &QPushButton::clicked, this, &CMaskRange::OnMarkRegions);
  connect(ui_->maskPolygonButton, &QPushButton::clicked, this, [this] { OnPolygon(PolygonMode::kMask); });
  connect(ui_->notMaskPolygonButton, &QPushButton::clicked, this, [this] { OnPolygon(PolygonMode::kNotMask); });
  connect(ui_->erasePolygonButton, &QPushButton::clicked, this, [this] { OnPolygon(PolygonMode::kErase); });
  connect(ui_->outlinePolygonButton, &QPushButton::clicked, this, [this] { OnPolygon(PolygonMode::kOutline); });
  connect(ui_->exitButton, &QPushButton::clicked, this, &CMaskRange::Exit);

  // Without the source image the dialog opens all the same; its commands then
  // find nothing to work on. Only a buffer that cannot be had is told.
  const int opened = model_.Open();
  if (opened != 0 && opened != kMaskNothingToDo) Report(opened);
  frame_.ToolWindows().SetOpen(ToolWindow::kMaskRange, true);
  frame_.View().SetActiveTool(&tool_);
  emit frame_.stateChanged();
}

// The frame may be going when this runs: nothing of it is touched here.
CMaskRange::~CMaskRange() { delete ui_; }

void CMaskRange::RefreshView() { frame_.LayersBar().RefreshView(true); }

void CMaskRange::Report(int code) {
  if (code != 0 && code != kMaskNothingToDo) ShowErrorCode(host_, code);
}

void CMaskRange::MaskChanged() { host_.SetModified(true); }

void CMaskRange::OnShowSelection() {
  SelectionRange range;
  range.from = ReadInteger(ui_->fromEdit->text());
  range.to = ReadInteger(ui_->toEdit->text());
  range.outside = ui_->outsideBox->isChecked();
  range.grow = ui_->growBox->isChecked();
  const int code = model_.ShowSelection(range);
  Report(code);
  if (code != 0) return;
  for (QPushButton* button : {ui_->markButton, ui_->outlinePolygonButton, ui_->addButton, ui_->removeButton})
    button->setEnabled(true);
  RefreshView();
}

void CMaskRange::OnMoveSelection(bool add) {
  const int code = add ? model_.AddToMask() : model_.RemoveFromMask();
  Report(code);
  if (code != 0) return;
  MaskChanged();
  RefreshView();
  ui_->undoButton->setEnabled(true);
}

void CMaskRange::OnUndo() {
  if (model_.Undo() == 0) {
    MaskChanged();
    RefreshView();
  }
  ui_->undoButton->setEnabled(false);
}

void CMaskRange::OnMarkRegions() {
  if (mark_) return;
  mark_ = new MarkDialog(*this, frame_);
  model_.SetMarking(true);
  frame_.ToolWindows().SetOpen(ToolWindow::kMarkDialog, true);
  mark_->show();
  hide();
}

void CMaskRange::MarkingEnded(bool showAgain) {
  mark_ = nullptr;
  model_.SetMarking(false);
  frame_.ToolWindows().SetOpen(ToolWindow::kMarkDialog, false);
  if (showAgain) show();
}

void CMaskRange::OnPolygon(PolygonMode mode) {
  if (model_.BeginPolygon(mode) != 0) return;
  frame_.View().SetActiveTool(&tool_);
  frame_.View().BeginLineDrawing();
  hide();
  frame_.LineHelp().show();
}

void CMaskRange::AppendVertices(std::span<const ImageVertex> vertices) {
  if (!model_.IsDrawingPolygon()) return;
  const std::vector<MaskVertex> converted = ToMaskVertices(vertices);
  Report(model_.AppendVertices(converted));
}

void CMaskRange::PolygonEnded() {
  frame_.LineHelp().hide();
  show();
  RefreshView();
}

void CMaskRange::FinishPolygon(std::span<const ImageVertex> rest) {
  if (!model_.IsDrawingPolygon()) return;
  AppendVertices(rest);
  const bool outline = model_.Mode() == PolygonMode::kOutline;
  const int code = model_.FinishPolygon();
  Report(code);
  if (code == 0 && !outline) {
    MaskChanged();
    ui_->undoButton->setEnabled(true);
  }
  PolygonEnded();
}

void CMaskRange::CancelPolygon() {
  if (!model_.IsDrawingPolygon()) return;
  model_.CancelPolygon();
  PolygonEnded();
}

void CMaskRange::Exit() {
  if (exiting_) return;
  exiting_ = true;
  if (mark_) mark_->Exit(false);
  if (model_.IsDrawingPolygon()) {
    model_.CancelPolygon();
    frame_.LineHelp().hide();
    frame_.View().EndLineDrawing();
  }
  model_.Close();
  if (frame_.View().ActiveTool() == &tool_) frame_.View().SetActiveTool(nullptr);
  frame_.ToolWindows().SetOpen(ToolWindow::kMaskRange, false);
  hide();
  RefreshView();
  emit frame_.stateChanged();
  deleteLater();
}

void CMaskRange::reject() { Exit(); }

void CMaskRange::closeEvent(QCloseEvent* event) {
  event->accept();
  Exit();
}

bool CMaskRange::CTool::PickPoint(ImageVertex point) {
  MarkDialog* mark = dialog_.mark_;
  if (!dialog_.model_.IsMarking() || !mark) return false;
  mark->MarkAt(point.x, point.y);
  return true;
}

void CMaskRange::CTool::ReceiveVertices(std::span<const ImageVertex> vertices) { dialog_.AppendVertices(vertices); }
void CMaskRange::CTool::FinishPolyline(std::span<const ImageVertex> rest) { dialog_.FinishPolygon(rest); }
void CMaskRange::CTool::CancelPolyline() { dialog_.CancelPolygon(); }
void CMaskRange::CTool::CloseTool() { dialog_.Exit(); }
bool CMaskRange::CTool::HasPolylineInProgress() const { return dialog_.model_.IsDrawingPolygon(); }

}  // namespace linea
