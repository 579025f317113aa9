#include "ui/roses_param_bar.h"

#include <QIcon>
#include <QPixmap>

#include "base/field_kinds.h"
#include "base/messages.h"
#include "base/profile_text.h"
#include "project/map_panel_rules.h"
#include "results/rose_map.h"
#include "ui/small_dialogs.h"
#include "ui_roses_param_bar.h"

namespace linea {

namespace {
std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
QString IntText(int value) { return QString::number(value); }
QString FixedText(double value) { return QString::fromStdString(FormatFixed6(value)); }
}  // namespace

CRosesParamBar::CRosesParamBar(CAppHost& host, QWidget* parent)
    : QWidget(parent), host_(host), ui_(new Ui::CRosesParamBarForm) {
  ui_->setupUi(this);
  ui_->autoRadio->setChecked(true);
  ui_->globalBox->setEnabled(false);  // until a project with a global rose is open
  RefillKinds();
  UpdateRangeEnabling();
  connect(ui_->localBox, &QCheckBox::clicked, this, [this] { RefillKinds(); });
  connect(ui_->globalBox, &QCheckBox::clicked, this, [this] { RefillKinds(); });
  connect(ui_->kindList, &QComboBox::currentIndexChanged, this, [this] { UpdateGroups(); });
  for (QRadioButton* radio : {ui_->noneRadio, ui_->autoRadio, ui_->manualRadio, ui_->allRadio})
    connect(radio, &QRadioButton::toggled, this, [this] { UpdateRangeEnabling(); });
  connect(ui_->showButton, &QPushButton::clicked, this, [this] { emit showRequested(false); });
  connect(ui_->newLayerButton, &QPushButton::clicked, this, [this] { emit showRequested(true); });
  connect(ui_->colourButton, &QPushButton::clicked, this, [this] { emit colourRequested(); });
}

CRosesParamBar::~CRosesParamBar() { delete ui_; }

QComboBox* CRosesParamBar::KindList() const { return ui_->kindList; }
QCheckBox* CRosesParamBar::LocalBox() const { return ui_->localBox; }
QCheckBox* CRosesParamBar::GlobalBox() const { return ui_->globalBox; }
QPushButton* CRosesParamBar::ShowButton() const { return ui_->showButton; }
QPushButton* CRosesParamBar::ColourButton() const { return ui_->colourButton; }

void CRosesParamBar::SetColour(std::optional<std::uint32_t> colour) {
  if (!colour) {
    ui_->colourButton->setIcon(QIcon());
    return;
  }
  QPixmap swatch(16, 12);
  swatch.fill(QColor(int(*colour & 0xFF), int((*colour >> 8) & 0xFF), int((*colour >> 16) & 0xFF)));
  ui_->colourButton->setIcon(QIcon(swatch));
}
QPushButton* CRosesParamBar::NewLayerButton() const { return ui_->newLayerButton; }
QLineEdit* CRosesParamBar::Edit(const char* objectName) const {
  return findChild<QLineEdit*>(QString::fromLatin1(objectName));
}

QRadioButton* CRosesParamBar::ScalingRadio(MapScalingMode mode) const {
  switch (mode) {
    case kScalingNone: return ui_->noneRadio;
    case kScalingManual: return ui_->manualRadio;
    case kScalingAuto: return ui_->allRadio;
    default: return ui_->autoRadio;
  }
}

MapScalingMode CRosesParamBar::SelectedScaling() const {
  if (ui_->noneRadio->isChecked()) return kScalingNone;
  if (ui_->manualRadio->isChecked()) return kScalingManual;
  if (ui_->allRadio->isChecked()) return kScalingAuto;
  return kScalingPercent;
}

void CRosesParamBar::RefillKinds() {
  const bool local = ui_->localBox->isChecked(), global = ui_->globalBox->isChecked();
  QSignalBlocker block(ui_->kindList);
  ui_->kindList->clear();
  for (int i = 0; i < MapKindCount(local, global); ++i)
    ui_->kindList->addItem(QString::fromStdString(MapKindName(local, global, i)));
  ui_->kindList->setCurrentIndex(0);
  UpdateGroups();
}

void CRosesParamBar::UpdateGroups() {
  const char code = MapKindCode(ui_->localBox->isChecked(), ui_->globalBox->isChecked(),
                                std::max(0, ui_->kindList->currentIndex()));
  const bool vector = IsRoseVectorKind(code);
  for (QWidget* widget : {static_cast<QWidget*>(ui_->scalingGroup), static_cast<QWidget*>(ui_->fromLabel),
                          static_cast<QWidget*>(ui_->fromEdit), static_cast<QWidget*>(ui_->toLabel),
                          static_cast<QWidget*>(ui_->toEdit), static_cast<QWidget*>(ui_->minLabel),
                          static_cast<QWidget*>(ui_->minEdit), static_cast<QWidget*>(ui_->maxLabel),
                          static_cast<QWidget*>(ui_->maxEdit)})
    widget->setVisible(!vector);
  for (QWidget* widget : {static_cast<QWidget*>(ui_->stepGroup), static_cast<QWidget*>(ui_->sizeGroup),
                          static_cast<QWidget*>(ui_->minElongationLabel), static_cast<QWidget*>(ui_->minElongationEdit)})
    widget->setVisible(vector);
}

void CRosesParamBar::UpdateRangeEnabling() {
  const bool manual = ui_->manualRadio->isChecked();
  ui_->fromEdit->setEnabled(manual);
  ui_->toEdit->setEnabled(manual);
}

void CRosesParamBar::SetGlobalNormalisationAvailable(bool available) {
  ui_->globalBox->setEnabled(available);
}

void CRosesParamBar::RefreshNormalisation(const CalcParameters& params) {
  if (ui_->globalBox->isChecked() == params.globalNormalisation) return;
  ui_->globalBox->setChecked(params.globalNormalisation);
  RefillKinds();
}

QLineEdit* CRosesParamBar::EditOf(int control) const {
  switch (control) {
    case kControlVectorStep: return ui_->vectorStepEdit;
    case kControlRoseStep: return ui_->roseStepEdit;
    case kControlLineStep: return ui_->lineStepEdit;
    case kControlMapFrom: return ui_->fromEdit;
    case kControlMapTo: return ui_->toEdit;
    case kControlRoseSize: return ui_->roseSizeEdit;
    case kControlVectorSize: return ui_->vectorSizeEdit;
    case kControlMinDensity: return ui_->minDensityEdit;
    case kControlMinElongation: return ui_->minElongationEdit;
    default: return nullptr;
  }
}

bool CRosesParamBar::StoreAndValidate(CalcParameters& params) {
  RoseMapFields fields;
  fields.localNormalisation = ui_->localBox->isChecked();
  fields.globalNormalisation = ui_->globalBox->isChecked();
  fields.mapKind = MapKindCode(fields.localNormalisation, fields.globalNormalisation,
                               std::max(0, ui_->kindList->currentIndex()));
  fields.scalingMode = SelectedScaling();
  fields.vectorSize = ParseLeadingDouble(Text(ui_->vectorSizeEdit));
  fields.roseSize = ParseLeadingDouble(Text(ui_->roseSizeEdit));
  fields.minDensity = ParseLeadingDouble(Text(ui_->minDensityEdit));
  fields.minElongation = ParseLeadingDouble(Text(ui_->minElongationEdit));
  fields.mapFrom = LeadingInteger(Text(ui_->fromEdit));
  fields.mapTo = LeadingInteger(Text(ui_->toEdit));
  fields.vectorStep = LeadingInteger(Text(ui_->vectorStepEdit));
  fields.roseStep = LeadingInteger(Text(ui_->roseStepEdit));
  fields.lineStep = LeadingInteger(Text(ui_->lineStepEdit));
  const auto failure = StoreRoseMapFields(fields, params);
  if (!failure) return true;
  ShowError(host_, failure->message);
  if (QLineEdit* focus = EditOf(failure->control)) focus->setFocus();
  return false;
}

void CRosesParamBar::WriteBack(const CalcParameters& params) {
  ui_->vectorSizeEdit->setText(FixedText(params.vectorSize));
  ui_->roseSizeEdit->setText(FixedText(params.roseSize));
  ui_->minDensityEdit->setText(FixedText(params.minDensity));
  ui_->minElongationEdit->setText(FixedText(params.minElongation));
  ui_->vectorStepEdit->setText(IntText(params.vectorStep));
  ui_->roseStepEdit->setText(IntText(params.roseStep));
  ui_->lineStepEdit->setText(IntText(params.lineStep));
  ui_->fromEdit->setText(IntText(params.mapFrom));
  ui_->toEdit->setText(IntText(params.mapTo));
  ui_->minEdit->setText(IntText(params.mapMin));
  ui_->maxEdit->setText(IntText(params.mapMax));
}

}  // namespace linea
