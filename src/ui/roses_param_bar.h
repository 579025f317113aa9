#pragma once
// The rose panel (dialog 131): the map kind, chosen from the list that matches
// the two normalisation switches, with the groups of controls that kind uses; the
// scaling mode with its From/To range; steps, sizes and the minimum density and
// elongation. The fields are texts until a show button stores and validates them
// into the workspace's parameters.

#include <cstdint>
#include <optional>

#include <QWidget>

#include "results/calc_parameters.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace Ui {
class CRosesParamBarForm;
}

namespace linea {

class CAppHost;

class CRosesParamBar : public QWidget {
  Q_OBJECT
 public:
  // Validation messages go to `host`, which must outlive the panel.
  CRosesParamBar(CAppHost& host, QWidget* parent);
  ~CRosesParamBar() override;

  // Reads every control into `params` (all fields first), then checks them in
  // order; the first failure shows its message, focuses its box and gives false.
  bool StoreAndValidate(CalcParameters& params);
  // Shows the values the builder settled on: sizes and minimums with "%f", steps,
  // From, To, Min and Max with "%d".
  void WriteBack(const CalcParameters& params);
  // "Глобальная" can be chosen only while the project has a global rose.
  void SetGlobalNormalisationAvailable(bool available);
  // Takes the normalisation choice of `params` (the workspace may switch global
  // normalisation off) and refills the kind list when it changed.
  void RefreshNormalisation(const CalcParameters& params);

  QComboBox* KindList() const;
  QCheckBox* LocalBox() const;
  QCheckBox* GlobalBox() const;
  QRadioButton* ScalingRadio(MapScalingMode mode) const;
  QLineEdit* Edit(const char* objectName) const;
  QPushButton* ShowButton() const;
  QPushButton* NewLayerButton() const;
  QPushButton* ColourButton() const;
  // The colour of the next vector or line map, shown on "Задать цвет"; none
  // while the kinds keep their own colours.
  void SetColour(std::optional<std::uint32_t> colour);

 signals:
  // "Показать" (false) and "Новый слой" (true).
  void showRequested(bool newLayer);
  // "Задать цвет".
  void colourRequested();

 private:
  void RefillKinds();
  void UpdateGroups();
  void UpdateRangeEnabling();
  MapScalingMode SelectedScaling() const;
  // The edit box of a control id of the panel rules.
  QLineEdit* EditOf(int control) const;

  CAppHost& host_;
  Ui::CRosesParamBarForm* ui_;
};

}  // namespace linea
