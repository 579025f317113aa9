#pragma once
// The palette panel: a small modeless window with the colour steps of the map
// shown as the picture's base. The layer stack decides when it is shown.

#include <QDialog>

#include "base/app_host.h"

namespace linea {

class CPalleteShow : public QDialog {
  Q_OBJECT
 public:
  explicit CPalleteShow(QWidget* parent);
  void SetContents(const PalettePanelContents& contents);
  const PalettePanelContents& Contents() const { return contents_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PalettePanelContents contents_;
};

}  // namespace linea
