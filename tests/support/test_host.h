#pragma once
// A host that answers from a script and records everything it was asked to show,
// so tests can assert on the exact texts a user would see.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/app_host.h"

namespace linea {

struct ShownMessage {
  std::string caption;
  std::string text;
  MessageIcon icon = MessageIcon::None;
  bool question = false;
};

class CTestHost : public CAppHost {
 public:
  bool hasMainFrame = true;
  // Scripted answers, consumed in order; an empty script answers No / cancel.
  std::deque<bool> yesNoAnswers;
  std::deque<std::optional<std::string>> layerNameAnswers;
  std::deque<ImageSizeAnswer> imageSizeAnswers;
  // Progress positions at which SetProgress reports a cancel.
  std::optional<int> cancelAtProgress;

  std::vector<ShownMessage> messages;
  std::vector<ImageSizeAnswer> imageSizeProposals;
  std::vector<std::string> progressTitles;
  std::vector<int> progressPositions;
  std::vector<PalettePanelContents> palettePanels;
  std::vector<std::pair<std::string, std::string>> rememberedFolders;
  int layersBarRefreshes = 0;
  int cursorReadoutRefreshes = 0;
  int calcPanelUpdates = 0;
  CalcPanelState lastCalcPanel;
  std::vector<double> shownZooms;
  int rosePanelRefreshes = 0;
  int combinationListRefreshes = 0;
  int newDocumentRuns = 0;
  bool newDocumentGoesAhead = true;  // false: the user cancels the save-changes question
  int palettePanelHides = 0;
  int displayFailures = 0;
  int progressEnds = 0;
  std::optional<bool> modified;

  bool HasMainFrame() const override { return hasMainFrame; }
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) override;
  std::optional<std::string> AskLayerName(const std::string& proposed) override;
  ImageSizeAnswer AskImageSize(const ImageSizeAnswer& proposal) override;
  void BeginProgress(const std::string& title, int range) override;
  // Recorded with the titles of BeginProgress, in order.
  void SetProgressTitle(const std::string& title) override { progressTitles.push_back(title); }
  bool SetProgress(int position) override;
  void EndProgress() override { ++progressEnds; }
  void RefreshLayersBar() override { ++layersBarRefreshes; }
  void RefreshCursorReadout() override { ++cursorReadoutRefreshes; }
  void UpdateCalcPanel(const CalcPanelState& state) override {
    ++calcPanelUpdates;
    lastCalcPanel = state;
  }
  void ShowZoom(double zoom) override { shownZooms.push_back(zoom); }
  void RefreshRosePanel() override { ++rosePanelRefreshes; }
  void RefreshCombinationList() override { ++combinationListRefreshes; }
  bool RunNewDocument() override {
    ++newDocumentRuns;
    return newDocumentGoesAhead;
  }
  void SetModified(bool value) override { modified = value; }
  void RememberFolder(const std::string& key, const std::string& folder) override {
    rememberedFolders.emplace_back(key, folder);
  }
  void ShowPalettePanel(const PalettePanelContents& contents) override { palettePanels.push_back(contents); }
  void HidePalettePanel() override { ++palettePanelHides; }
  void PostDisplayFailure() override { ++displayFailures; }
  void RunCommand(int commandId) override {
    commandsRun.push_back(commandId);
    if (onCommand) onCommand(commandId);
  }
  std::vector<int> commandsRun;
  std::function<void(int)> onCommand;

  // The text of the only message shown so far ("" and a test failure otherwise).
  std::string OnlyMessageText() const;
};

}  // namespace linea
