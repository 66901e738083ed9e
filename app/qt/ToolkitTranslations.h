// The toolkit's own translations (qtbase_<lang>.qm from the system's Qt
// translations folder), so that standard dialogs and message-box buttons
// speak the user's language.
#pragma once

#include <QLocale>

class QCoreApplication;

namespace vantora {

// Installs the toolkit translation for `locale` into `app` (the translator is
// owned by `app`). False when the locale is English or none is installed.
bool InstallToolkitTranslations(QCoreApplication& app, const QLocale& locale);

}  // namespace vantora
