#pragma once
// The main calculations panel: the four result switches with their marks, which
// show the results the project holds, "Настройки" and the (inactive) "Расчет".

#include <QWidget>

#include "base/app_host.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace Ui {
class CWSDialogBarForm;
}

namespace linea {

class CWSDialogBar : public QWidget {
  Q_OBJECT
 public:
  explicit CWSDialogBar(QWidget* parent);
  ~CWSDialogBar() override;

  // Marks and enabling for the workspace's state and the stripes switch.
  void UpdateCalcPanel(const CalcPanelState& state);
  bool StripesOn() const;

  QCheckBox* StripesBox() const;
  QCheckBox* BlockRosesBox() const;
  QCheckBox* WindowRosesBox() const;
  QCheckBox* LineamentsBox() const;
  // The result marks beside the four switches, in the same order.
  QLabel* Mark(int index) const;
  QPushButton* SettingsButton() const;
  QPushButton* CalculateButton() const;

 signals:
  void stripesClicked();
  void settingsRequested();

 private:
  Ui::CWSDialogBarForm* ui_;
};

}  // namespace linea
