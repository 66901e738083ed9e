// File names as the program holds them (std::string: UTF-8 on Windows, the
// bytes of the file system on Linux) and the calls that take them, so that a
// name with Japanese characters opens on every platform: Windows wants its
// names in UTF-16, converted from and to the UTF-8 form here.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantora {

// The path of the name `name`.
std::filesystem::path NativePath(std::string_view name);
// The name of `path`, as the program holds names.
std::string NameOf(const std::filesystem::path& path);

// std::fopen for the name `name`; null with errno set when it fails.
std::FILE* OpenFile(const std::string& name, const char* mode);

// Renames `from` to `to`, replacing a file `to` that exists (also one that
// is open); false with errno set when that failed.
bool RenameReplacing(const std::string& from, const std::string& to);

// Deletes the file `name`; false when there was none or it cannot go.
bool RemoveFile(const std::string& name);

// Whether anything (a file, a folder, a link) has the name `name`.
bool NameExists(const std::string& name);

}  // namespace vantora
