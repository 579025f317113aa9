#include "ui/zoom_toolbar.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "base/messages.h"
#include "base/string_table.h"
#include "ui/view_geometry.h"

namespace linea {

namespace {
constexpr int kZoomBoxTip = 1098;
constexpr int kBadZoomMessage = 32808;
constexpr double kListedZooms[] = {0.1, 0.25, 0.5, 0.75, 1.0, 1.5, 2.0};
constexpr int kZoomBoxWidth = 100;
constexpr int kZoomBoxFontPoints = 8;
}  // namespace

CZoomBox::CZoomBox(QWidget* parent) : QComboBox(parent) {
  connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    if (!listOpen_) return;
    listOpen_ = false;
    emit listedZoomChosen(itemText(index));
  });
}

void CZoomBox::showPopup() {
  // Opening the list takes the focus from the typed text, which the box reports as
  // "activated" while the list opens: only what comes after is a pick.
  listOpen_ = false;
  QComboBox::showPopup();
  listOpen_ = true;
}

void CZoomBox::hidePopup() {
  QComboBox::hidePopup();
  // A pick from the list is reported right after the list closes; anything later is not one.
  QTimer::singleShot(0, this, [this] { listOpen_ = false; });
}

CZoomToolBar::CZoomToolBar(CAppHost& host, QWidget* parent) : QToolBar(parent), host_(host) {
  zoomBox_ = new CZoomBox(this);
  zoomBox_->setObjectName(QStringLiteral("zoomBox"));
  zoomBox_->setEditable(true);
  zoomBox_->setInsertPolicy(QComboBox::NoInsert);
  zoomBox_->setFixedWidth(kZoomBoxWidth);
  QFont font = zoomBox_->font();
  font.setPointSize(kZoomBoxFontPoints);
  zoomBox_->setFont(font);
  zoomBox_->setToolTip(QString::fromStdString(LoadText(kZoomBoxTip)));
  for (double zoom : kListedZooms) zoomBox_->addItem(QString::fromStdString(ZoomText(zoom)));
  zoomBox_->setEditText(QString::fromStdString(ZoomText(1.0)));
  // Typed "20" must stay 20 %, not be completed to a listed "200 %".
  zoomBox_->setCompleter(nullptr);
  // Typed keys reach the focused combo box, which hands them to its line edit
  // directly, past any filter of the line edit: Enter is taken from both.
  zoomBox_->installEventFilter(this);
  zoomBox_->lineEdit()->installEventFilter(this);
  connect(zoomBox_, &CZoomBox::listedZoomChosen, this, &CZoomToolBar::ApplyText);
  addWidget(zoomBox_);
  addSeparator();
}

void CZoomToolBar::ShowZoom(double zoom) { zoomBox_->setEditText(QString::fromStdString(ZoomText(zoom))); }

bool CZoomToolBar::eventFilter(QObject* watched, QEvent* event) {
  // Taken here and not passed on, so that the box does not also pick a list item
  // and the line edit does not hand the key back to the box a second time.
  if ((watched == zoomBox_ || watched == zoomBox_->lineEdit()) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ApplyText(zoomBox_->lineEdit()->text());
      return true;
    }
  }
  return QToolBar::eventFilter(watched, event);
}

void CZoomToolBar::ApplyText(const QString& text) {
  const auto input = ParseZoomText(text.toStdString());
  if (!input || !applyZoom || !applyZoom(input->zoom)) {
    ShowError(host_, kBadZoomMessage);
    // The box goes back to the zoom in force rather than keep a text that is not it.
    if (currentZoom) ShowZoom(currentZoom());
    return;
  }
  if (!input->hadPercent) ShowZoom(currentZoom ? currentZoom() : input->zoom);
}

}  // namespace linea
