// Every label, button, group and initial text of the panels and dialogs is the
// program's own text, byte for byte, as the dialog-text list of the resources has it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "results/calc_parameters.h"
#include "scripted_qt_host.h"
#include "ui/color_band_dlg.h"
#include "ui/compress_dlg.h"
#include "ui/cursor_bar.h"
#include "ui/lineaments_param_bar.h"
#include "ui/main_calc_dialog.h"
#include "ui/palette_settings_dlg.h"
#include "ui/roses_param_bar.h"
#include "ui/tool_help.h"
#include "ui/world_coordinates.h"

namespace linea {
namespace {

struct DialogText {
  std::string kind;
  std::string text;
};

// The lines of one dialog, without the standard OK / Cancel buttons of a button box.
std::vector<DialogText> TextsOfDialog(const std::string& dialog) {
  std::ifstream file(std::string(LINEA_RESOURCES_DIR) + "/dialog_texts.txt");
  EXPECT_TRUE(file.good());
  std::vector<DialogText> texts;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string id, control, kind, text;
    std::getline(fields, id, '\t');
    std::getline(fields, control, '\t');
    std::getline(fields, kind, '\t');
    std::getline(fields, text);
    if (id != dialog || (kind == "button" && control == "-")) continue;
    texts.push_back({kind, text});
  }
  return texts;
}

// Texts a widget shows: its title, labels, buttons, group titles; and the edits' texts.
void ExpectTextsShown(const QWidget& widget, const std::string& dialog) {
  std::set<std::string> shown{widget.windowTitle().toStdString()}, edits;
  for (const QLabel* label : widget.findChildren<QLabel*>()) shown.insert(label->text().toStdString());
  for (const QAbstractButton* button : widget.findChildren<QAbstractButton*>())
    shown.insert(button->text().toStdString());
  for (const QGroupBox* group : widget.findChildren<QGroupBox*>()) shown.insert(group->title().toStdString());
  for (const QLineEdit* edit : widget.findChildren<QLineEdit*>()) edits.insert(edit->text().toStdString());
  const std::vector<DialogText> texts = TextsOfDialog(dialog);
  EXPECT_FALSE(texts.empty()) << dialog;
  for (const DialogText& text : texts) {
    const auto& where = text.kind == "init" ? edits : shown;
    EXPECT_TRUE(where.count(text.text)) << dialog << " " << text.kind << " \"" << text.text << "\"";
  }
}

TEST(FormTexts, PanelsAndDialogsShowTheProgramsTexts) {
  CScriptedQtHost host;
  ExpectTextsShown(CRosesParamBar(host, nullptr), "131");
  ExpectTextsShown(CLineamentsParamBar(host, nullptr), "137");
  ExpectTextsShown(CMainCalcDialog(nullptr, host, CalcParameters{}, CalcDialogContext{}), "132");
  ExpectTextsShown(CCompressDlg(nullptr, host), "177");
  ExpectTextsShown(CWorldCoordinates(nullptr, CSaveSettings{}), "209");
  ExpectTextsShown(CCursorBar(nullptr), "180");
  ExpectTextsShown(CPaletteSettingsDlg(nullptr, host, PaletteSettings{}), "176");
  ExpectTextsShown(CColorBand(nullptr, host, ColorBandDialogValues{}, 600, 450), "178");
}

TEST(FormTexts, ToolHelpWindowsShowTheirTitlesAndTexts) {
  ExpectTextsShown(CToolHelp(ToolHelpKind::kPolyline, nullptr), "197");
  ExpectTextsShown(CToolHelp(ToolHelpKind::kMergeBlocks, nullptr), "204");
  ExpectTextsShown(CToolHelp(ToolHelpKind::kExcludeBlock, nullptr), "205");
}

}  // namespace
}  // namespace linea
