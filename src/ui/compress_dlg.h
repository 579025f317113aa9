#pragma once
// The reduction factor of "Сжать" (dialog 177 "Сжатие"): one edit, "Сжать в"
// ... "раз". The factor is used to the nearest eighth; one below 1 is refused on
// OK, since the resampler can only reduce.

#include <string>

#include <QDialog>

namespace Ui {
class CCompressDlgForm;
}

namespace linea {

class CAppHost;

class CCompressDlg : public QDialog {
  Q_OBJECT
 public:
  // The refusal message goes to `host`, which must outlive the dialog.
  CCompressDlg(QWidget* parent, CAppHost& host, const std::string& text = {});
  ~CCompressDlg() override;

  std::string Text() const;
  void SetText(const std::string& text);
  // The typed factor rounded to the nearest multiple of 1/8.
  double Factor() const;

 public slots:
  void accept() override;

 private:
  CAppHost& host_;
  Ui::CCompressDlgForm* ui_;
};

}  // namespace linea
