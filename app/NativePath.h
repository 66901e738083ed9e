// File paths of the window's UTF-8 texts: as a std::filesystem path, as the
// bytes the worker opens (the native narrow encoding: UTF-8 on Linux, the
// ANSI code page 932 on Windows) and as shown to the user (the platform's
// separators).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantora {

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);
std::string NativePathBytes(std::string_view utf8);
std::string NativePathToUtf8(std::string_view native);
std::string DisplayPath(std::string_view utf8);

}  // namespace vantora
