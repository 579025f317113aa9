#pragma once
// Dialogs as wide as their titles: a window manager clips a title that is wider
// than its window ("Параме…жения"), so every dialog is widened, when it is shown,
// to its title plus the room of the title bar's icon and buttons, and is never
// narrower than its contents.

#include <QObject>

class QDialog;
class QWidget;

namespace linea {

// The width a window needs for its title to be read whole in the title bar.
int TitleBarWidth(const QWidget& window);
// Widens the dialog to its title and contents (never narrows it).
void FitDialogToTitle(QDialog& dialog);

// Fits every dialog of the application as it is shown, while it exists.
class CDialogFitter : public QObject {
  Q_OBJECT
 public:
  explicit CDialogFitter(QObject* parent = nullptr);
  ~CDialogFitter() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace linea
