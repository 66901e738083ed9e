// Pattern-language tables: POSIX class names and the resolution of
// \p{...} names to a Unicode property or a POSIX class.
// Covered by tests/regex/test_lexer.cpp.
#pragma once

#include <string>
#include <string_view>

#include "regex/RegExpTypes.h"
#include "regex/UnicodeProp.h"

namespace vantora {

// The class of a [:name:] name ("alnum" ... "assigned"), or pckNone.
TREPosixClassKind REPosixClassOf(std::u16string_view name);

enum class TREPropertyLookup { Property, Posix, InvalidChar, Unknown };

// Resolves the text between \p{ and }: separators ('-', '_', white space)
// are dropped; other characters must be ASCII letters, digits or '&'. The
// name is looked up without regard to case in the property-name list, then
// among the POSIX-style names ("isalnum", "alnum", ... "isspaceperl"), then,
// for names beginning with "Is", as "In" + the rest (a block).
TREPropertyLookup RELookupProperty(std::u16string_view name, TUnicodeProperty& prop,
                                   TREPosixClassKind& posix);

}  // namespace vantora
