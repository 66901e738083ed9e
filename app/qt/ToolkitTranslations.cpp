// Loading the toolkit's translations for the user's locale.
#include "app/qt/ToolkitTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace vantora {

bool InstallToolkitTranslations(QCoreApplication& app, const QLocale& locale) {
  // The toolkit's texts are English already.
  if (locale.language() == QLocale::English || locale.language() == QLocale::C) return false;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator.get()))
    return false;
  translator.release()->setParent(&app);  // the application owns it from here
  return true;
}

}  // namespace vantora
