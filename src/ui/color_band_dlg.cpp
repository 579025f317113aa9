#include "ui/color_band_dlg.h"

#include <QButtonGroup>

#include "base/messages.h"
#include "ui/qt_app_host.h"
#include "ui_color_band_dialog.h"

namespace linea {

namespace {
// Integers as the boxes read them: the leading number, 0 for none.
std::int32_t IntegerOf(const QLineEdit* edit) {
  return PaletteStepsOfText(edit->text().toStdString());
}
double NumberOf(const QLineEdit* edit) { return PaletteBrightnessOfText(edit->text().toStdString()); }
}  // namespace

CColorBand::CColorBand(QWidget* parent, CQtAppHost& host, const ColorBandDialogValues& values,
                       std::uint32_t imageWidth, std::uint32_t imageHeight)
    : QDialog(parent),
      host_(host),
      ui_(new Ui::CColorBandForm),
      values_(values),
      imageWidth_(imageWidth),
      imageHeight_(imageHeight) {
  ui_->setupUi(this);
  // The two pairs of radios are independent of each other.
  auto* modes = new QButtonGroup(this);
  modes->addButton(ui_->bandRadio);
  modes->addButton(ui_->extremumRadio);
  auto* extremes = new QButtonGroup(this);
  extremes->addButton(ui_->maximaRadio);
  extremes->addButton(ui_->minimaRadio);
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CColorBand::accept);
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, &CColorBand::reject);

  ShowColour();
  values_.bandMode = true;
  ui_->bandRadio->setChecked(true);
  ShowExtremumControls(false);
  ui_->maximaRadio->setChecked(true);
  ui_->fromEdit->setText(QString::number(values_.from));
  ui_->toEdit->setText(QString::number(values_.to));
  ui_->widthEdit->setText(QString::number(values_.width));
  ui_->rangeEdit->setText(QString::asprintf("%f", values_.range));
  ui_->lowestEdit->setText(QString::number(values_.lowest));
  ui_->highestEdit->setText(QString::number(values_.highest));
  ui_->mapMinEdit->setText(QString::number(values_.mapMin));
  ui_->mapMaxEdit->setText(QString::number(values_.mapMax));

  connect(ui_->extremumRadio, &QRadioButton::clicked, this, [this] { ShowExtremumControls(true); });
  connect(ui_->bandRadio, &QRadioButton::clicked, this, [this] {
    ShowExtremumControls(false);
    SelectBandMode(values_);
    WriteRange(nullptr);
  });
  connect(ui_->minimaRadio, &QRadioButton::clicked, this, [this] {
    SelectMinima(values_);
    WriteRange("1.1");
  });
  connect(ui_->maximaRadio, &QRadioButton::clicked, this, [this] {
    SelectMaxima(values_);
    WriteRange("0.9");
  });
  connect(ui_->colourButton, &QPushButton::clicked, this, [this] {
    if (const auto colour = host_.ChooseColor(values_.color)) {
      values_.color = *colour;
      ShowColour();
    }
  });
}

CColorBand::~CColorBand() { delete ui_; }

void CColorBand::ShowExtremumControls(bool shown) {
  for (QWidget* control : {static_cast<QWidget*>(ui_->extremumGroup), static_cast<QWidget*>(ui_->maximaRadio),
                           static_cast<QWidget*>(ui_->minimaRadio), static_cast<QWidget*>(ui_->widthEdit),
                           static_cast<QWidget*>(ui_->rangeEdit), static_cast<QWidget*>(ui_->widthLabel),
                           static_cast<QWidget*>(ui_->rangeLabel)})
    control->setVisible(shown);
  if (isVisible()) adjustSize();
}

void CColorBand::ShowColour() {
  QPalette swatch = ui_->colourSwatch->palette();
  swatch.setColor(QPalette::Window, QColor(int(values_.color & 0xFF), int((values_.color >> 8) & 0xFF),
                                           int((values_.color >> 16) & 0xFF)));
  ui_->colourSwatch->setPalette(swatch);
}

void CColorBand::WriteRange(const char* rangeText) {
  ui_->fromEdit->setText(QString::number(values_.from));
  ui_->toEdit->setText(QString::number(values_.to));
  if (rangeText) ui_->rangeEdit->setText(QString::fromLatin1(rangeText));
}

ColorBandDialogValues CColorBand::Values() const {
  ColorBandDialogValues values = values_;
  values.bandMode = ui_->bandRadio->isChecked();
  values.maxima = ui_->maximaRadio->isChecked();
  values.from = IntegerOf(ui_->fromEdit);
  values.to = IntegerOf(ui_->toEdit);
  values.width = IntegerOf(ui_->widthEdit);
  values.range = NumberOf(ui_->rangeEdit);
  return values;
}

QLineEdit* CColorBand::Edit(const char* objectName) const {
  return findChild<QLineEdit*>(QString::fromLatin1(objectName));
}
QRadioButton* CColorBand::Radio(const char* objectName) const {
  return findChild<QRadioButton*>(QString::fromLatin1(objectName));
}
QWidget* CColorBand::Swatch() const { return ui_->colourSwatch; }

QWidget* CColorBand::Control(int id) const {
  switch (id) {
    case 1077: return ui_->bandRadio;
    case 1078: return ui_->extremumRadio;
    case 1080: return ui_->colourButton;
    case 1203: return ui_->colourSwatch;
    case kControlBandFrom: return ui_->fromEdit;
    case kControlBandTo: return ui_->toEdit;
    case 1125: return ui_->lowestEdit;
    case 1127: return ui_->highestEdit;
    case 1124: return ui_->mapMinEdit;
    case 1126: return ui_->mapMaxEdit;
    case 1079: return ui_->maximaRadio;
    case 1130: return ui_->minimaRadio;
    case kControlExtremumWidth: return ui_->widthEdit;
    case 1132: return ui_->rangeEdit;
    case 1135: return ui_->extremumGroup;
    case 1136: return ui_->widthLabel;
    // The range's label takes the focus for its box.
    case kControlExtremumRange: return ui_->rangeEdit;
    default: return nullptr;
  }
}

void CColorBand::accept() {
  const ColorBandDialogValues values = Values();
  if (const auto failure = CheckColorBandDialog(values, imageWidth_, imageHeight_)) {
    ShowError(host_, failure->message);
    if (QWidget* focus = Control(failure->control)) focus->setFocus();
    return;
  }
  values_ = values;
  QDialog::accept();
}

}  // namespace linea
