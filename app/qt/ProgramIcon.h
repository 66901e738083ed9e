// The program's icon for its windows and the taskbar: the pictures of
// packaging/icons, built into the program so that a portable copy, which
// has no icon theme entry, shows it too.
#pragma once

#include <QIcon>

namespace vantora {

QIcon ProgramIcon();

}  // namespace vantora
