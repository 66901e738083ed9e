// Replacing a file's whole contents safely: the bytes go to a new file in the
// same folder, which is flushed to disk and then renamed over the old name.
// A crash part-way leaves the old file as it was, and a symbolic link at the
// name is replaced by the new file rather than written through. The new file
// has the permissions of the regular file it replaces.
#pragma once

#include <string>
#include <string_view>

namespace vantora {

// False when the new file could not be created, written or renamed; the old
// file (if any) is then untouched and no temporary file is left behind.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace vantora
