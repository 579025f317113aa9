#pragma once
// The host of the desktop program: messages and questions as Qt message boxes,
// the layer-name, image-size and width dialogs, the progress window, and the
// notifications of the lower layers passed on to the main frame and the
// application. Every modal step goes through one virtual function, so that a
// test host can answer it from a script instead of blocking on a dialog.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/app_host.h"

class QDialog;
class QWidget;

namespace linea {

class CMainFrame;
class CProgressWindow;

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// A file dialog as the commands describe it. `filter` is in the "Name|*.a;*.b|...||"
// form of the program's filter texts; `defaultExtension` is like "*.tif" or ".orw".
struct FileDialogRequest {
  std::string filter;
  std::string defaultExtension;
  std::string initialFolder;
  std::string proposedName;
};
// The file chosen and the entry of the filter list in force (counted from 0).
struct ChosenFile {
  std::string path;
  int filterIndex = 0;
};

class CQtAppHost : public CAppHost {
 public:
  CQtAppHost();
  ~CQtAppHost() override;
  CQtAppHost(const CQtAppHost&) = delete;
  CQtAppHost& operator=(const CQtAppHost&) = delete;

  // The frame that receives the notifications; none while it does not exist.
  void AttachFrame(CMainFrame* frame) { frame_ = frame; }
  CMainFrame* Frame() const { return frame_; }

  // What the application does for the notifications that are its business.
  std::function<bool()> onNewDocument;
  std::function<void(bool)> onModified;
  std::function<void(const std::string&, const std::string&)> onRememberFolder;
  std::function<void(int)> onCommand;

  // CAppHost
  bool HasMainFrame() const override { return frame_ != nullptr; }
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) override;
  std::optional<std::string> AskLayerName(const std::string& proposed) override;
  ImageSizeAnswer AskImageSize(const ImageSizeAnswer& proposal) override;
  void BeginProgress(const std::string& title, int range) override;
  void SetProgressTitle(const std::string& title) override;
  bool SetProgress(int position) override;
  void EndProgress() override;
  void RefreshLayersBar() override;
  void RefreshCursorReadout() override;
  void UpdateCalcPanel(const CalcPanelState& state) override;
  void ShowZoom(double zoom) override;
  void RefreshRosePanel() override;
  void RefreshCombinationList() override;
  bool RunNewDocument() override;
  void SetModified(bool modified) override;
  void RememberFolder(const std::string& key, const std::string& folder) override;
  void ShowPalettePanel(const PalettePanelContents& contents) override;
  void HidePalettePanel() override;
  void RunCommand(int commandId) override;
  void PostDisplayFailure() override;

  // The modal steps. The defaults run the real dialogs over the frame.
  virtual MessageAnswer RunMessageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                                      MessageButtons buttons);
  virtual std::optional<std::string> RunLayerNameDialog(const std::string& proposed);
  virtual ImageSizeAnswer RunImageSizeDialog(const ImageSizeAnswer& proposal);
  // The colour dialog; colours are 0x00BBGGRR.
  virtual std::optional<std::uint32_t> ChooseColor(std::uint32_t initial);
  // Dialog 175 "Изменение ширины" over the width as "%d"; the typed text back.
  virtual std::optional<std::string> AskLineWidth(int width);
  virtual std::optional<ChosenFile> GetOpenFileName(const FileDialogRequest& request);
  virtual std::optional<ChosenFile> GetSaveFileName(const FileDialogRequest& request);
  virtual void RunAboutDialog();
  // Runs one of the program's own modal dialogs (calculation parameters,
  // compression factor, save settings) and gives QDialog's result code.
  virtual int ExecDialog(QDialog& dialog);

  // A file already chosen (dropped on the window): the next open command takes it
  // instead of showing its file dialog. Cleared after that command has run.
  void PresetOpenFile(const std::string& path) { presetOpenFile_ = ChosenFile{path, 0}; }
  std::optional<ChosenFile> TakePresetOpenFile() { return std::exchange(presetOpenFile_, std::nullopt); }
  void ClearPresetOpenFile() { presetOpenFile_.reset(); }

  // The progress window while long work runs (null otherwise).
  CProgressWindow* ProgressWindow() const { return progress_.get(); }

 protected:
  QWidget* DialogParent() const;

 private:
  CMainFrame* frame_ = nullptr;
  std::unique_ptr<CProgressWindow> progress_;
  int progressRange_ = 0;
  std::optional<ChosenFile> presetOpenFile_;
};

// Shows the wait cursor for its lifetime.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace linea
