#pragma once
// The save settings dialog (dialog 209 "Установки сохранения"): the world
// coordinates of the image's corners, the world size of a pixel and the two
// switches, exchanged as numbers and check states.

#include <QDialog>

#include "project/save_settings.h"

class QCheckBox;
class QLineEdit;

namespace Ui {
class CWorldCoordinatesForm;
}

namespace linea {

class CWorldCoordinates : public QDialog {
  Q_OBJECT
 public:
  CWorldCoordinates(QWidget* parent, const CSaveSettings& settings);
  ~CWorldCoordinates() override;

  void Fill(const CSaveSettings& settings);
  // The boxes read as decimal numbers (the leading number of each text).
  CSaveSettings Settings() const;

  QLineEdit* UpperLeftXEdit() const;
  QLineEdit* UpperLeftYEdit() const;
  QLineEdit* LowerRightXEdit() const;
  QLineEdit* LowerRightYEdit() const;
  QLineEdit* ResolutionXEdit() const;
  QLineEdit* ResolutionYEdit() const;
  QCheckBox* UseCoordinatesBox() const;
  QCheckBox* DrawFrameBox() const;

 private:
  Ui::CWorldCoordinatesForm* ui_;
};

}  // namespace linea
