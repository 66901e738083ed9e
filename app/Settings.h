// Reader and writer of the profile (INI) file format the settings file
// "fnc.ini" uses: "[Section]" lines and "Key=Value" lines, bytes in Shift-JIS.
// One value is read or written per call; a write rewrites the one line it
// concerns (or adds it) and keeps every other byte of the file as it was,
// except a UTF-8 byte-order mark at its start, which reading skips and
// writing drops. A write replaces the file as a whole (a new file renamed
// over it), so a crash leaves the old file and a symbolic link is replaced,
// not followed.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#ifdef _WIN32
// windows.h first, so that its WriteProfileString A/W macro can be taken away
// from the names here whatever a file includes after this.
#include <windows.h>
#undef WriteProfileString
#endif

namespace vantora {

// At most this many bytes of a value are returned (a 2048-byte buffer).
inline constexpr std::size_t kProfileValueLimit = 2047;

// A write the system refused. what() is "<path> に書き込めません" in UTF-8.
class ProfileWriteError : public std::runtime_error {
 public:
  explicit ProfileWriteError(const std::string& path);
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The value of `key` in the first `section` of `contents` (names compared
// without regard to ASCII case; the value without surrounding blanks and
// without one pair of enclosing quotes, cut to kProfileValueLimit bytes
// without splitting a double-byte character), or `defaultValue`.
std::string ProfileLookup(std::string_view contents, std::string_view section,
                          std::string_view key, std::string_view defaultValue);

// `contents` with `key` of `section` set to `value`: the key's line replaced,
// or a new line added after the section's last entry, or the section and the
// line added at the end. Line breaks inside `value` become blanks.
std::string ProfileUpdate(std::string_view contents, std::string_view section,
                          std::string_view key, std::string_view value);

// The file-level forms. A missing or unreadable file reads as empty; a write
// that fails throws ProfileWriteError.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue);
void WriteProfileString(const std::string& path, std::string_view section,
                        std::string_view key, std::string_view value);

// A profile integer: decimal with an optional sign, or hexadecimal after
// "0x"/"0X" (at least one digit); nothing for any other text or an overflow.
std::optional<long long> ParseProfileInteger(std::string_view text);

// ReadProfileString read as an integer; non-zero is true; `defaultValue`
// when the key is absent or not a number.
bool ReadProfileBool(const std::string& path, std::string_view section, std::string_view key,
                     bool defaultValue);

}  // namespace vantora
