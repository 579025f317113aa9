#include "ui/world_coordinates.h"

#include "base/profile_text.h"
#include "ui_world_coordinates.h"

namespace linea {

namespace {
// Enough digits that a value survives the round trip through its box.
constexpr int kNumberDigits = 15;
QString NumberText(double value) { return QString::number(value, 'g', kNumberDigits); }
double Number(const QLineEdit* edit) { return ParseLeadingDouble(edit->text().toStdString()); }
}  // namespace

CWorldCoordinates::CWorldCoordinates(QWidget* parent, const CSaveSettings& settings)
    : QDialog(parent), ui_(new Ui::CWorldCoordinatesForm) {
  ui_->setupUi(this);
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CWorldCoordinates::accept);
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, &CWorldCoordinates::reject);
  Fill(settings);
}

CWorldCoordinates::~CWorldCoordinates() { delete ui_; }

QLineEdit* CWorldCoordinates::UpperLeftXEdit() const { return ui_->upperLeftXEdit; }
QLineEdit* CWorldCoordinates::UpperLeftYEdit() const { return ui_->upperLeftYEdit; }
QLineEdit* CWorldCoordinates::LowerRightXEdit() const { return ui_->lowerRightXEdit; }
QLineEdit* CWorldCoordinates::LowerRightYEdit() const { return ui_->lowerRightYEdit; }
QLineEdit* CWorldCoordinates::ResolutionXEdit() const { return ui_->resolutionXEdit; }
QLineEdit* CWorldCoordinates::ResolutionYEdit() const { return ui_->resolutionYEdit; }
QCheckBox* CWorldCoordinates::UseCoordinatesBox() const { return ui_->useCoordinatesBox; }
QCheckBox* CWorldCoordinates::DrawFrameBox() const { return ui_->drawFrameBox; }

void CWorldCoordinates::Fill(const CSaveSettings& settings) {
  ui_->upperLeftXEdit->setText(NumberText(settings.upperLeftX));
  ui_->upperLeftYEdit->setText(NumberText(settings.upperLeftY));
  ui_->lowerRightXEdit->setText(NumberText(settings.lowerRightX));
  ui_->lowerRightYEdit->setText(NumberText(settings.lowerRightY));
  ui_->resolutionXEdit->setText(NumberText(settings.resolutionX));
  ui_->resolutionYEdit->setText(NumberText(settings.resolutionY));
  ui_->useCoordinatesBox->setChecked(settings.useCoordinates);
  ui_->drawFrameBox->setChecked(settings.drawFrame);
}

CSaveSettings CWorldCoordinates::Settings() const {
  CSaveSettings settings;
  settings.upperLeftX = Number(ui_->upperLeftXEdit);
  settings.upperLeftY = Number(ui_->upperLeftYEdit);
  settings.lowerRightX = Number(ui_->lowerRightXEdit);
  settings.lowerRightY = Number(ui_->lowerRightYEdit);
  settings.resolutionX = Number(ui_->resolutionXEdit);
  settings.resolutionY = Number(ui_->resolutionYEdit);
  settings.useCoordinates = ui_->useCoordinatesBox->isChecked();
  settings.drawFrame = ui_->drawFrameBox->isChecked();
  return settings;
}

}  // namespace linea
