#pragma once
// The palette panel, docked beside the view: one swatch per colour step of the
// class map at the base of the picture with the values that step covers, and
// below them the colour bands shown over it with their values — a legend of
// what is on screen. The layer stack decides when it is shown and what it holds.

#include <vector>

#include <QDockWidget>

#include "base/app_host.h"
#include "project/palette_rules.h"

class QGridLayout;
class QLabel;

namespace linea {

class CColorStatic;

class CPalleteShow : public QDockWidget {
  Q_OBJECT
 public:
  static constexpr int kSwatches = 16;

  explicit CPalleteShow(QWidget* parent);
  // Refused (false, the panel keeps what it showed) for more than 16 steps or
  // contents whose swatches name no colour.
  bool SetContents(const PalettePanelContents& contents);
  const PalettePanelContents& Contents() const { return contents_; }

  // What a reader sees: the number of swatches in use, each swatch's colour
  // (0x00BBGGRR) and the text beside it; then the band rows.
  int SwatchesInUse() const { return swatches_.inUse; }
  std::uint32_t SwatchColor(int i) const;
  QString RangeText(int i) const;
  int BandRows() const { return int(bandSwatches_.size()); }
  std::uint32_t BandColor(int i) const;
  QString BandText(int i) const;

 private:
  PalettePanelContents contents_;
  PaletteSwatches swatches_;
  QGridLayout* grid_;
  std::vector<CColorStatic*> swatchControls_;
  std::vector<QLabel*> rangeLabels_;
  std::vector<CColorStatic*> bandSwatches_;
  std::vector<QLabel*> bandLabels_;
};

}  // namespace linea
