#pragma once
// The small modal dialogs the host runs: the layer name (dialog 149), the size of
// a raw image (dialog 146), the width editor of the layers bar (dialog 175) and
// the About box (dialog 100).

#include <string>

#include <QDialog>

#include "base/app_host.h"

namespace Ui {
class CLayerNameDialogForm;
class CImageSizeDialogForm;
class CVWidthDlgForm;
class CAboutDlgForm;
}  // namespace Ui

namespace linea {

// Longest layer name the dialog accepts, in characters.
inline constexpr int kLayerNameDialogLimit = 100;

// The integer at the start of a text, as the C library reads it ("12px" is 12,
// "abc" is 0); out-of-range values saturate.
int LeadingInteger(const std::string& text);

class CLayerNameDialog : public QDialog {
  Q_OBJECT
 public:
  CLayerNameDialog(QWidget* parent, const std::string& proposed);
  ~CLayerNameDialog() override;
  std::string Name() const;
  void SetName(const std::string& name);

 public slots:
  // A name longer than the limit is refused and the dialog stays open.
  void accept() override;

 private:
  Ui::CLayerNameDialogForm* ui_;
};

class CImageSizeDialog : public QDialog {
  Q_OBJECT
 public:
  CImageSizeDialog(QWidget* parent, const ImageSizeAnswer& proposal);
  ~CImageSizeDialog() override;
  // Width and height as the integers of the edits; 2 bytes when "16 бит" is ticked.
  ImageSizeAnswer Answer() const;
  void SetTexts(const std::string& width, const std::string& height, bool sixteenBits);

 public slots:
  void reject() override;

 private:
  Ui::CImageSizeDialogForm* ui_;
  // Closed by Cancel, Esc or the window's close button.
  bool cancelled_ = false;
};

class CVWidthDlg : public QDialog {
  Q_OBJECT
 public:
  CVWidthDlg(QWidget* parent, int width);
  ~CVWidthDlg() override;
  std::string Text() const;

 private:
  Ui::CVWidthDlgForm* ui_;
};

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent);
  ~CAboutDlg() override;
  QString VersionText() const;

 private:
  Ui::CAboutDlgForm* ui_;
};

}  // namespace linea
