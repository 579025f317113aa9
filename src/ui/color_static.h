#pragma once
// A swatch: a small control painted wholly in one colour.

#include <cstdint>

#include <QWidget>

namespace linea {

class CColorStatic : public QWidget {
  Q_OBJECT
 public:
  explicit CColorStatic(QWidget* parent);
  // 0x00BBGGRR; red until set.
  std::uint32_t Color() const { return color_; }
  void SetColor(std::uint32_t color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::uint32_t color_ = 0x0000FF;
};

}  // namespace linea
