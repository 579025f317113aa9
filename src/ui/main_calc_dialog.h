#pragma once
// The calculation parameters dialog (dialog 132 "Параметры Расчета"): every
// parameter of the block as an edit text, a check or a radio; fields that do
// not apply to the project's kind of image are disabled. OK runs the checks and
// roundings in their order and keeps the dialog open on the first failure.

#include <cstdint>

#include <QDialog>

#include "results/calc_parameters.h"

class QLineEdit;
class QRadioButton;

namespace Ui {
class CMainCalcDialogForm;
}

namespace linea {

class CAppHost;

// What the dialog needs to know about the project besides the parameters.
struct CalcDialogContext {
  std::uint32_t imageWidth = 0;
  std::uint32_t imageHeight = 0;
  std::uint8_t imageType = 1;  // 1 greyscale, 2 scheme, 3 elevation model
  bool maskLayerExists = false;
};

class CMainCalcDialog : public QDialog {
  Q_OBJECT
 public:
  // Messages and the rounding questions go to `host`, which must outlive the dialog.
  CMainCalcDialog(QWidget* parent, CAppHost& host, const CalcParameters& params, const CalcDialogContext& context);
  ~CMainCalcDialog() override;

  // The texts and states from a parameter block ("%d" and "%f").
  void Fill(const CalcParameters& params);
  // `base` with the dialog's fields written over it.
  CalcParameters Store(const CalcParameters& base) const;
  // 1 when the thresholds, the compression rate or the use of the mask differ
  // from `params` (what the stripes depend on), else 0.
  int Compare(const CalcParameters& params) const;
  // The confirmed values (valid after OK).
  const CalcParameters& Result() const { return result_; }

  QLineEdit* Edit(int controlId) const;
  QWidget* Control(int controlId) const;

 public slots:
  void accept() override;

 private:
  void EnableForImageType(std::uint8_t imageType);

  CAppHost& host_;
  CalcDialogContext context_;
  CalcParameters result_;
  Ui::CMainCalcDialogForm* ui_;
};

}  // namespace linea
