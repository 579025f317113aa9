#pragma once
// The main calculations panel: the four result switches with their marks, which
// show the results the project holds, "Настройки" and "Расчет", which computes
// what the switched-on (and enabled) switches ask for.

#include <QWidget>

#include "analysis/analysis_run.h"
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
  // The results that "Расчет" would compute: the switches that are on and enabled.
  AnalysisRequest Request() const;

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
  void calculateRequested();

 private:
  // "Расчет" is available exactly when it has something to compute.
  void UpdateCalculateButton();

  Ui::CWSDialogBarForm* ui_;
};

}  // namespace linea
