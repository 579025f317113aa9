#pragma once
// The window as the user left it: its geometry (size, place, maximised) and the
// layout of its toolbars and docked panels, kept in the program's settings beside
// the remembered folders and restored at the next start.

class QMainWindow;
class QSettings;

namespace linea {

// Settings keys of the two records.
inline constexpr const char* kWindowGeometryKey = "Window/Geometry";
inline constexpr const char* kWindowStateKey = "Window/State";

void SaveWindowLayout(QSettings& settings, const QMainWindow& window);
// Restores what SaveWindowLayout kept; false (the window untouched) when nothing
// was kept or the record is unreadable. Panels whose showing the program decides
// (by mode or by the cursor) are set again by the caller afterwards.
bool RestoreWindowLayout(QSettings& settings, QMainWindow& window);

}  // namespace linea
