#pragma once
// "Цветная полоса" (dialog 178): a colour band (one value range of a class map
// in one colour) or an extremum band (the surroundings of the map's maxima or
// minima), its colour, its range of map values, and for extremums the window
// width and the threshold factor.

#include <cstdint>

#include <QDialog>

#include "project/palette_rules.h"

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace Ui {
class CColorBandForm;
}

namespace linea {

class CQtAppHost;

class CColorBand : public QDialog {
  Q_OBJECT
 public:
  // `values` as OpenColorBandDialog gives them for the map; the width limit comes
  // from the project's size. Messages and the colour choice go through `host`,
  // which must outlive the dialog.
  CColorBand(QWidget* parent, CQtAppHost& host, const ColorBandDialogValues& values, std::uint32_t imageWidth,
             std::uint32_t imageHeight);
  ~CColorBand() override;

  // The values as the controls hold them (meaningful once OK was accepted).
  ColorBandDialogValues Values() const;

  QLineEdit* Edit(const char* objectName) const;
  QRadioButton* Radio(const char* objectName) const;
  QWidget* Swatch() const;
  // The control of an id of dialog 178 (1077 ... 1137), or none.
  QWidget* Control(int id) const;

 public slots:
  void accept() override;

 private:
  void ShowExtremumControls(bool shown);
  void ShowColour();
  // From, To and the range box after a switch of the radios.
  void WriteRange(const char* rangeText);

  CQtAppHost& host_;
  Ui::CColorBandForm* ui_;
  ColorBandDialogValues values_;
  std::uint32_t imageWidth_;
  std::uint32_t imageHeight_;
};

}  // namespace linea
