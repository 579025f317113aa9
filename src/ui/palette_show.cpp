#include "ui/palette_show.h"

#include <QPainter>

#include <algorithm>

namespace linea {

namespace {
constexpr int kSwatchSide = 18;
constexpr int kMaxSwatches = 16;
}  // namespace

CPalleteShow::CPalleteShow(QWidget* parent) : QDialog(parent, Qt::Tool) {
  setWindowTitle(QStringLiteral("Палитра"));
  setFixedSize(kSwatchSide * kMaxSwatches + 8, kSwatchSide + 8);
}

void CPalleteShow::SetContents(const PalettePanelContents& contents) {
  contents_ = contents;
  update();
}

void CPalleteShow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  const int count = std::min({contents_.count, kMaxSwatches, int(contents_.indices.size())});
  for (int i = 0; i < count; ++i) {
    const int index = contents_.indices[std::size_t(i)];
    if (index < 0 || std::size_t(index) >= contents_.red.size() || std::size_t(index) >= contents_.green.size() ||
        std::size_t(index) >= contents_.blue.size())
      continue;
    const QColor colour(contents_.red[std::size_t(index)], contents_.green[std::size_t(index)],
                        contents_.blue[std::size_t(index)]);
    const QRect swatch(4 + i * kSwatchSide, 4, kSwatchSide - 2, kSwatchSide);
    painter.fillRect(swatch, colour);
    painter.setPen(Qt::black);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
  }
}

}  // namespace linea
