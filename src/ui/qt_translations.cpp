#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace linea {

CQtTranslations::CQtTranslations() : translator_(std::make_unique<QTranslator>()) {}

CQtTranslations::~CQtTranslations() {
  if (installed_) QCoreApplication::removeTranslator(translator_.get());
}

bool CQtTranslations::Install(const QString& language, const QString& folder) {
  if (installed_ || QCoreApplication::instance() == nullptr) return installed_;
  const QString where = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
  // qtbase holds every text of the widgets the program shows.
  if (!translator_->load(QStringLiteral("qtbase_") + language, where)) return false;
  installed_ = QCoreApplication::installTranslator(translator_.get());
  return installed_;
}

}  // namespace linea
