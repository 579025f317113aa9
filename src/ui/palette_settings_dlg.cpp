#include "ui/palette_settings_dlg.h"

#include "base/messages.h"
#include "layers/raster_layer.h"
#include "ui_palette_settings_dialog.h"

namespace linea {

CPaletteSettingsDlg::CPaletteSettingsDlg(QWidget* parent, CAppHost& host, const PaletteSettings& settings,
                                         const CRasterLayer* map)
    : QDialog(parent), host_(host), ui_(new Ui::CPaletteSettingsDlgForm) {
  ui_->setupUi(this);
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CPaletteSettingsDlg::accept);
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, &CPaletteSettingsDlg::reject);
  ui_->stepsEdit->setText(QString::number(settings.steps));
  ui_->contrastEdit->setText(QString::number(settings.brightness));
  (settings.equalPopulation ? ui_->byAreaRadio : ui_->byValueRadio)->setChecked(true);
  QRadioButton* kind = settings.paletteKind == 1 ? ui_->oneRadio : settings.paletteKind == 2 ? ui_->twoRadio
                                                                                              : ui_->manyRadio;
  kind->setChecked(true);
  const auto shown = [map](int value) { return map ? QString::number(value) : QStringLiteral("-"); };
  ui_->minEdit->setText(shown(map ? map->Min : 0));
  ui_->maxEdit->setText(shown(map ? map->Max : 0));
  ui_->fromEdit->setText(shown(map ? map->From : 0));
  ui_->toEdit->setText(shown(map ? map->To : 0));
}

CPaletteSettingsDlg::~CPaletteSettingsDlg() { delete ui_; }

PaletteSettings CPaletteSettingsDlg::Settings() const {
  PaletteSettings settings;
  settings.steps = PaletteStepsOfText(ui_->stepsEdit->text().toStdString());
  settings.brightness = PaletteBrightnessOfText(ui_->contrastEdit->text().toStdString());
  settings.equalPopulation = ui_->byAreaRadio->isChecked();
  settings.paletteKind = ui_->oneRadio->isChecked() ? 1 : ui_->twoRadio->isChecked() ? 2 : 3;
  return settings;
}

QLineEdit* CPaletteSettingsDlg::Edit(const char* objectName) const {
  return findChild<QLineEdit*>(QString::fromLatin1(objectName));
}
QRadioButton* CPaletteSettingsDlg::Radio(const char* objectName) const {
  return findChild<QRadioButton*>(QString::fromLatin1(objectName));
}

void CPaletteSettingsDlg::accept() {
  const auto failure =
      CheckPaletteSettings(ui_->stepsEdit->text().toStdString(), ui_->contrastEdit->text().toStdString());
  if (failure) {
    ShowError(host_, failure->message);
    (failure->control == kControlQuants ? ui_->stepsEdit : ui_->contrastEdit)->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace linea
