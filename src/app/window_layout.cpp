#include "app/window_layout.h"

#include <QByteArray>
#include <QMainWindow>
#include <QSettings>

namespace linea {

namespace {
// Bumped when the set of docks or toolbars changes, so that an older layout is ignored.
constexpr int kLayoutVersion = 1;
}  // namespace

void SaveWindowLayout(QSettings& settings, const QMainWindow& window) {
  settings.setValue(QString::fromLatin1(kWindowGeometryKey), window.saveGeometry());
  settings.setValue(QString::fromLatin1(kWindowStateKey), window.saveState(kLayoutVersion));
}

bool RestoreWindowLayout(QSettings& settings, QMainWindow& window) {
  const QByteArray geometry = settings.value(QString::fromLatin1(kWindowGeometryKey)).toByteArray();
  const QByteArray state = settings.value(QString::fromLatin1(kWindowStateKey)).toByteArray();
  if (geometry.isEmpty() || state.isEmpty()) return false;
  // The state is tried first: restoreState checks its record and changes nothing
  // when it is not one of ours.
  if (!window.restoreState(state, kLayoutVersion)) return false;
  return window.restoreGeometry(geometry);
}

}  // namespace linea
