// The program's icon is built into it: every size the package installs
// loads from the program itself, so a portable copy has its icon too.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "app/qt/ProgramIcon.h"
#include "support_App.h"

namespace vantora {
namespace {

TEST(ProgramIcon, EverySizeOfThePackageLoadsFromTheProgram) {
  const QIcon icon = ProgramIcon();
  ASSERT_FALSE(icon.isNull());
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QImage picture(QStringLiteral(":/icons/%1/vantora.png").arg(size));
    EXPECT_EQ(picture.size(), QSize(size, size)) << size;
    EXPECT_FALSE(icon.pixmap(QSize(size, size)).isNull()) << size;
  }
}

}  // namespace
}  // namespace vantora
