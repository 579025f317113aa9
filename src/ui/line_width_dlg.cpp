#include "ui/line_width_dlg.h"

#include "ui_line_width_dialog.h"

namespace linea {

CLineWidthDlg::CLineWidthDlg(QWidget* parent, CAppHost& host, const LineWidthSettings& values)
    : QDialog(parent), host_(host), ui_(new Ui::CLineWidthDlgForm), values_(values) {
  ui_->setupUi(this);
  setObjectName(QStringLiteral("lineWidthDialog"));
  ui_->automaticCheck->setChecked(values.automatic);
  ui_->visibleWidthEdit->setText(QString::number(values.lineWidth));
  ui_->defaultWidthEdit->setText(QString::number(values.defaultLineWidth));
  connect(ui_->automaticCheck, &QCheckBox::clicked, this, [this](bool on) {
    if (onAutomaticToggled) onAutomaticToggled(on);
  });
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CLineWidthDlg::accept);
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, &CLineWidthDlg::reject);
}

CLineWidthDlg::~CLineWidthDlg() { delete ui_; }

QCheckBox* CLineWidthDlg::AutomaticCheck() const { return ui_->automaticCheck; }
QLineEdit* CLineWidthDlg::VisibleWidthEdit() const { return ui_->visibleWidthEdit; }
QLineEdit* CLineWidthDlg::DefaultWidthEdit() const { return ui_->defaultWidthEdit; }

void CLineWidthDlg::accept() {
  const std::pair<QLineEdit*, const char*> boxes[] = {{ui_->visibleWidthEdit, kVisibleWidthParameter},
                                                      {ui_->defaultWidthEdit, kDefaultWidthParameter}};
  int widths[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const std::optional<int> width = ReadLineWidth(host_, boxes[i].first->text().toStdString(), boxes[i].second);
    if (!width) {
      boxes[i].first->setFocus();
      boxes[i].first->selectAll();
      return;
    }
    widths[i] = *width;
  }
  values_ = {ui_->automaticCheck->isChecked(), widths[0], widths[1]};
  QDialog::accept();
}

}  // namespace linea
