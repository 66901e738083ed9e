// The program's icon from the pictures built into it (program_icon.qrc).
#include "app/qt/ProgramIcon.h"

#include <QString>

// The resources live in a static library: naming their initialiser here
// links them in (the macro cannot stand inside a namespace).
static void InitProgramIconResource() { Q_INIT_RESOURCE(program_icon); }

namespace vantora {

QIcon ProgramIcon() {
  InitProgramIconResource();
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/%1/vantora.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace vantora
