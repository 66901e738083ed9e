// The toolkit's own translations: message-box buttons in Japanese under a
// Japanese locale, English texts elsewhere.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include "app/qt/ToolkitTranslations.h"
#include "support_App.h"

namespace vantora {
namespace {

QString YesButtonText() {
  QMessageBox box;
  return box.addButton(QMessageBox::Yes)->text();
}

TEST(ToolkitTranslations, JapaneseButtonsUnderAJapaneseLocaleOnly) {
  EXPECT_FALSE(InstallToolkitTranslations(*QCoreApplication::instance(), QLocale(QLocale::English)));
  EXPECT_EQ(YesButtonText(), QStringLiteral("&Yes"));

  ASSERT_TRUE(InstallToolkitTranslations(*QCoreApplication::instance(),
                                         QLocale(QLocale::Japanese, QLocale::Japan)))
      << "qtbase_ja.qm missing (scripts/setup.sh installs qt6-translations-l10n)";
  EXPECT_TRUE(YesButtonText().contains(test::Utf8("はい"))) << YesButtonText().toStdString();
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Save"), test::Utf8("保存(&S)"));

  // The application owns the translator; with it gone, English again.
  qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly));
  EXPECT_EQ(YesButtonText(), QStringLiteral("&Yes"));
}

}  // namespace
}  // namespace vantora
