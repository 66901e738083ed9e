// The program's start: the single-instance guard, the application and its
// title and translations, the main window, the event loop and the box for an
// error that escapes it.
#pragma once

namespace vantora {

// Returns the exit code: 1 when another instance holds the guard (nothing
// shown; the other instance's window is asked to come to the front), 0 after
// a normal end, 2 when --demo finds no demo site to serve.
int RunVantora(int& argc, char** argv);

}  // namespace vantora
