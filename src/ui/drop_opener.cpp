#include "ui/drop_opener.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputDialog>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <cctype>

#include "base/paths.h"
#include "base/string_table.h"

namespace linea {

namespace {
constexpr int kProgramName = 32807;
constexpr int kOpenAsText = 2103;
// The rasters the open commands read.
constexpr const char* kImageExtensions[] = {"tif", "tiff", "raw", "jpg", "jif", "jpeg", "bmp",
                                            "gif", "pcx", "tga", "png", "grd"};

std::string LowerExtension(const std::string& path) {
  const std::string name = FileNamePart(path);
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string extension = name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return extension;
}

QString MenuText(int id) {
  const std::string text = LoadText(id);
  return QString::fromStdString(text.substr(0, text.find('\t')));
}
}  // namespace

DroppedFileKind ClassifyDroppedFile(const std::string& path) {
  const std::string extension = LowerExtension(path);
  if (extension == "orw") return DroppedFileKind::Project;
  for (const char* image : kImageExtensions)
    if (extension == image) return DroppedFileKind::Image;
  return DroppedFileKind::None;
}

std::optional<std::string> DroppedFile(const QMimeData& data) {
  if (!data.hasUrls()) return std::nullopt;
  for (const QUrl& url : data.urls())
    if (url.isLocalFile()) return url.toLocalFile().toStdString();
  return std::nullopt;
}

std::optional<int> AskImageOpenCommand(QWidget* parent, const std::string& path) {
  QStringList kinds;
  for (int id : kImageOpenCommands) kinds << MenuText(id);
  bool chosen = false;
  const QString kind = QInputDialog::getItem(
      parent, QString::fromStdString(LoadText(kProgramName)),
      QString::fromStdString(FormatText(LoadText(kOpenAsText).c_str(), FileNamePart(path).c_str())), kinds, 0, false,
      &chosen);
  if (!chosen) return std::nullopt;
  const auto index = kinds.indexOf(kind);
  if (index < 0) return std::nullopt;
  return kImageOpenCommands[index];
}

CDropOpener::CDropOpener(QWidget& window) : QObject(&window), window_(window) {
  chooseImageCommand = [this](const std::string& path) { return AskImageOpenCommand(&window_, path); };
  window_.setAcceptDrops(true);
  window_.installEventFilter(this);
}

bool CDropOpener::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      const auto file = drag->mimeData() ? DroppedFile(*drag->mimeData()) : std::nullopt;
      if (file && ClassifyDroppedFile(*file) != DroppedFileKind::None)
        drag->acceptProposedAction();
      else
        drag->ignore();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const auto file = drop->mimeData() ? DroppedFile(*drop->mimeData()) : std::nullopt;
      if (!file || ClassifyDroppedFile(*file) == DroppedFileKind::None) {
        drop->ignore();
        return true;
      }
      drop->acceptProposedAction();
      // Opened once the drop has ended: the questions and dialogs of opening must
      // not keep the application the file came from waiting.
      QMetaObject::invokeMethod(this, [this, path = *file] { Open(path); }, Qt::QueuedConnection);
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

void CDropOpener::Open(const std::string& path) {
  if (!openWith) return;
  if (ClassifyDroppedFile(path) == DroppedFileKind::Project) {
    openWith(kProjectOpenCommand, path);
    return;
  }
  const std::optional<int> command = chooseImageCommand ? chooseImageCommand(path) : std::nullopt;
  if (command) openWith(*command, path);
}

}  // namespace linea
