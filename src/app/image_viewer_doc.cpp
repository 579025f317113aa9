#include "app/image_viewer_doc.h"

#include <QDir>

#include <fstream>

#include "base/messages.h"
#include "base/paths.h"
#include "base/string_table.h"
#include "ui/qt_app_host.h"

namespace linea {

namespace {
constexpr int kDocumentStrings = 128;
constexpr int kCannotOpenFile = 32834;
constexpr const char* kUntitled = "Без имени";
constexpr const char* kProjectExtension = ".orw";

// Field `index` of the document strings (fields separated by line feeds).
std::string DocumentString(int index) {
  const std::string all = LoadText(kDocumentStrings);
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = all.find('\n', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  return all.substr(start, all.find('\n', start) - start);
}

const char* TypeName(int imageType) {
  switch (imageType) {
    case 1: return "GREYSCALE";
    case 3: return "DTM";
    default: return "SCHEME";
  }
}
}  // namespace

std::string TitleSuffix(std::uint32_t width, std::uint32_t height, int imageType) {
  return FormatText(" - [%dx%d %s]", int(width), int(height), TypeName(imageType));
}

std::string FileTitle(const std::string& path) {
  const std::string name = FileNamePart(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

CLineaDocTemplate::Confidence CLineaDocTemplate::MatchDocType(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot != std::string::npos && EqualsNoCase(path.substr(dot), DocumentString(4))) return Confidence::Native;
  return Confidence::Foreign;
}

CImageViewerDoc::CImageViewerDoc(CQtAppHost& host) : host_(host), workspace_(host), title_(kUntitled) {}

void CImageViewerDoc::SetModifiedFlag(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  if (onTitleChanged) onTitleChanged();
}

void CImageViewerDoc::SetTitle(const std::string& title) {
  title_ = title;
  if (onTitleChanged) onTitleChanged();
}

std::string CImageViewerDoc::DocumentTitle() const {
  if (workspace_.baseImagePath.empty()) return title_;
  return title_ + TitleSuffix(workspace_.results.imageWidth, workspace_.results.imageHeight, workspace_.imageType);
}

void CImageViewerDoc::SetPathName(const std::string& path) {
  pathName_ = path;
  title_ = path.empty() ? std::string(kUntitled) : FileTitle(path);
  if (!path.empty() && onPathUsed) onPathUsed(path);
  if (onTitleChanged) onTitleChanged();
}

void CImageViewerDoc::NewDocument() {
  workspace_.ResetWorkspace();
  modified_ = false;
  SetPathName({});
}

bool CImageViewerDoc::OpenDocument(const std::string& path) {
  // A file that cannot be opened at all is the framework's to report; the
  // project loader does not run and the project stays as it was.
  if (!std::ifstream(path, std::ios::binary).is_open()) {
    ShowError(host_, LoadText(kCannotOpenFile), path);
    return false;
  }
  bool loaded;
  {
    CWaitCursor wait;
    loaded = workspace_.LoadProject(path, true);
  }
  if (!loaded) {
    // The loader has shown why; what is left is the reset project.
    modified_ = false;
    SetPathName({});
    return false;
  }
  SetPathName(path);
  QDir::setCurrent(QString::fromStdString(FolderPart(path)));
  modified_ = false;
  if (onTitleChanged) onTitleChanged();
  return true;
}

bool CImageViewerDoc::SaveDocument(const std::string& path) {
  int code;
  {
    CWaitCursor wait;
    code = workspace_.SaveProject(path);
  }
  if (code != 0) {
    ShowErrorCode(host_, code);
    return false;
  }
  modified_ = false;
  SetPathName(path);
  return true;
}

bool CImageViewerDoc::DoSave(bool saveAs) {
  std::string path = pathName_;
  if (saveAs || path.empty()) {
    FileDialogRequest request;
    request.filter = DocumentString(3) + "|*" + DocumentString(4) + "||";
    request.defaultExtension = DocumentString(4);
    request.initialFolder = QDir::currentPath().toStdString();
    request.proposedName = path.empty() ? title_ + kProjectExtension : path;
    auto chosen = host_.GetSaveFileName(request);
    if (!chosen) return false;
    path = chosen->path;
  }
  return SaveDocument(path);
}

bool CImageViewerDoc::SaveModified() {
  if (!modified_) return true;
  const std::string name = pathName_.empty() ? title_ : FileNamePart(pathName_);
  switch (host_.RunMessageBox(ApplicationCaption(), "Сохранить изменения в " + name + "?", MessageIcon::Warning,
                              MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes: return DoSave(false);
    case MessageAnswer::No: return true;
    default: return false;
  }
}

}  // namespace linea
