#include "ui/ws_dialog_bar.h"

#include <QPixmap>

#include "project/workspace.h"
#include "ui_ws_dialog_bar.h"

namespace linea {

CWSDialogBar::CWSDialogBar(QWidget* parent) : QWidget(parent), ui_(new Ui::CWSDialogBarForm) {
  ui_->setupUi(this);
  const QPixmap mark(QStringLiteral(":/icons/result_mark.xpm"));
  for (int i = 0; i < 4; ++i) {
    QLabel* label = Mark(i);
    label->setPixmap(mark);
    label->setFixedSize(mark.size());
    // A hidden mark keeps its place, so that the switches do not move.
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    label->hide();
  }
  connect(ui_->stripesBox, &QCheckBox::clicked, this, &CWSDialogBar::stripesClicked);
  connect(ui_->settingsButton, &QPushButton::clicked, this, &CWSDialogBar::settingsRequested);
  connect(ui_->calculateButton, &QPushButton::clicked, this, &CWSDialogBar::calculateRequested);
  for (QCheckBox* box : {ui_->stripesBox, ui_->blockRosesBox, ui_->windowRosesBox, ui_->lineamentsBox})
    connect(box, &QCheckBox::toggled, this, [this] { UpdateCalculateButton(); });
  UpdateCalcPanel(CalcPanelState{});
}

CWSDialogBar::~CWSDialogBar() { delete ui_; }

QCheckBox* CWSDialogBar::StripesBox() const { return ui_->stripesBox; }
QCheckBox* CWSDialogBar::BlockRosesBox() const { return ui_->blockRosesBox; }
QCheckBox* CWSDialogBar::WindowRosesBox() const { return ui_->windowRosesBox; }
QCheckBox* CWSDialogBar::LineamentsBox() const { return ui_->lineamentsBox; }
QPushButton* CWSDialogBar::SettingsButton() const { return ui_->settingsButton; }
QPushButton* CWSDialogBar::CalculateButton() const { return ui_->calculateButton; }
bool CWSDialogBar::StripesOn() const { return ui_->stripesBox->isChecked(); }

QLabel* CWSDialogBar::Mark(int index) const {
  switch (index) {
    case 0: return ui_->stripesMark;
    case 1: return ui_->blockRosesMark;
    case 2: return ui_->windowRosesMark;
    default: return ui_->lineamentsMark;
  }
}

void CWSDialogBar::UpdateCalcPanel(const CalcPanelState& state) {
  ui_->stripesMark->setVisible(state.hasStripes);
  ui_->blockRosesMark->setVisible(state.hasBlockRoses);
  ui_->windowRosesMark->setVisible(state.hasWindowRoses);
  ui_->lineamentsMark->setVisible(state.hasLineaments);
  const CalcPanelEnabling enabling = ComputeCalcPanelEnabling(state, StripesOn());
  ui_->stripesBox->setEnabled(enabling.stripes);
  ui_->blockRosesBox->setEnabled(enabling.blockRoses);
  ui_->windowRosesBox->setEnabled(enabling.windowRoses);
  ui_->lineamentsBox->setEnabled(enabling.lineaments);
  UpdateCalculateButton();
}

AnalysisRequest CWSDialogBar::Request() const {
  auto on = [](const QCheckBox* box) { return box->isEnabled() && box->isChecked(); };
  return AnalysisRequest{on(ui_->stripesBox), on(ui_->blockRosesBox), on(ui_->windowRosesBox),
                         on(ui_->lineamentsBox)};
}

void CWSDialogBar::UpdateCalculateButton() { ui_->calculateButton->setEnabled(Request().Any()); }

}  // namespace linea
