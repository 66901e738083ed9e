// Conversions between the window's QString texts and the Shift-JIS bytes the
// worker and the settings file use, and the trim the window applies to typed
// text.
#pragma once

#include <QString>
#include <string>

#include "common/Charset.h"

namespace vantora {

inline std::string ToSjis(const QString& text) { return Utf16ToCp932(text.toStdU16String()); }

inline QString FromSjis(const std::string& bytes) {
  return QString::fromStdU16String(Cp932ToUtf16(bytes));
}

// `text` without leading and trailing blanks and control characters
// (characters up to U+0020; an ideographic space stays).
inline QString TrimControls(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && text[first].unicode() <= 0x20) ++first;
  while (last > first && text[last - 1].unicode() <= 0x20) --last;
  return text.mid(first, last - first);
}

}  // namespace vantora
