#include "ui/main_calc_dialog.h"

#include <QPushButton>

#include "base/messages.h"
#include "base/profile_text.h"
#include "project/calc_parameter_rules.h"
#include "ui/small_dialogs.h"
#include "ui_main_calc_dialog.h"

namespace linea {

namespace {
// Radio and check controls of the dialog beyond the edits named in the rules.
constexpr int kControlLong = 1046;
constexpr int kControlRelativeResolution = 1033;
constexpr int kControlGlobalNormalisation = 1211;
constexpr int kControlSingle = 1077, kControlDouble = 1078, kControlMultiple = 1079;
constexpr int kControlAllStripes = 1130, kControlValleys = 1214, kControlRidges = 1215;
constexpr std::uint8_t kScheme = 2, kElevationModel = 3;

QString IntText(std::int32_t value) { return QString::number(value); }
QString FixedText(double value) { return QString::fromStdString(FormatFixed6(value)); }
std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
}  // namespace

CMainCalcDialog::CMainCalcDialog(QWidget* parent, CAppHost& host, const CalcParameters& params,
                                 const CalcDialogContext& context)
    : QDialog(parent), host_(host), context_(context), result_(params), ui_(new Ui::CMainCalcDialogForm) {
  ui_->setupUi(this);
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CMainCalcDialog::accept);
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, &CMainCalcDialog::reject);
  Fill(params);
  EnableForImageType(context.imageType);
}

CMainCalcDialog::~CMainCalcDialog() { delete ui_; }

QWidget* CMainCalcDialog::Control(int controlId) const {
  switch (controlId) {
    case kControlLinear: return ui_->linearEdit;
    case kControlContrast: return ui_->contrastEdit;
    case kControlRoseWindow: return ui_->roseWindowEdit;
    case kControlFilling: return ui_->fillingEdit;
    case kControlFillingInMask: return ui_->fillingInMaskEdit;
    case kControlLineamentWidth: return ui_->lineamentWidthEdit;
    case kControlSectors: return ui_->sectorsEdit;
    case kControlMinLength: return ui_->minLengthEdit;
    case kControlDistance: return ui_->distanceEdit;
    case kControlDirection: return ui_->directionEdit;
    case kControlCompression: return ui_->compressionEdit;
    case kControlBlockRoseSize: return ui_->blockRoseSizeEdit;
    case kControlUseMask: return ui_->useMaskBox;
    case kControlLong: return ui_->longBox;
    case kControlRelativeResolution: return ui_->relativeResolutionBox;
    case kControlGlobalNormalisation: return ui_->globalNormalisationBox;
    case kControlSingle: return ui_->singleRadio;
    case kControlDouble: return ui_->doubleRadio;
    case kControlMultiple: return ui_->multipleRadio;
    case kControlAllStripes: return ui_->allStripesRadio;
    case kControlValleys: return ui_->valleysRadio;
    case kControlRidges: return ui_->ridgesRadio;
    default: return nullptr;
  }
}

QLineEdit* CMainCalcDialog::Edit(int controlId) const { return qobject_cast<QLineEdit*>(Control(controlId)); }

void CMainCalcDialog::EnableForImageType(std::uint8_t imageType) {
  const bool elevation = imageType == kElevationModel;
  ui_->linearEdit->setEnabled(!elevation && imageType != kScheme);
  ui_->contrastEdit->setEnabled(!elevation && imageType != kScheme);
  ui_->compressionEdit->setEnabled(imageType != kScheme);
  for (QRadioButton* radio : {ui_->allStripesRadio, ui_->valleysRadio, ui_->ridgesRadio}) radio->setEnabled(elevation);
}

