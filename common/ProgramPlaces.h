// Where the running program is and where a user's files go, as the platform
// tells: the executable's folder, whether a folder can be written, and the
// root of the user's settings and cache folders.
#pragma once

#include <filesystem>
#include <string>

namespace vantora {

// The folder of the running executable, with a trailing '/' (declared for
// everybody in SiteConfig.h).
std::string ProgramFolder();

// Whether this user may create files in `folder`.
bool FolderWritable(const std::string& folder);

enum class UserFolderKind { kSettings, kCache };
// The folder under which the program keeps its own folder of that kind.
std::filesystem::path UserFolderRoot(UserFolderKind kind);

}  // namespace vantora
