#pragma once
// The real Qt host with every modal step answered from a script, so that the GUI
// tests drive the real window without blocking on a dialog. Messages are recorded
// with their captions, texts and icons.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/test_host.h"
#include "ui/qt_app_host.h"

namespace linea {

class CScriptedQtHost : public CQtAppHost {
 public:
  // Consumed in order; when empty, messages answer OK / No, dialogs cancel.
  std::deque<MessageAnswer> messageAnswers;
  std::deque<std::optional<std::string>> layerNames;
  std::deque<ImageSizeAnswer> imageSizes;
  std::deque<std::optional<std::uint32_t>> colours;
  std::deque<std::optional<std::string>> lineWidths;
  std::deque<std::optional<ChosenFile>> openFiles;
  std::deque<std::optional<ChosenFile>> saveFiles;

  std::vector<ShownMessage> messages;
  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;
  int aboutDialogs = 0;
  // What the user does in the next of the program's own dialogs (fills boxes,
  // presses OK or Cancel); with none left a dialog is cancelled.
  std::deque<std::function<void(QDialog&)>> dialogSteps;
  int dialogsRun = 0;

  MessageAnswer RunMessageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                              MessageButtons buttons) override;
  std::optional<std::string> RunLayerNameDialog(const std::string& proposed) override;
  ImageSizeAnswer RunImageSizeDialog(const ImageSizeAnswer& proposal) override;
  std::optional<std::uint32_t> ChooseColor(std::uint32_t initial) override;
  std::optional<std::string> AskLineWidth(int width) override;
  std::optional<ChosenFile> GetOpenFileName(const FileDialogRequest& request) override;
  std::optional<ChosenFile> GetSaveFileName(const FileDialogRequest& request) override;
  void RunAboutDialog() override { ++aboutDialogs; }
  int ExecDialog(QDialog& dialog) override;

  void OpenFile(const std::string& path) { openFiles.push_back(ChosenFile{path, 0}); }
  // The texts of the messages shown so far, in order.
  std::vector<std::string> MessageTexts() const;
};

}  // namespace linea
