#pragma once
// The cursor panel (dialog 180): the overlay's image point X and Y and the three
// readout rows of the current layer under it. "Set" has no action.

#include <QWidget>

#include "ui/cursor_readout.h"

class QLabel;
class QLineEdit;

namespace Ui {
class CCursorBarForm;
}

namespace linea {

class CCursorBar : public QWidget {
  Q_OBJECT
 public:
  explicit CCursorBar(QWidget* parent);
  ~CCursorBar() override;

  void Show(int x, int y, const CursorReadout& readout);

  QLineEdit* XEdit() const;
  QLineEdit* YEdit() const;
  QLineEdit* ValueEdit(int row) const;
  QLabel* ValueLabel(int row) const;

 private:
  Ui::CCursorBarForm* ui_;
};

}  // namespace linea
