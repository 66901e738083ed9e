// Conversions between the window's UTF-8 texts and the Shift-JIS bytes the
// worker and the settings file use, the trim the window applies to typed
// text, and the filling in of "%1", "%2" ... in a message.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "common/Charset.h"

namespace vantora {

inline std::string ToSjis(std::string_view utf8) { return Utf8ToCp932(utf8); }
inline std::string FromSjis(std::string_view bytes) { return Cp932ToUtf8(bytes); }

// `text` without leading and trailing blanks and control characters
// (characters up to U+0020; an ideographic space stays).
std::string TrimControls(std::string_view text);

// `pattern` with each "%1" .. "%9" replaced by the argument of that number,
// in one pass (an argument's own "%2" stays as it is); a '%' before anything
// else, or before a number without an argument, stays.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments);

}  // namespace vantora
