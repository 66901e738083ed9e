// The file calls of FileName.h on Linux: the C library's, which take the
// name's bytes as they are; a path is those bytes.
#include "common/FileName.h"

#include <unistd.h>

#include <cstdio>

namespace vantora {

std::filesystem::path NativePath(std::string_view name) { return std::filesystem::path(std::string(name)); }

std::string NameOf(const std::filesystem::path& path) { return path.string(); }

std::FILE* OpenFile(const std::string& name, const char* mode) { return std::fopen(name.c_str(), mode); }

bool RenameReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& name) { return ::unlink(name.c_str()) == 0; }

}  // namespace vantora
