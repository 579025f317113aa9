#pragma once
// The lineament panel (dialog 137): which directions are drawn (all, one sector
// of a number of sectors, or a From/To range), by value or in order of value
// with a threshold, as lineaments or as a lineament rose, and in which colour.

#include <cstdint>

#include <QWidget>

#include "project/map_panel_rules.h"  // LineamentSelectionValue
#include "results/calc_parameters.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace Ui {
class CLineamentsParamBarForm;
}

namespace linea {

class CAppHost;

class CLineamentsParamBar : public QWidget {
  Q_OBJECT
 public:
  // Validation messages go to `host`, which must outlive the panel.
  CLineamentsParamBar(CAppHost& host, QWidget* parent);
  ~CLineamentsParamBar() override;

  // Reads every control into `params`, then checks them in order; the first
  // failure shows its message, focuses its box and gives false.
  bool StoreAndValidate(CalcParameters& params);
  // Shows the largest value, From and To as the builder left them.
  void WriteBack(const CalcParameters& params);

  QRadioButton* AllDirectionsRadio() const;
  QRadioButton* SectorRadio() const;
  QRadioButton* RangeRadio() const;
  QCheckBox* OrderBox() const;
  QCheckBox* RoseBox() const;
  QLineEdit* Edit(const char* objectName) const;
  QPushButton* ShowButton() const;
  QPushButton* NewLayerButton() const;
  // The swatch's colour, 0x00BBGGRR.
  std::uint32_t Colour() const { return colour_; }
  // The colour of the next lineament layer, shown in the swatch.
  void SetColour(std::uint32_t colour);
  QPushButton* ColourButton() const;

 signals:
  // "Показать" (false) and "Новый слой" (true).
  void showRequested(bool newLayer);
  // "Задать цвет".
  void colourRequested();

 private:
  void UpdateSelectionEnabling();
  // The edit box of a control id of the panel rules.
  QLineEdit* EditOf(int control) const;

  CAppHost& host_;
  Ui::CLineamentsParamBarForm* ui_;
  std::uint32_t colour_ = 0x0000FF;  // red
};

}  // namespace linea
