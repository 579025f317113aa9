// Linea: opens the project named on the command line, or an empty one.
//   linea [--screenshot <png>] [project.orw]
// With --screenshot the main window is saved as a PNG once the project is shown,
// and the program ends.
#include <QApplication>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>

#include "app/image_viewer_app.h"
#include "ui/dialog_fitting.h"
#include "ui/main_frame.h"
#include "ui/qt_app_host.h"
#include "ui/qt_translations.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Linea applications"));
  QCoreApplication::setApplicationName(QStringLiteral("Linea"));
  // The program speaks Russian; so do Qt's own buttons and dialogs when the
  // system has their translations (otherwise they stay English).
  linea::CQtTranslations qtTranslations;
  if (!qtTranslations.Install())
    std::fprintf(stderr, "linea: Qt's Russian translations are not installed (qt6-translations-l10n)\n");
  linea::CDialogFitter dialogFitter;

  std::optional<std::string> project;
  QString screenshot;
  const QStringList arguments = QCoreApplication::arguments();
  for (int i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--screenshot") && i + 1 < arguments.size()) {
      screenshot = arguments[++i];
    } else if (!project) {
      project = arguments[i].toStdString();
    } else {
      std::fprintf(stderr, "usage: linea [--screenshot <png>] [project.orw]\n");
      return 2;
    }
  }

  QSettings settings;
  linea::CQtAppHost host;
  linea::CImageViewerApp app(host, settings);
  if (!app.InitInstance(project)) return 1;

  int status = 0;
  if (!screenshot.isEmpty()) {
    // Time for the window manager (if any) to place the window and for the first paint.
    QTimer::singleShot(1500, &application, [&] {
      const bool saved = app.Frame().grab().save(screenshot, "PNG");
      if (!saved) std::fprintf(stderr, "linea: cannot write %s\n", screenshot.toLocal8Bit().constData());
      status = saved ? 0 : 1;
      application.quit();
    });
  }
  const int code = application.exec();
  app.ExitInstance();
  return screenshot.isEmpty() ? code : status;
}
