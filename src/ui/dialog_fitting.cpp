#include "ui/dialog_fitting.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QMessageBox>

#include <algorithm>

namespace linea {

namespace {
// The window icon and the three buttons of a usual title bar, with their gaps.
constexpr int kTitleBarFurniture = 160;
}  // namespace

int TitleBarWidth(const QWidget& window) {
  // Title bars commonly use a bold face of the application font.
  QFont font = QApplication::font();
  font.setBold(true);
  const QString title = window.windowTitle().replace(QStringLiteral("[*]"), QStringLiteral("*"));
  return QFontMetrics(font).horizontalAdvance(title) + kTitleBarFurniture;
}

void FitDialogToTitle(QDialog& dialog) {
  const int needed = std::max(TitleBarWidth(dialog), dialog.minimumSizeHint().width());
  if (dialog.minimumWidth() < needed && dialog.maximumWidth() >= needed) dialog.setMinimumWidth(needed);
  if (dialog.width() < needed) dialog.resize(needed, std::max(dialog.height(), dialog.sizeHint().height()));
}

CDialogFitter::CDialogFitter(QObject* parent) : QObject(parent) {
  if (QCoreApplication* application = QCoreApplication::instance()) application->installEventFilter(this);
}

CDialogFitter::~CDialogFitter() {
  if (QCoreApplication* application = QCoreApplication::instance()) application->removeEventFilter(this);
}

bool CDialogFitter::eventFilter(QObject* watched, QEvent* event) {
  // Message boxes size themselves and keep that size fixed.
  if (event->type() == QEvent::Show && watched->isWidgetType() && qobject_cast<QMessageBox*>(watched) == nullptr) {
    if (auto* dialog = qobject_cast<QDialog*>(watched)) FitDialogToTitle(*dialog);
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace linea
