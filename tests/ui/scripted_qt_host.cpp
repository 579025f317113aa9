#include "scripted_qt_host.h"

#include <QDialog>

namespace linea {

namespace {
template <typename T>
T Next(std::deque<T>& script, T fallback) {
  if (script.empty()) return fallback;
  T value = std::move(script.front());
  script.pop_front();
  return value;
}
}  // namespace

MessageAnswer CScriptedQtHost::RunMessageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                                             MessageButtons buttons) {
  messages.push_back({caption, text, icon, buttons != MessageButtons::Ok});
  return Next(messageAnswers, buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No);
}

std::optional<std::string> CScriptedQtHost::RunLayerNameDialog(const std::string& proposed) {
  return Next(layerNames, std::optional<std::string>());
}

ImageSizeAnswer CScriptedQtHost::RunImageSizeDialog(const ImageSizeAnswer& proposal) {
  return Next(imageSizes, proposal);
}

std::optional<std::uint32_t> CScriptedQtHost::ChooseColor(std::uint32_t) {
  return Next(colours, std::optional<std::uint32_t>());
}

std::optional<std::string> CScriptedQtHost::AskLineWidth(int) {
  return Next(lineWidths, std::optional<std::string>());
}

std::optional<ChosenFile> CScriptedQtHost::GetOpenFileName(const FileDialogRequest& request) {
  openRequests.push_back(request);
  return Next(openFiles, std::optional<ChosenFile>());
}

std::optional<ChosenFile> CScriptedQtHost::GetSaveFileName(const FileDialogRequest& request) {
  saveRequests.push_back(request);
  return Next(saveFiles, std::optional<ChosenFile>());
}

int CScriptedQtHost::ExecDialog(QDialog& dialog) {
  ++dialogsRun;
  dialog.setResult(QDialog::Rejected);
  if (dialogSteps.empty()) return QDialog::Rejected;
  auto step = std::move(dialogSteps.front());
  dialogSteps.pop_front();
  step(dialog);
  return dialog.result();
}

std::vector<std::string> CScriptedQtHost::MessageTexts() const {
  std::vector<std::string> texts;
  for (const ShownMessage& message : messages) texts.push_back(message.text);
  return texts;
}

}  // namespace linea
