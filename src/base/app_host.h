#pragma once
// The seam between the program's lower layers and whatever shows things to the
// user: the Qt frame, the test host, or the batch tool. Only plain types cross it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace linea {

enum class MessageIcon { None, Information, Warning, Question, Error };

// Answer of the raw-image size prompt: pixels and bytes per sample (1 or 2).
struct ImageSizeAnswer {
  int width = 0;
  int height = 0;
  int bytesPerSample = 1;
  bool cancelled = false;  // the user closed the prompt with Cancel: nothing is opened
};

// What the calculation panel is to show, as the workspace sees it. The panel
// combines it with the state of its own stripes button (see CalcPanelEnabling).
struct CalcPanelState {
  bool hasStripes = false;
  bool hasGlobalRose = false;
  bool hasWindowRoses = false;
  bool hasBlockRoses = false;
  bool hasLineaments = false;
  bool hasBaseImage = false;
  bool hasBlocksImage = false;
  bool rosesCombination = false;
  bool operator==(const CalcPanelState&) const = default;
};

// What the palette panel shows: up to 16 swatches, each a palette index into
// the three 256-entry tables.
struct PalettePanelContents {
  int count = 0;
  std::vector<int> indices;
  std::vector<std::uint8_t> red, green, blue;  // 256 entries each
  // Beside swatch i, the values its step covers ("" when the map has no values).
  std::vector<std::string> ranges;
  // The visible colour bands: their colour (0x00BBGGRR) and the values they show.
  struct Band {
    std::uint32_t colour = 0;
    std::string range;
    bool operator==(const Band&) const = default;
  };
  std::vector<Band> bands;
  bool operator==(const PalettePanelContents&) const = default;
};

class CAppHost {
 public:
  virtual ~CAppHost() = default;

  // False while there is no main window; questions then answer "no" unseen.
  virtual bool HasMainFrame() const { return true; }

  // A message box with an OK button.
  virtual void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
  // A Yes/No message box; true exactly when the user chose Yes.
  virtual bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) = 0;

  // The layer-name prompt; nothing when the user cancelled.
  virtual std::optional<std::string> AskLayerName(const std::string& proposed) = 0;
  // The raw-image size prompt, preset with the proposal.
  virtual ImageSizeAnswer AskImageSize(const ImageSizeAnswer& proposal) = 0;

  // Progress of long work. SetProgress returns false once the user asked to cancel.
  virtual void BeginProgress(const std::string& title, int range) {}
  // A new title for the progress already shown (a later stage of the same work).
  virtual void SetProgressTitle(const std::string& title) {}
  virtual bool SetProgress(int position) { return true; }
  virtual void EndProgress() {}

  // Notifications; the defaults do nothing so that headless hosts need not care.
  virtual void RefreshLayersBar() {}
  virtual void RefreshCursorReadout() {}
  virtual void UpdateCalcPanel(const CalcPanelState& state) {}
  // The zoom toolbar shows the stack's zoom.
  virtual void ShowZoom(double zoom) {}
  // The rose panel re-reads its normalisation choice; the combination panel its list.
  virtual void RefreshRosePanel() {}
  virtual void RefreshCombinationList() {}
  // The new-document step: the save-changes question for a modified project, then
  // the reset. False when the user cancelled it and the project stays as it was.
  virtual bool RunNewDocument() { return true; }
  virtual void SetModified(bool modified) {}
  virtual void RememberFolder(const std::string& key, const std::string& folder) {}
  virtual void ShowPalettePanel(const PalettePanelContents& contents) {}
  virtual void HidePalettePanel() {}
  // Runs a command of the frame (for example the save-mask dialog before a project save).
  virtual void RunCommand(int commandId) {}
  // Posted when the composition could not be made (command 32799 of the frame).
  virtual void PostDisplayFailure() {}
};

}  // namespace linea
