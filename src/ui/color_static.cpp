#include "ui/color_static.h"

#include <QPainter>

namespace linea {

CColorStatic::CColorStatic(QWidget* parent) : QWidget(parent) { setFixedSize(24, 16); }

void CColorStatic::SetColor(std::uint32_t color) {
  color_ = color;
  update();
}

void CColorStatic::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(int(color_ & 0xFF), int((color_ >> 8) & 0xFF), int((color_ >> 16) & 0xFF)));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace linea
