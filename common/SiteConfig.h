// Where pages come from and how long the job waits between them: the quote
// site base address (overridable by VANTORA_BASE_URL), the pause helper
// (scaled by VANTORA_PAUSE_SCALE), and the program's own folder that holds the
// scratch file "tmp.dat" and the settings file "fnc.ini".
#pragma once

#include <string>

namespace vantora {

// The built-in base address: scheme, "://", host, no trailing slash.
extern const char* const kDefaultQuoteSiteBase;

// The base address in effect: VANTORA_BASE_URL when set and not empty
// (a trailing slash removed), else kDefaultQuoteSiteBase.
std::string QuoteSiteBase();

// The pause factor in effect: VANTORA_PAUSE_SCALE when it is a finite
// number >= 0, else 1.
double PauseScale();

// Sleeps `milliseconds` times PauseScale(); a TThread asked to terminate
// wakes within 20 ms.
void Pause(int milliseconds);

// The folder of the running executable, with a trailing '/'.
std::string ProgramFolder();

// ProgramFolder() + "tmp.dat".
std::string ScratchFilePath();

}  // namespace vantora
