#include "ui/small_dialogs.h"

#include <QMessageBox>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "base/string_table.h"
#include "ui_about_dialog.h"
#include "ui_image_size_dialog.h"
#include "ui_layer_name_dialog.h"
#include "ui_width_dialog.h"

namespace linea {

namespace {
constexpr int kVersionText = 1100;
}

int LeadingInteger(const std::string& text) {
  errno = 0;
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return int(value);
}

CLayerNameDialog::CLayerNameDialog(QWidget* parent, const std::string& proposed)
    : QDialog(parent), ui_(new Ui::CLayerNameDialogForm) {
  ui_->setupUi(this);
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CLayerNameDialog::accept);
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, &CLayerNameDialog::reject);
  SetName(proposed);
}

CLayerNameDialog::~CLayerNameDialog() { delete ui_; }

std::string CLayerNameDialog::Name() const { return ui_->nameEdit->text().toStdString(); }

void CLayerNameDialog::SetName(const std::string& name) {
  ui_->nameEdit->setText(QString::fromStdString(name));
  ui_->nameEdit->selectAll();
}

void CLayerNameDialog::accept() {
  if (ui_->nameEdit->text().size() > kLayerNameDialogLimit) {
    QMessageBox::warning(this, windowTitle(), QStringLiteral("Введите не более %1 символов.").arg(kLayerNameDialogLimit));
    ui_->nameEdit->setFocus();
    return;
  }
  QDialog::accept();
}

CImageSizeDialog::CImageSizeDialog(QWidget* parent, const ImageSizeAnswer& proposal)
    : QDialog(parent), ui_(new Ui::CImageSizeDialogForm) {
  ui_->setupUi(this);
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CImageSizeDialog::accept);
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, &CImageSizeDialog::reject);
  SetTexts(FormatText("%d", proposal.width), FormatText("%d", proposal.height), proposal.bytesPerSample == 2);
}

CImageSizeDialog::~CImageSizeDialog() { delete ui_; }

void CImageSizeDialog::SetTexts(const std::string& width, const std::string& height, bool sixteenBits) {
  ui_->widthEdit->setText(QString::fromStdString(width));
  ui_->heightEdit->setText(QString::fromStdString(height));
  ui_->sixteenBitBox->setChecked(sixteenBits);
}

void CImageSizeDialog::reject() {
  cancelled_ = true;
  QDialog::reject();
}

ImageSizeAnswer CImageSizeDialog::Answer() const {
  ImageSizeAnswer answer;
  answer.width = LeadingInteger(ui_->widthEdit->text().toStdString());
  answer.height = LeadingInteger(ui_->heightEdit->text().toStdString());
  answer.bytesPerSample = ui_->sixteenBitBox->isChecked() ? 2 : 1;
  answer.cancelled = cancelled_;
  return answer;
}

CVWidthDlg::CVWidthDlg(QWidget* parent, int width) : QDialog(parent), ui_(new Ui::CVWidthDlgForm) {
  ui_->setupUi(this);
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CVWidthDlg::accept);
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, &CVWidthDlg::reject);
  ui_->widthEdit->setText(QString::fromStdString(FormatText("%d", width)));
}

CVWidthDlg::~CVWidthDlg() { delete ui_; }

std::string CVWidthDlg::Text() const { return ui_->widthEdit->text().toStdString(); }

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), ui_(new Ui::CAboutDlgForm) {
  ui_->setupUi(this);
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CAboutDlg::accept);
  ui_->versionLabel->setText(QString::fromStdString(LoadText(kVersionText)));
}

CAboutDlg::~CAboutDlg() { delete ui_; }

QString CAboutDlg::VersionText() const { return ui_->versionLabel->text(); }

}  // namespace linea
