// Profile (INI) file reading and writing for the settings file: lookup and
// update on the file's bytes, and the file-level wrappers.
#include "app/Settings.h"

#include <charconv>
#include <filesystem>
#include <system_error>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/ReplaceFile.h"
#include "common/Charset.h"
#include "common/FileName.h"
#include "common/TextUtil.h"

namespace vantora {

namespace {

struct Line {
  std::string text;  // without its line end
  std::string end;   // "\r\n", "\n" or "" (last line without a break)
};

// A UTF-8 byte-order mark, which an editor may put at the start of the file.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The lines of `contents`. A leading byte-order mark is not part of the first
// line (the file is Shift-JIS; the mark is dropped when the file is written).
std::vector<Line> SplitLines(std::string_view contents) {
  if (contents.starts_with(kUtf8Bom)) contents.remove_prefix(kUtf8Bom.size());
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < contents.size()) {
    const std::size_t lf = contents.find('\n', start);
    if (lf == std::string_view::npos) {
      lines.push_back({std::string(contents.substr(start)), ""});
      break;
    }
    std::size_t stop = lf;
    std::string end = "\n";
    if (stop > start && contents[stop - 1] == '\r') {
      --stop;
      end = "\r\n";
    }
    lines.push_back({std::string(contents.substr(start, stop - start)), end});
    start = lf + 1;
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The section name of a "[name]" line, or nothing. The closing bracket is
// searched character by character: 0x5D is also a second byte in Shift-JIS.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  for (std::size_t i = 1; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (IsSjisLeadByte(byte)) {
      ++i;
      continue;
    }
    if (line[i] == ']') return TrimBlanks(line.substr(1, i - 1));
  }
  return std::nullopt;
}

// The key of a "key=value" line ('=' is never a second byte), or nothing.
std::optional<std::string_view> KeyName(std::string_view line, std::string_view* value) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  if (value != nullptr) *value = TrimBlanks(line.substr(eq + 1));
  return TrimBlanks(line.substr(0, eq));
}

// Index range [first, last) of the lines belonging to the first `section`
// (after its header line); first == npos when the section is absent.
struct SectionRange {
  std::size_t header = std::string::npos;
  std::size_t end = 0;
};

SectionRange FindSection(const std::vector<Line>& lines, std::string_view section) {
  SectionRange range;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i].text);
    if (!name) continue;
    if (range.header != std::string::npos) {
      range.end = i;
      return range;
    }
    if (SameTextIgnoreCase(*name, section)) range.header = i;
  }
  if (range.header != std::string::npos) range.end = lines.size();
  return range;
}

std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

// The file's bytes; empty when it is missing or cannot be read (a folder of
// that name included).
std::string ReadFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(NativePath(path), ec)) return {};
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) return {};
  try {
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

ProfileWriteError::ProfileWriteError(const std::string& path)
    : std::runtime_error(path + " に書き込めません"), path_(path) {}

std::string ProfileLookup(std::string_view contents, std::string_view section,
                          std::string_view key, std::string_view defaultValue) {
  const std::vector<Line> lines = SplitLines(contents);
  const SectionRange range = FindSection(lines, section);
  if (range.header == std::string::npos) return std::string(defaultValue);
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    std::string_view value;
    const auto name = KeyName(lines[i].text, &value);
    if (name && SameTextIgnoreCase(*name, key)) {
      std::string result = Unquote(value);
      result.resize(SafeCutLength(result, kProfileValueLimit));
      return result;
    }
  }
  return std::string(defaultValue);
}

std::string ProfileUpdate(std::string_view contents, std::string_view section,
                          std::string_view key, std::string_view value) {
  std::vector<Line> lines = SplitLines(contents);
  // New lines follow the file's own line ends; CR LF for a new file.
  const std::string newEnd = (!lines.empty() && lines.front().end == "\n") ? "\n" : "\r\n";

  std::string entry = std::string(key) + "=" + std::string(value);
  for (char& c : entry) {
    if (c == '\r' || c == '\n') c = ' ';
  }

  const SectionRange range = FindSection(lines, section);
  if (range.header == std::string::npos) {
    if (!lines.empty() && lines.back().end.empty()) lines.back().end = newEnd;
    lines.push_back({"[" + std::string(section) + "]", newEnd});
    lines.push_back({entry, newEnd});
  } else {
    std::size_t lastEntry = range.header;
    bool replaced = false;
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
      const auto name = KeyName(lines[i].text, nullptr);
      if (name && SameTextIgnoreCase(*name, key)) {
        lines[i].text = entry;
        replaced = true;
        break;
      }
      if (!TrimBlanks(lines[i].text).empty()) lastEntry = i;
    }
    if (!replaced) {
      if (lines[lastEntry].end.empty()) lines[lastEntry].end = newEnd;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastEntry + 1), {entry, newEnd});
    }
  }

  std::string out;
  for (const Line& line : lines) out += line.text + line.end;
  return out;
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
  return ProfileLookup(ReadFile(path), section, key, defaultValue);
}

void WriteProfileString(const std::string& path, std::string_view section,
                        std::string_view key, std::string_view value) {
  if (!ReplaceFileContents(path, ProfileUpdate(ReadFile(path), section, key, value)))
    throw ProfileWriteError(path);
}

std::optional<long long> ParseProfileInteger(std::string_view text) {
  int base = 10;
  bool negative = false;
  if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text[0] == '+' || text[0] == '-') return std::nullopt;
  unsigned long long magnitude = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  if (base == 16) {
    // A hexadecimal value is a bit pattern; only zero or non-zero matters.
    return static_cast<long long>(magnitude);
  }
  constexpr unsigned long long kMax = 9223372036854775807ull;
  if (magnitude > kMax + (negative ? 1 : 0)) return std::nullopt;
  if (negative) return magnitude == kMax + 1 ? (-static_cast<long long>(kMax) - 1)
                                             : -static_cast<long long>(magnitude);
  return static_cast<long long>(magnitude);
}

bool ReadProfileBool(const std::string& path, std::string_view section, std::string_view key,
                     bool defaultValue) {
  const auto number = ParseProfileInteger(ReadProfileString(path, section, key, ""));
  return number ? *number != 0 : defaultValue;
}

}  // namespace vantora
