#include "ui/palette_show.h"

#include <QGridLayout>
#include <QLabel>

#include "base/string_table.h"
#include "ui/color_static.h"

namespace linea {

namespace {
constexpr int kPalettePanelTitle = 32891;  // "Палитра\tCtrl+F"

QString TitleOf(int id) {
  const std::string text = LoadText(id);
  return QString::fromStdString(text.substr(0, text.find('\t')));
}
}  // namespace

CPalleteShow::CPalleteShow(QWidget* parent) : QDockWidget(TitleOf(kPalettePanelTitle), parent) {
  setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  auto* body = new QWidget(this);
  grid_ = new QGridLayout(body);
  grid_->setContentsMargins(4, 4, 4, 4);
  grid_->setVerticalSpacing(2);
  for (int i = 0; i < kSwatches; ++i) {
    auto* swatch = new CColorStatic(body);
    swatch->setObjectName(QStringLiteral("swatch%1").arg(1201 + i));
    auto* label = new QLabel(body);
    label->setObjectName(QStringLiteral("range%1").arg(i));
    grid_->addWidget(swatch, i, 0);
    grid_->addWidget(label, i, 1);
    swatch->hide();
    label->hide();
    swatchControls_.push_back(swatch);
    rangeLabels_.push_back(label);
  }
  grid_->setRowStretch(kSwatches + 64, 1);
  setWidget(body);
}

bool CPalleteShow::SetContents(const PalettePanelContents& contents) {
  PaletteSwatches swatches = swatches_;
  if (!SetPaletteColors(swatches, contents.count, contents.indices, contents.red, contents.green, contents.blue))
    return false;
  swatches_ = swatches;
  contents_ = contents;
  for (int i = 0; i < kSwatches; ++i) {
    const bool inUse = i < swatches_.inUse;
    swatchControls_[std::size_t(i)]->setVisible(inUse);
    rangeLabels_[std::size_t(i)]->setVisible(inUse);
    if (!inUse) continue;
    swatchControls_[std::size_t(i)]->SetColor(swatches_.colors[std::size_t(i)]);
    const bool named = std::size_t(i) < contents.ranges.size();
    rangeLabels_[std::size_t(i)]->setText(named ? QString::fromStdString(contents.ranges[std::size_t(i)]) : QString());
  }
  for (CColorStatic* swatch : bandSwatches_) delete swatch;
  for (QLabel* label : bandLabels_) delete label;
  bandSwatches_.clear();
  bandLabels_.clear();
  QWidget* body = widget();
  for (std::size_t i = 0; i < contents.bands.size(); ++i) {
    auto* swatch = new CColorStatic(body);
    swatch->SetColor(contents.bands[i].colour);
    auto* label = new QLabel(QString::fromStdString(contents.bands[i].range), body);
    // Below the step rows, a row apart from them.
    grid_->addWidget(swatch, kSwatches + 1 + int(i), 0);
    grid_->addWidget(label, kSwatches + 1 + int(i), 1);
    bandSwatches_.push_back(swatch);
    bandLabels_.push_back(label);
  }
  return true;
}

std::uint32_t CPalleteShow::SwatchColor(int i) const {
  return i >= 0 && i < swatches_.inUse ? swatches_.colors[std::size_t(i)] : 0;
}
QString CPalleteShow::RangeText(int i) const {
  return i >= 0 && i < swatches_.inUse ? rangeLabels_[std::size_t(i)]->text() : QString();
}
std::uint32_t CPalleteShow::BandColor(int i) const {
  return i >= 0 && i < BandRows() ? bandSwatches_[std::size_t(i)]->Color() : 0;
}
QString CPalleteShow::BandText(int i) const {
  return i >= 0 && i < BandRows() ? bandLabels_[std::size_t(i)]->text() : QString();
}

}  // namespace linea
