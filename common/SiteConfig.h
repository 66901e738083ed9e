// Where pages come from and how long the job waits between them: the quote
// site base address (VANTORA_BASE_URL, else the address the window was given,
// else the placeholder), the pause helper (scaled by VANTORA_PAUSE_SCALE), and
// the folders of the settings file "fnc.ini" and the scratch file "tmp.dat":
// beside the program when its folder is writable (a portable copy), else the
// user's XDG config and cache folders (an installed program).
#pragma once

#include <optional>
#include <string>

namespace vantora {

// The built-in base address: scheme, "://", host, no trailing slash.
extern const char* const kDefaultQuoteSiteBase;

// The base address in effect: VANTORA_BASE_URL when set and not empty
// (a trailing slash removed), else the configured address when one is set,
// else kDefaultQuoteSiteBase.
std::string QuoteSiteBase();

// Whether VANTORA_BASE_URL decides the base address.
bool QuoteSiteBaseFromEnvironment();

// The address the user chose (the window's site setting), used when
// VANTORA_BASE_URL is not set; empty: none. Safe to call from any thread.
void SetConfiguredQuoteSiteBase(const std::string& base);
std::string ConfiguredQuoteSiteBase();

// Whether `base` is the built-in placeholder, to which no run may go.
bool IsPlaceholderQuoteSiteBase(const std::string& base);

// The pause factor in effect: VANTORA_PAUSE_SCALE when it is a finite
// number >= 0, else 1.
double PauseScale();

// Sleeps `milliseconds` times PauseScale(); a TThread asked to terminate
// wakes within 20 ms.
void Pause(int milliseconds);

// The folder of the running executable, with a trailing '/'.
std::string ProgramFolder();

// Whether the settings and the scratch file stay in ProgramFolder() (a
// portable copy): the folder is writable for this user and is not an
// installation's bin folder (one with "../share/vantora" beside it, where even
// an administrator's run must not leave files). A test may pretend the folder
// is not writable through SetProgramFolderWritableOverride.
bool FilesBesideProgram();
// Test seam: true or false replaces the look at the folder; nothing restores it.
void SetProgramFolderWritableOverride(std::optional<bool> writable);

// The folder of "fnc.ini", with a trailing '/': ProgramFolder() when
// FilesBesideProgram(), else $XDG_CONFIG_HOME/vantora/ (default ~/.config/vantora/),
// created when missing.
std::string SettingsFolder();

// The scratch file: ProgramFolder() + "tmp.dat" when FilesBesideProgram(),
// else "tmp.dat" in $XDG_CACHE_HOME/vantora/ (default ~/.cache/vantora/),
// the folder created when missing.
std::string ScratchFilePath();

}  // namespace vantora
