#include "ui/add_layers_dlg.h"

#include "ui_add_layers.h"

namespace linea {
namespace {
std::vector<std::string> Names(const QListWidget& list) {
  std::vector<std::string> names;
  names.reserve(std::size_t(list.count()));
  for (int i = 0; i < list.count(); ++i) names.push_back(list.item(i)->text().toStdString());
  return names;
}
}  // namespace

CAddLayers::CAddLayers(QWidget* parent, const std::vector<std::string>& candidates)
    : QDialog(parent), ui_(new Ui::CAddLayersForm) {
  ui_->setupUi(this);
  ui_->addRadio->setChecked(true);
  for (const std::string& name : candidates) ui_->candidateList->addItem(QString::fromStdString(name));
  connect(ui_->candidateList, &QListWidget::itemDoubleClicked, this, &CAddLayers::MoveCandidate);
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CAddLayers::accept);
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, &CAddLayers::reject);
}

CAddLayers::~CAddLayers() { delete ui_; }

std::vector<std::string> CAddLayers::PlusNames() const { return Names(*ui_->plusList); }
std::vector<std::string> CAddLayers::MinusNames() const { return Names(*ui_->minusList); }

bool CAddLayers::Choose(const std::string& name) {
  const auto found = ui_->candidateList->findItems(QString::fromStdString(name), Qt::MatchExactly);
  if (found.isEmpty()) return false;
  MoveCandidate(found.front());
  return true;
}

void CAddLayers::MoveCandidate(QListWidgetItem* item) {
  if (item == nullptr || item->listWidget() != ui_->candidateList) return;
  QListWidget* target = ui_->addRadio->isChecked() ? ui_->plusList : ui_->minusList;
  target->addItem(ui_->candidateList->takeItem(ui_->candidateList->row(item)));
}

void CAddLayers::accept() {
  if (addFields) addFields(PlusNames(), MinusNames());
  QDialog::accept();
}

QListWidget* CAddLayers::CandidateList() const { return ui_->candidateList; }
QListWidget* CAddLayers::PlusList() const { return ui_->plusList; }
QListWidget* CAddLayers::MinusList() const { return ui_->minusList; }
QRadioButton* CAddLayers::AddRadio() const { return ui_->addRadio; }
QRadioButton* CAddLayers::SubtractRadio() const { return ui_->subtractRadio; }

}  // namespace linea
