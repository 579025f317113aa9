#include "ui/qt_app_host.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>

#include "project/workspace.h"
#include "ui/file_filters.h"
#include "ui/layers_bar.h"
#include "ui/main_frame.h"
#include "ui/palette_show.h"
#include "ui/progress_window.h"
#include "ui/small_dialogs.h"
#include "ui/zoom_toolbar.h"

namespace linea {

namespace {
constexpr int kDisplayFailureCommand = 32799;

QMessageBox::Icon QtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Error: return QMessageBox::Critical;
    default: return QMessageBox::NoIcon;
  }
}

QString Folder(const std::string& folder) { return QString::fromStdString(folder); }
}  // namespace

CQtAppHost::CQtAppHost() = default;
CQtAppHost::~CQtAppHost() = default;

QWidget* CQtAppHost::DialogParent() const { return frame_; }

void CQtAppHost::ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) {
  RunMessageBox(caption, text, icon, MessageButtons::Ok);
}

bool CQtAppHost::AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) {
  return RunMessageBox(caption, text, icon, MessageButtons::YesNo) == MessageAnswer::Yes;
}

std::optional<std::string> CQtAppHost::AskLayerName(const std::string& proposed) {
  return RunLayerNameDialog(proposed);
}

ImageSizeAnswer CQtAppHost::AskImageSize(const ImageSizeAnswer& proposal) { return RunImageSizeDialog(proposal); }

MessageAnswer CQtAppHost::RunMessageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                                        MessageButtons buttons) {
  QMessageBox box(QtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::NoButton,
                  DialogParent());
  switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
  }
}

std::optional<std::string> CQtAppHost::RunLayerNameDialog(const std::string& proposed) {
  CLayerNameDialog dialog(DialogParent(), proposed);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Name();
}

ImageSizeAnswer CQtAppHost::RunImageSizeDialog(const ImageSizeAnswer& proposal) {
  CImageSizeDialog dialog(DialogParent(), proposal);
  dialog.exec();  // Cancel or Esc opens nothing; OK takes the edits
  return dialog.Answer();
}

std::optional<std::uint32_t> CQtAppHost::ChooseColor(std::uint32_t initial) {
  const QColor start(int(initial & 0xFF), int((initial >> 8) & 0xFF), int((initial >> 16) & 0xFF));
  const QColor chosen = QColorDialog::getColor(start, DialogParent());
  if (!chosen.isValid()) return std::nullopt;
  return std::uint32_t(chosen.red()) | (std::uint32_t(chosen.green()) << 8) | (std::uint32_t(chosen.blue()) << 16);
}

std::optional<std::string> CQtAppHost::AskLineWidth(int width) {
  CVWidthDlg dialog(DialogParent(), width);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Text();
}

namespace {
std::optional<ChosenFile> RunFileDialog(QWidget* parent, const FileDialogRequest& request, bool save) {
  QFileDialog dialog(parent, QString(), Folder(request.initialFolder), QString::fromStdString(QtFilterOf(request.filter)));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QString::fromStdString(SuffixOfExtension(request.defaultExtension)));
  if (!request.proposedName.empty()) dialog.selectFile(QString::fromStdString(request.proposedName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  ChosenFile chosen;
  chosen.path = dialog.selectedFiles().front().toStdString();
  chosen.filterIndex = std::max(0, int(dialog.nameFilters().indexOf(dialog.selectedNameFilter())));
  return chosen;
}
}  // namespace

std::optional<ChosenFile> CQtAppHost::GetOpenFileName(const FileDialogRequest& request) {
  return RunFileDialog(DialogParent(), request, false);
}

std::optional<ChosenFile> CQtAppHost::GetSaveFileName(const FileDialogRequest& request) {
  return RunFileDialog(DialogParent(), request, true);
}

void CQtAppHost::RunAboutDialog() {
  CAboutDlg dialog(DialogParent());
  dialog.exec();
}

int CQtAppHost::ExecDialog(QDialog& dialog) { return dialog.exec(); }

void CQtAppHost::RefreshCursorReadout() {
  if (frame_) frame_->RefreshCursorReadout();
}

void CQtAppHost::RefreshRosePanel() {
  if (frame_) frame_->RefreshRosePanel();
}

void CQtAppHost::BeginProgress(const std::string& title, int range) {
  progressRange_ = range;
  progress_ = std::make_unique<CProgressWindow>(DialogParent(), title, true);
  progress_->show();
  QCoreApplication::processEvents();
}

void CQtAppHost::SetProgressTitle(const std::string& title) {
  if (progress_) progress_->SetTitle(title);
}

bool CQtAppHost::SetProgress(int position) {
  if (!progress_) return true;
  const double fraction = progressRange_ > 0 ? double(position) / progressRange_ : (position < 0 ? -1.0 : 0.0);
  progress_->Set(fraction);
  // The work keeps this thread: let the window repaint and take a Cancel click.
  QCoreApplication::processEvents();
  return !progress_->Cancelled();
}

void CQtAppHost::EndProgress() {
  if (!progress_) return;
  progress_->hide();
  progress_.reset();
}

void CQtAppHost::RefreshLayersBar() {
  if (!frame_) return;
  frame_->LayersBar().Refill();
  emit frame_->stateChanged();
}

void CQtAppHost::UpdateCalcPanel(const CalcPanelState& state) {
  if (frame_) frame_->UpdateCalcPanel(state);
}

void CQtAppHost::ShowZoom(double zoom) {
  if (frame_) frame_->ZoomToolBar().ShowZoom(zoom);
}

void CQtAppHost::RefreshCombinationList() {
  if (frame_) frame_->RefreshCombinationList();
}

bool CQtAppHost::RunNewDocument() { return onNewDocument ? onNewDocument() : true; }

void CQtAppHost::SetModified(bool modified) {
  if (onModified) onModified(modified);
}

void CQtAppHost::RememberFolder(const std::string& key, const std::string& folder) {
  if (onRememberFolder) onRememberFolder(key, folder);
}

void CQtAppHost::ShowPalettePanel(const PalettePanelContents& contents) {
  if (!frame_) return;
  CPalleteShow& panel = frame_->PaletteShow();
  panel.SetContents(contents);
  if (panel.isHidden()) panel.show();
  emit frame_->stateChanged();
}

void CQtAppHost::HidePalettePanel() {
  if (!frame_) return;
  frame_->PaletteShow().hide();
  emit frame_->stateChanged();
}

void CQtAppHost::RunCommand(int commandId) {
  if (onCommand) onCommand(commandId);
}

void CQtAppHost::PostDisplayFailure() {
  if (!frame_) return;
  // Posted: the failure is reported after the paint that found it has ended.
  QMetaObject::invokeMethod(frame_, [this] { RunCommand(kDisplayFailureCommand); }, Qt::QueuedConnection);
}

CWaitCursor::CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
CWaitCursor::~CWaitCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace linea
