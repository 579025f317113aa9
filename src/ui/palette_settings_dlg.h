#pragma once
// "Палитра" (dialog 176): the number of colour steps, whether steps hold equal
// numbers of values or equal areas, the kind of colours and the contrast of the
// many-colour table. Opened on a map it also shows the map's measured range and
// the range spread over its classes, for information only.

#include <QDialog>

#include "project/palette_rules.h"

class QLineEdit;
class QRadioButton;

namespace Ui {
class CPaletteSettingsDlgForm;
}

namespace linea {

class CAppHost;
class CRasterLayer;

class CPaletteSettingsDlg : public QDialog {
  Q_OBJECT
 public:
  // `map` null: the workspace's defaults, and "-" in the four range boxes. The
  // refusal messages go to `host`, which must outlive the dialog.
  CPaletteSettingsDlg(QWidget* parent, CAppHost& host, const PaletteSettings& settings,
                      const CRasterLayer* map = nullptr);
  ~CPaletteSettingsDlg() override;

  // The settings as the controls hold them (meaningful once OK was accepted).
  PaletteSettings Settings() const;

  QLineEdit* Edit(const char* objectName) const;
  QRadioButton* Radio(const char* objectName) const;

 public slots:
  void accept() override;

 private:
  CAppHost& host_;
  Ui::CPaletteSettingsDlgForm* ui_;
};

}  // namespace linea
