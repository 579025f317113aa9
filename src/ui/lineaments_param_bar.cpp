#include "ui/lineaments_param_bar.h"

#include "base/messages.h"
#include "ui/small_dialogs.h"
#include "ui_lineaments_param_bar.h"

namespace linea {

namespace {
std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
}  // namespace

CLineamentsParamBar::CLineamentsParamBar(CAppHost& host, QWidget* parent)
    : QWidget(parent), host_(host), ui_(new Ui::CLineamentsParamBarForm) {
  ui_->setupUi(this);
  SetColour(colour_);
  ui_->allDirectionsRadio->setChecked(true);
  UpdateSelectionEnabling();
  for (QRadioButton* radio : {ui_->allDirectionsRadio, ui_->sectorRadio, ui_->rangeRadio})
    connect(radio, &QRadioButton::clicked, this, [this] { UpdateSelectionEnabling(); });
  connect(ui_->showButton, &QPushButton::clicked, this, [this] { emit showRequested(false); });
  connect(ui_->newLayerButton, &QPushButton::clicked, this, [this] { emit showRequested(true); });
  connect(ui_->colourButton, &QPushButton::clicked, this, [this] { emit colourRequested(); });
}

void CLineamentsParamBar::SetColour(std::uint32_t colour) {
  colour_ = colour;
  QPalette swatch = ui_->colourSwatch->palette();
  swatch.setColor(QPalette::Window, QColor(int(colour_ & 0xFF), int((colour_ >> 8) & 0xFF), int((colour_ >> 16) & 0xFF)));
  ui_->colourSwatch->setPalette(swatch);
}

QPushButton* CLineamentsParamBar::ColourButton() const { return ui_->colourButton; }

CLineamentsParamBar::~CLineamentsParamBar() { delete ui_; }

QRadioButton* CLineamentsParamBar::AllDirectionsRadio() const { return ui_->allDirectionsRadio; }
QRadioButton* CLineamentsParamBar::SectorRadio() const { return ui_->sectorRadio; }
QRadioButton* CLineamentsParamBar::RangeRadio() const { return ui_->rangeRadio; }
QCheckBox* CLineamentsParamBar::OrderBox() const { return ui_->orderBox; }
QCheckBox* CLineamentsParamBar::RoseBox() const { return ui_->roseBox; }
QPushButton* CLineamentsParamBar::ShowButton() const { return ui_->showButton; }
QPushButton* CLineamentsParamBar::NewLayerButton() const { return ui_->newLayerButton; }
QLineEdit* CLineamentsParamBar::Edit(const char* objectName) const {
  return findChild<QLineEdit*>(QString::fromLatin1(objectName));
}

void CLineamentsParamBar::UpdateSelectionEnabling() {
  const bool sector = ui_->sectorRadio->isChecked();
  const bool range = ui_->rangeRadio->isChecked();
  if (!sector && !range) ui_->sectorEdit->setText(QStringLiteral("0"));
  ui_->sectorEdit->setEnabled(sector);
  ui_->sectorsEdit->setEnabled(sector);
  ui_->fromEdit->setEnabled(range);
  ui_->toEdit->setEnabled(range);
  // An order of values makes no sense across a free range of directions.
  if (range) ui_->orderBox->setChecked(false);
  ui_->orderBox->setEnabled(!range);
}

QLineEdit* CLineamentsParamBar::EditOf(int control) const {
  switch (control) {
    case kControlLineamentSector: return ui_->sectorEdit;
    case kControlLineamentBeams: return ui_->beamsEdit;
    case kControlLineamentSectors: return ui_->sectorsEdit;
    case kControlLineamentFrom: return ui_->fromEdit;
    case kControlLineamentTo: return ui_->toEdit;
    case kControlLineamentSumWindow: return ui_->windowEdit;
    default: return nullptr;
  }
}

bool CLineamentsParamBar::StoreAndValidate(CalcParameters& params) {
  LineamentFields fields;
  fields.range = ui_->rangeRadio->isChecked();
  fields.order = ui_->orderBox->isChecked();
  fields.threshold = LeadingInteger(Text(ui_->thresholdEdit));
  fields.sector = LeadingInteger(Text(ui_->sectorEdit));
  fields.sectors = LeadingInteger(Text(ui_->sectorsEdit));
  fields.from = LeadingInteger(Text(ui_->fromEdit));
  fields.to = LeadingInteger(Text(ui_->toEdit));
  fields.rose = ui_->roseBox->isChecked();
  fields.beams = LeadingInteger(Text(ui_->beamsEdit));
  fields.sumWindow = LeadingInteger(Text(ui_->windowEdit));
  fields.colour = colour_;
  const auto failure = StoreLineamentFields(fields, params);
  if (!failure) return true;
  ShowError(host_, failure->message);
  if (QLineEdit* focus = EditOf(failure->control)) focus->setFocus();
  return false;
}

void CLineamentsParamBar::WriteBack(const CalcParameters& params) {
  ui_->largestEdit->setText(QString::number(params.lineamentLargestValue));
  ui_->fromEdit->setText(QString::number(params.lineamentFrom));
  ui_->toEdit->setText(QString::number(params.lineamentTo));
}

}  // namespace linea
