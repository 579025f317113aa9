#include "app/image_viewer_app.h"

#include <QDockWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QSettings>

#include <algorithm>

#include "app/commands.h"
#include "app/image_viewer_doc.h"
#include "app/window_layout.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "layers/cursor_layer.h"
#include "project/workspace.h"
#include "ui/image_viewer_view.h"
#include "ui/layers_bar.h"
#include "ui/drop_opener.h"
#include "ui/main_frame.h"
#include "ui/qt_app_host.h"
#include "ui/status_readout.h"
#include "ui/wheel_zoom.h"
#include "ui/zoom_toolbar.h"

namespace linea {

namespace {
constexpr const char* kRecentGroup = "Recent File List";
}

CImageViewerApp::CImageViewerApp(CQtAppHost& host, QSettings& settings) : host_(host), settings_(settings) {}

CImageViewerApp::~CImageViewerApp() {
  // The frame goes first: its widgets hold on to the workspace of the document
  // and call into the command table while they close.
  host_.AttachFrame(nullptr);
  frame_.reset();
  commands_.reset();
  host_.onNewDocument = nullptr;
  host_.onModified = nullptr;
  host_.onRememberFolder = nullptr;
  host_.onCommand = nullptr;
}

CWorkspace& CImageViewerApp::Workspace() { return document_->Workspace(); }
CImageViewerView& CImageViewerApp::View() { return frame_->View(); }

void CImageViewerApp::ReadSettings() {
  for (const char* key : kRememberedFolders)
    folders_[key] = settings_.value(QString::fromLatin1(key), QString()).toString().toStdString();
  recent_.clear();
  settings_.beginGroup(QString::fromLatin1(kRecentGroup));
  for (int i = 1; i <= kRecentProjectCount; ++i) {
    const QString path = settings_.value(QStringLiteral("File%1").arg(i)).toString();
    if (!path.isEmpty()) recent_.push_back(path.toStdString());
  }
  settings_.endGroup();
}

void CImageViewerApp::WriteRecentList() {
  settings_.beginGroup(QString::fromLatin1(kRecentGroup));
  settings_.remove(QString());
  for (std::size_t i = 0; i < recent_.size(); ++i)
    settings_.setValue(QStringLiteral("File%1").arg(i + 1), QString::fromStdString(recent_[i]));
  settings_.endGroup();
}

std::string CImageViewerApp::Folder(const std::string& key) const {
  auto found = folders_.find(key);
  return found == folders_.end() ? std::string() : found->second;
}

void CImageViewerApp::SetFolder(const std::string& key, const std::string& folder) { folders_[key] = folder; }

void CImageViewerApp::AddRecentProject(const std::string& path) {
  recent_.erase(std::remove(recent_.begin(), recent_.end(), path), recent_.end());
  recent_.insert(recent_.begin(), path);
  if (recent_.size() > std::size_t(kRecentProjectCount)) recent_.resize(kRecentProjectCount);
  WriteRecentList();
  if (commands_) commands_->UpdateCommandStates();
}

void CImageViewerApp::UpdateTitle() {
  if (!frame_) return;
  // "[*]" is where the window shows its modified mark.
  frame_->setWindowTitle(QString::fromStdString(document_->DocumentTitle() + "[*] - " + LoadText(32807)));
  frame_->setWindowModified(document_->IsModified());
}

bool CImageViewerApp::InitInstance(const std::optional<std::string>& projectPath, bool show) {
  ReadSettings();
  host_.onRememberFolder = [this](const std::string& key, const std::string& folder) { SetFolder(key, folder); };
  document_ = std::make_unique<CImageViewerDoc>(host_);
  document_->onTitleChanged = [this] { UpdateTitle(); };
  document_->onPathUsed = [this](const std::string& path) { AddRecentProject(path); };
  host_.onModified = [this](bool modified) { document_->SetModifiedFlag(modified); };
  host_.onNewDocument = [this] {
    if (!document_->SaveModified()) return false;
    document_->NewDocument();
    if (frame_) frame_->View().OnDocumentUpdate();
    return true;
  };

  frame_ = std::make_unique<CMainFrame>(document_->Workspace(), host_);
  host_.AttachFrame(frame_.get());
  commands_ = std::make_unique<CCommandTable>(*this);
  commands_->Install(*frame_);
  host_.onCommand = [this](int id) { commands_->Run(id); };
  frame_->canClose = [this] { return document_->SaveModified(); };
  statusReadout_ = new CStatusReadout(document_->Workspace(), frame_->View(), *frame_->statusBar());
  new CWheelZoom(frame_->View());
  dropOpener_ = new CDropOpener(*frame_);
  dropOpener_->openWith = [this](int commandId, const std::string& path) {
    // The command runs as chosen from the menu, its file dialog answered by the drop.
    host_.PresetOpenFile(path);
    commands_->Run(commandId);
    host_.ClearPresetOpenFile();
  };
  frame_->onFirstShown = [this] { frame_->ZoomToolBar().ShowZoom(document_->Workspace().layerStack.GetZoom()); };

  document_->NewDocument();
  if (projectPath && !projectPath->empty()) OpenDocumentFile(*projectPath);
  frame_->LayersBar().Refill();
  frame_->ZoomToolBar().ShowZoom(document_->Workspace().layerStack.GetZoom());
  UpdateTitle();
  commands_->UpdateCommandStates();
  const bool restored = RestoreWindowLayout(settings_, *frame_);
  if (restored) {
    // The mode decides between the calculation and combination panels, and the
    // cursor panel is shown exactly while the overlay is.
    document_->Workspace().UpdateCalcPanel();
    frame_->CursorDock().setVisible(frame_->CursorOverlay().IsVisible());
    commands_->UpdateCommandStates();
  }
  if (show) {
    if (restored) {
      frame_->show();
    } else {
      if (QScreen* screen = QGuiApplication::primaryScreen()) frame_->setGeometry(screen->availableGeometry());
      frame_->showMaximized();
    }
  }
  return true;
}

void CImageViewerApp::ExitInstance() {
  if (frame_) SaveWindowLayout(settings_, *frame_);
  for (const char* key : kRememberedFolders)
    settings_.setValue(QString::fromLatin1(key), QString::fromStdString(Folder(key)));
  WriteRecentList();
  settings_.sync();
}

bool CImageViewerApp::OpenDocumentFile(const std::string& path) {
  const bool opened = document_->OpenDocument(path);
  frame_->View().OnDocumentUpdate();
  frame_->LayersBar().Refill();
  frame_->ZoomToolBar().ShowZoom(document_->Workspace().layerStack.GetZoom());
  UpdateTitle();
  commands_->UpdateCommandStates();
  return opened;
}

}  // namespace linea
