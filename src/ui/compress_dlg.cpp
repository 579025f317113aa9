#include "ui/compress_dlg.h"

#include "base/messages.h"
#include "base/profile_text.h"
#include "project/base_image_compression.h"
#include "ui_compress_dialog.h"

namespace linea {

CCompressDlg::CCompressDlg(QWidget* parent, CAppHost& host, const std::string& text)
    : QDialog(parent), host_(host), ui_(new Ui::CCompressDlgForm) {
  ui_->setupUi(this);
  connect(ui_->buttons, &QDialogButtonBox::accepted, this, &CCompressDlg::accept);
  connect(ui_->buttons, &QDialogButtonBox::rejected, this, &CCompressDlg::reject);
  SetText(text);
}

CCompressDlg::~CCompressDlg() { delete ui_; }

std::string CCompressDlg::Text() const { return ui_->factorEdit->text().toStdString(); }
void CCompressDlg::SetText(const std::string& text) { ui_->factorEdit->setText(QString::fromStdString(text)); }

double CCompressDlg::Factor() const { return RoundCompressionFactor(ParseLeadingDouble(Text())); }

void CCompressDlg::accept() {
  if (!(Factor() >= 1.0)) {
    ShowError(host_, LowerBoundMessage("Compression", 1));
    ui_->factorEdit->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace linea
