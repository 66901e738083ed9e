// Text helpers of the worker (split, tag stripping, width normalising, trim,
// case-insensitive search, remove and replace) on Shift-JIS (code page 932) byte strings. Every search steps over
// double-byte characters: a match never starts on the second byte of a
// Shift-JIS character (that byte can be an ASCII letter or '@', '[', '|' ...).
// Case-insensitive means ASCII letters compared without regard to case; bytes
// of double-byte characters are compared exactly. Pure functions.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantora {

using StringList = std::vector<std::string>;

// SplitText: appends the non-empty pieces of `source` between
// occurrences of `delimiter` (case-sensitive) to `list`; pieces untrimmed; the
// list is not emptied first. An empty delimiter appends the whole source.
void SplitText(std::string_view source, std::string_view delimiter, StringList& list);

// The same pieces as SplitText, as views into `source`, handed to `onPiece`
// in order until it returns false.
void ForEachPiece(std::string_view source, std::string_view delimiter,
                  const std::function<bool(std::string_view piece)>& onPiece);

// Each line of `text` (split at CR LF, CR or LF; the line ends dropped; a
// last line without a line end included when not empty), as views, handed
// to `onLine` in order until it returns false.
void ForEachLine(std::string_view text, const std::function<bool(std::string_view line)>& onLine);

// StripTags: removes every run "<[^>]*>"; a '<' without a later '>'
// stays with the rest.
std::string StripTags(std::string_view text);

// NormalizeWidth: ideographic space -> ' ', U+FF0D and U+2010 -> '-',
// '?' -> '-', full-width parentheses -> '(' ')', full-width digits -> ASCII.
std::string NormalizeWidth(std::string_view text);

// Removes leading and trailing bytes <= 0x20 (a full-width space stays).
std::string Trim(std::string_view text);
// The same as a view into `text` (no copy).
std::string_view TrimView(std::string_view text);

// The byte index of the first occurrence of `what` in `text` at or after
// byte index `from` (a character boundary), or npos. An empty `what` is never
// found.
std::size_t FindText(std::string_view text, std::string_view what, std::size_t from = 0);
std::size_t FindTextIgnoreCase(std::string_view text, std::string_view what,
                               std::size_t from = 0);
inline bool ContainsText(std::string_view text, std::string_view what) {
  return FindText(text, what) != std::string_view::npos;
}

// Every occurrence of `what` (case-insensitive, left to right, no overlap)
// replaced by `with` / removed. An empty `what` changes nothing.
std::string ReplaceTextIgnoreCase(std::string_view text, std::string_view what,
                                  std::string_view with);
inline std::string RemoveTextIgnoreCase(std::string_view text, std::string_view what) {
  return ReplaceTextIgnoreCase(text, what, {});
}

// Whether the two texts are equal, ASCII letters compared without regard to
// case (double-byte characters compared exactly).
bool SameTextIgnoreCase(std::string_view a, std::string_view b);

// The largest cut <= `bytes` that does not split a double-byte character:
// `bytes` itself, or `bytes` - 1 when byte index `bytes` - 1 is the first
// byte of a double-byte character. At most text.size().
std::size_t SafeCutLength(std::string_view text, std::size_t bytes);

}  // namespace vantora
