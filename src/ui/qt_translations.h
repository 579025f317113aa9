#pragma once
// Qt's own texts (the buttons of message boxes and button boxes, the file and
// colour dialogs) in the program's language, from the translations the system's
// Qt installation ships (Debian: qt6-translations-l10n).

#include <memory>

#include <QString>

class QTranslator;

namespace linea {

class CQtTranslations {
 public:
  CQtTranslations();
  // Takes the translations out of the application again.
  ~CQtTranslations();
  CQtTranslations(const CQtTranslations&) = delete;
  CQtTranslations& operator=(const CQtTranslations&) = delete;

  // Loads "qtbase_<language>" from `folder` (Qt's translations folder when empty)
  // and installs it in the running application. False, with nothing installed,
  // when the file is missing or unreadable: Qt's texts then stay English.
  bool Install(const QString& language = QStringLiteral("ru"), const QString& folder = QString());
  bool IsInstalled() const { return installed_; }

 private:
  std::unique_ptr<QTranslator> translator_;
  bool installed_ = false;
};

}  // namespace linea
