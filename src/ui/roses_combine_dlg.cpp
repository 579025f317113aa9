#include "ui/roses_combine_dlg.h"

#include "base/string_table.h"
#include "ui_roses_combine.h"

namespace linea {

namespace {
constexpr int kNeedTwoOrMore = 32813;
constexpr int kNeedExactlyTwo = 32814;

const char* CombinedTypeName(int type) {
  switch (type) {
    case 1: return "GREY";
    case 2: return "LINE";
    default: return "DTM";
  }
}
}  // namespace

std::string CombinedProjectLine(const CombinedProject& project) {
  return FormatText("%s [%dX%d] %s", project.fileName.c_str(), int(project.width), int(project.height),
                    CombinedTypeName(project.imageType));
}

int CombinationCountMessage(bool unionMode, std::size_t count) {
  if (unionMode) return count >= 2 ? 0 : kNeedTwoOrMore;
  return count == 2 ? 0 : kNeedExactlyTwo;
}

CRosesCombineDlg::CRosesCombineDlg(QWidget* parent) : QWidget(parent), ui_(new Ui::CRosesCombineForm) {
  ui_->setupUi(this);
  ui_->unionRadio->setChecked(true);
  connect(ui_->addButton, &QPushButton::clicked, this, &CRosesCombineDlg::addRequested);
  connect(ui_->removeButton, &QPushButton::clicked, this, [this] { emit removeRequested(SelectedIndex()); });
  connect(ui_->clearButton, &QPushButton::clicked, this, &CRosesCombineDlg::clearRequested);
  connect(ui_->calculateButton, &QPushButton::clicked, this, &CRosesCombineDlg::calculateRequested);
}

CRosesCombineDlg::~CRosesCombineDlg() { delete ui_; }

void CRosesCombineDlg::Refill(const std::vector<CombinedProject>& projects) {
  ui_->projectList->clear();
  for (const CombinedProject& project : projects)
    ui_->projectList->addItem(QString::fromStdString(CombinedProjectLine(project)));
}

int CRosesCombineDlg::SelectedIndex() const { return ui_->projectList->currentRow(); }
bool CRosesCombineDlg::UnionMode() const { return ui_->unionRadio->isChecked(); }
bool CRosesCombineDlg::Normalisation() const { return ui_->normalisationBox->isChecked(); }
QListWidget* CRosesCombineDlg::List() const { return ui_->projectList; }
QPushButton* CRosesCombineDlg::AddButton() const { return ui_->addButton; }
QPushButton* CRosesCombineDlg::RemoveButton() const { return ui_->removeButton; }
QPushButton* CRosesCombineDlg::ClearButton() const { return ui_->clearButton; }
QPushButton* CRosesCombineDlg::CalculateButton() const { return ui_->calculateButton; }
QRadioButton* CRosesCombineDlg::DifferenceRadio() const { return ui_->differenceRadio; }
QRadioButton* CRosesCombineDlg::UnionRadio() const { return ui_->unionRadio; }
QCheckBox* CRosesCombineDlg::NormalisationBox() const { return ui_->normalisationBox; }

}  // namespace linea
