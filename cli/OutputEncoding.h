// The UTF-8 form of a finished output file: the job's Shift-JIS bytes
// converted, behind a byte-order mark so that spreadsheet programs in any
// locale read the text without garbling it.
#pragma once

#include <string>

namespace vantora::cli {

// Reads the Shift-JIS file `sjisPath` and writes `utf8Path` as the UTF-8 byte
// order mark followed by the converted text (line ends kept). False when a
// file cannot be read or written.
bool WriteUtf8Copy(const std::string& sjisPath, const std::string& utf8Path);

}  // namespace vantora::cli
