// Pattern-language tables (see RegExpSyntax.h).
// Covered by tests/regex/test_lexer.cpp.
#include "regex/RegExpSyntax.h"

#include <cctype>

namespace vantora {

namespace {

struct TPosixName {
  std::string_view Name;
  TREPosixClassKind Kind;
};

constexpr TPosixName kPosixNames[] = {
    {"alnum", pckAlnum}, {"alpha", pckAlpha}, {"ascii", pckAscii},   {"blank", pckBlank},
    {"cntrl", pckCntrl}, {"digit", pckDigit}, {"graph", pckGraph},   {"lower", pckLower},
    {"print", pckPrint}, {"punct", pckPunct}, {"space", pckSpace},   {"upper", pckUpper},
    {"xdigit", pckXdigit}, {"word", pckWord}, {"any", pckAny},       {"assigned", pckAssigned},
};

// Names \p{...} accepts for POSIX classes (compared in lower case).
constexpr TPosixName kPropertyPosixNames[] = {
    {"isalnum", pckAlnum},   {"alnum", pckAlnum},   {"isalpha", pckAlpha},
    {"alpha", pckAlpha},     {"isascii", pckAscii}, {"ascii", pckAscii},
    {"isblank", pckBlank},   {"blank", pckBlank},   {"iscntrl", pckCntrl},
    {"cntrl", pckCntrl},     {"isdigit", pckDigit}, {"digit", pckDigit},
    {"isgraph", pckGraph},   {"islower", pckLower}, {"isprint", pckPrint},
    {"ispunct", pckPunct},   {"isspace", pckSpace}, {"isspaceperl", pckSpacePerl},
    {"isupper", pckUpper},   {"isxdigit", pckXdigit}, {"isword", pckWord},
    {"isany", pckAny},       {"isassigned", pckAssigned},
};

}  // namespace

TREPosixClassKind REPosixClassOf(std::u16string_view name) {
  for (const auto& n : kPosixNames) {
    if (n.Name.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i) same = name[i] == static_cast<char16_t>(n.Name[i]);
    if (same) return n.Kind;
  }
  return pckNone;
}

TREPropertyLookup RELookupProperty(std::u16string_view name, TUnicodeProperty& prop,
                                   TREPosixClassKind& posix) {
  std::string key;
  for (char16_t c : name) {
    if (c == u'-' || c == u'_' || c == u'\t' || c == u'\n' || c == 0x0B || c == 0x0C || c == u'\r' ||
        c == u' ')
      continue;
    bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
              c == u'&';
    if (!ok) return TREPropertyLookup::InvalidChar;
    key += static_cast<char>(c);
  }
  if (key.empty()) return TREPropertyLookup::Unknown;
  if (auto p = FindUnicodeProperty(key)) {
    prop = *p;
    return TREPropertyLookup::Property;
  }
  std::string lower;
  for (char c : key) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const auto& n : kPropertyPosixNames)
    if (n.Name == lower) {
      posix = n.Kind;
      return TREPropertyLookup::Posix;
    }
  if (lower.size() > 2 && lower[0] == 'i' && lower[1] == 's') {
    if (auto p = FindUnicodeProperty("In" + key.substr(2))) {
      prop = *p;
      return TREPropertyLookup::Property;
    }
  }
  return TREPropertyLookup::Unknown;
}

}  // namespace vantora
