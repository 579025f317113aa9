#pragma once
// The single document: one workspace for the program's whole life, the path and
// title of the open project and its modified flag. Projects are read and written
// by the workspace; the document adds the steps around them — the save-changes
// question, the file dialogs of save, the wait cursor, the current directory.

#include <cstdint>
#include <functional>
#include <string>

#include "project/workspace.h"

namespace linea {

class CQtAppHost;

// The end of the title of a project with a base image: " - [%dx%d %s]" with
// "GREYSCALE" (type 1), "DTM" (type 3) or "SCHEME".
std::string TitleSuffix(std::uint32_t width, std::uint32_t height, int imageType);
// The file title: the name between the last separator and the last '.'.
std::string FileTitle(const std::string& path);

// Which files the single document template takes as its own. Every file is still
// opened as a project; a foreign one only ranks lower.
class CLineaDocTemplate {
 public:
  enum class Confidence { Foreign, Native };
  // Native when the extension (from the last '.') is ".orw" in any case.
  static Confidence MatchDocType(const std::string& path);
};

class CImageViewerDoc {
 public:
  // The host must outlive the document.
  explicit CImageViewerDoc(CQtAppHost& host);

  CWorkspace& Workspace() { return workspace_; }
  const CWorkspace& Workspace() const { return workspace_; }

  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified);
  const std::string& PathName() const { return pathName_; }
  // The framework's title (the file title, or "Без имени") and the one shown,
  // extended by TitleSuffix when the project has a base image.
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  std::string DocumentTitle() const;

  // The new-document step: an empty, reset project.
  void NewDocument();
  // Opens a project file; false (the messages shown) when it cannot be read.
  bool OpenDocument(const std::string& path);
  // Saves under `path`; false, with the message of its code shown, on failure.
  bool SaveDocument(const std::string& path);
  // Saves under the path, or under one asked for when there is none or `saveAs`.
  bool DoSave(bool saveAs);
  // Before the project is replaced: asks whether to save a modified project.
  // False when the user cancels (or the asked-for save fails).
  bool SaveModified();

  // Told when the title or the modified flag changes, and when a project was
  // opened or saved under a path (for the recent list).
  std::function<void()> onTitleChanged;
  std::function<void(const std::string&)> onPathUsed;

 private:
  void SetPathName(const std::string& path);

  CQtAppHost& host_;
  CWorkspace workspace_;
  std::string pathName_;
  std::string title_;
  bool modified_ = false;
};

}  // namespace linea
