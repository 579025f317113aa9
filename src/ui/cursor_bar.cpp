#include "ui/cursor_bar.h"

#include "ui_cursor_bar.h"

namespace linea {

CCursorBar::CCursorBar(QWidget* parent) : QWidget(parent), ui_(new Ui::CCursorBarForm) {
  ui_->setupUi(this);
  Show(0, 0, CursorReadout{});
}

CCursorBar::~CCursorBar() { delete ui_; }

QLineEdit* CCursorBar::XEdit() const { return ui_->xEdit; }
QLineEdit* CCursorBar::YEdit() const { return ui_->yEdit; }

QLineEdit* CCursorBar::ValueEdit(int row) const {
  switch (row) {
    case 0: return ui_->readoutEdit0;
    case 1: return ui_->readoutEdit1;
    default: return ui_->readoutEdit2;
  }
}

QLabel* CCursorBar::ValueLabel(int row) const {
  switch (row) {
    case 0: return ui_->readoutLabel0;
    case 1: return ui_->readoutLabel1;
    default: return ui_->readoutLabel2;
  }
}

void CCursorBar::Show(int x, int y, const CursorReadout& readout) {
  ui_->xEdit->setText(QString::number(x));
  ui_->yEdit->setText(QString::number(y));
  for (int row = 0; row < 3; ++row) {
    ValueEdit(row)->setText(QString::number(readout.values[std::size_t(row)]));
    ValueLabel(row)->setText(QString::fromStdString(readout.labels[std::size_t(row)]));
  }
}

}  // namespace linea
