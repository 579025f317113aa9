#pragma once
// "Ширина линий": the automatic widening of result lines when the view is zoomed
// out, the visible width and the default width of new result lines.

#include <functional>

#include <QDialog>

#include "project/line_widths.h"

class QCheckBox;
class QLineEdit;

namespace Ui {
class CLineWidthDlgForm;
}

namespace linea {

class CAppHost;

class CLineWidthDlg : public QDialog {
  Q_OBJECT
 public:
  // The host shows the messages of the width checks and must outlive the dialog.
  CLineWidthDlg(QWidget* parent, CAppHost& host, const LineWidthSettings& values);
  ~CLineWidthDlg() override;

  // The values of the boxes, valid after the dialog was accepted.
  LineWidthSettings Values() const { return values_; }
  // Clicking "Менять автоматически" stores its state at once, whatever closes the dialog.
  std::function<void(bool)> onAutomaticToggled;

  QCheckBox* AutomaticCheck() const;
  QLineEdit* VisibleWidthEdit() const;
  QLineEdit* DefaultWidthEdit() const;

 public slots:
  // Both widths must be whole numbers from 1 to 100; otherwise the message is shown,
  // the box keeps the focus and the dialog stays open.
  void accept() override;

 private:
  CAppHost& host_;
  Ui::CLineWidthDlgForm* ui_;
  LineWidthSettings values_;
};

}  // namespace linea