void CMainCalcDialog::Fill(const CalcParameters& params) {
  ui_->linearEdit->setText(IntText(params.TR_Linear));
  ui_->contrastEdit->setText(IntText(params.TR_Contrast));
  ui_->roseWindowEdit->setText(IntText(params.rose_wind));
  ui_->fillingEdit->setText(FixedText(params.Filled_In));
  ui_->fillingInMaskEdit->setText(FixedText(params.Filled_Out));
  ui_->lineamentWidthEdit->setText(IntText(params.nb1));
  ui_->sectorsEdit->setText(IntText(params.AngW));
  ui_->longBox->setChecked(params.LONG);
  ui_->minLengthEdit->setText(FixedText(params.Part));
  ui_->relativeResolutionBox->setChecked(params.RelRez);
  ui_->distanceEdit->setText(FixedText(params.dnh));
  ui_->directionEdit->setText(FixedText(params.dfi));
  ui_->compressionEdit->setText(FixedText(params.Rate));
  ui_->useMaskBox->setChecked(params.UseMask);
  ui_->blockRoseSizeEdit->setText(FixedText(params.blockRoseSize));
  ui_->globalNormalisationBox->setChecked(params.blockRoseGlobalNorm);
  QRadioButton* search[] = {ui_->singleRadio, ui_->doubleRadio, ui_->multipleRadio};
  if (params.Calck < 3) search[params.Calck]->setChecked(true);
  QRadioButton* stripes[] = {ui_->allStripesRadio, ui_->valleysRadio, ui_->ridgesRadio};
  if (params.Calck_DTM < 3) stripes[params.Calck_DTM]->setChecked(true);
}

CalcParameters CMainCalcDialog::Store(const CalcParameters& base) const {
  CalcParameters params = base;
  params.TR_Linear = LeadingInteger(Text(ui_->linearEdit));
  params.TR_Contrast = LeadingInteger(Text(ui_->contrastEdit));
  params.rose_wind = LeadingInteger(Text(ui_->roseWindowEdit));
  params.Filled_In = ParseLeadingDouble(Text(ui_->fillingEdit));
  params.Filled_Out = ParseLeadingDouble(Text(ui_->fillingInMaskEdit));
  params.nb1 = LeadingInteger(Text(ui_->lineamentWidthEdit));
  params.AngW = LeadingInteger(Text(ui_->sectorsEdit));
  params.LONG = ui_->longBox->isChecked();
  params.Part = ParseLeadingDouble(Text(ui_->minLengthEdit));
  params.RelRez = ui_->relativeResolutionBox->isChecked();
  params.dnh = ParseLeadingDouble(Text(ui_->distanceEdit));
  params.dfi = ParseLeadingDouble(Text(ui_->directionEdit));
  params.Rate = ParseLeadingDouble(Text(ui_->compressionEdit));
  params.UseMask = ui_->useMaskBox->isChecked();
  params.blockRoseSize = ParseLeadingDouble(Text(ui_->blockRoseSizeEdit));
  params.blockRoseGlobalNorm = ui_->globalNormalisationBox->isChecked();
  if (ui_->singleRadio->isChecked()) params.Calck = 0;
  if (ui_->doubleRadio->isChecked()) params.Calck = 1;
  if (ui_->multipleRadio->isChecked()) params.Calck = 2;
  if (ui_->allStripesRadio->isChecked()) params.Calck_DTM = 0;
  if (ui_->valleysRadio->isChecked()) params.Calck_DTM = 1;
  if (ui_->ridgesRadio->isChecked()) params.Calck_DTM = 2;
  return params;
}

int CMainCalcDialog::Compare(const CalcParameters& params) const {
  return ChangesStripeInputs(params, Store(params)) ? 1 : 0;
}

void CMainCalcDialog::accept() {
  CalcParameters values = Store(result_);
  const CalcParameters typed = values;
  const auto failure =
      CheckCalcParameters(values, context_.imageWidth, context_.imageHeight, context_.maskLayerExists, host_);
  // A rounding the user accepted goes into its box, whatever the later checks say.
  if (values.rose_wind != typed.rose_wind) ui_->roseWindowEdit->setText(IntText(values.rose_wind));
  if (values.Rate != typed.Rate) ui_->compressionEdit->setText(FixedText(values.Rate));
  if (failure) {
    if (!failure->message.empty()) ShowError(host_, failure->message);
    if (QWidget* control = Control(failure->control)) control->setFocus();
    return;
  }
  result_ = values;
  QDialog::accept();
}

}  // namespace linea
