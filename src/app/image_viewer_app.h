#pragma once
// The application: the remembered folders and the recent projects (in QSettings),
// the single document with its frame and view, the command table, and start-up
// and shut-down in their fixed order.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QSettings;

namespace linea {

class CCommandTable;
class CDropOpener;
class CStatusReadout;
class CImageViewerDoc;
class CImageViewerView;
class CMainFrame;
class CQtAppHost;
class CWorkspace;

// The names of the five remembered folders, as their settings keys.
inline constexpr const char* kRememberedFolders[] = {"SourcePath", "BlockPath", "MaskPath", "WorkspacePath",
                                                     "ImagePath"};
inline constexpr int kRecentProjectCount = 4;

class CImageViewerApp {
 public:
  // The host and the settings must outlive the application.
  CImageViewerApp(CQtAppHost& host, QSettings& settings);
  ~CImageViewerApp();
  CImageViewerApp(const CImageViewerApp&) = delete;
  CImageViewerApp& operator=(const CImageViewerApp&) = delete;

  // Start-up: folders and recent list read, frame and commands made, the project
  // of the command line opened (none gives an empty project), the window shown
  // maximised when `show`. A project that cannot be opened has shown its message
  // and leaves the empty project in a usable window.
  bool InitInstance(const std::optional<std::string>& projectPath, bool show = true);
  // Shut-down: the folders are written back.
  void ExitInstance();

  CQtAppHost& Host() { return host_; }
  CImageViewerDoc& Document() { return *document_; }
  CWorkspace& Workspace();
  CMainFrame& Frame() { return *frame_; }
  CImageViewerView& View();
  CCommandTable& Commands() { return *commands_; }
  CDropOpener& DropOpener() { return *dropOpener_; }
  CStatusReadout& StatusReadout() { return *statusReadout_; }

  // A remembered folder ("" when never set).
  std::string Folder(const std::string& key) const;
  void SetFolder(const std::string& key, const std::string& folder);
  const std::vector<std::string>& RecentProjects() const { return recent_; }
  void AddRecentProject(const std::string& path);

  // Opens a project as the document; the caller has asked the save-changes question.
  bool OpenDocumentFile(const std::string& path);
  // The window title from the document.
  void UpdateTitle();

 private:
  void ReadSettings();
  void WriteRecentList();

  CQtAppHost& host_;
  QSettings& settings_;
  std::map<std::string, std::string> folders_;
  std::vector<std::string> recent_;
  std::unique_ptr<CImageViewerDoc> document_;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<CCommandTable> commands_;
  // Owned by the frame's widgets (Qt parents), which outlive neither.
  CDropOpener* dropOpener_ = nullptr;
  CStatusReadout* statusReadout_ = nullptr;
};

}  // namespace linea
