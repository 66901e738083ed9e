// Declarations of the Unicode 6.1 tables that the generated UnicodeTables.cpp
// defines; only UnicodeProp.cpp and the tests read them directly.
//   UnicodeCategory1Table: for each 128-code-point page (cp >> 7) the page's
//                          index into UnicodeCategory2Table (in pages)
//   UnicodeCategory2Table: 128 entries per distinct page, each the index of the
//                          code point's record in UnicodeCharTypeTable
//   UnicodeCharTypeTable:  one record per distinct (script, category, case delta)
//   UnicodeGeneralCategoryTable: for each category 0..30 its major category 0..6
//   UnicodeBlockTable:     first and last code point of each block, ascending
//   UnicodePropertyNameTable: the name of each TUnicodeProperty value
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "regex/UnicodeProp.h"

namespace vantora::unicode_tables {

inline constexpr unsigned PageBits = 7;
inline constexpr std::uint32_t PageSize = 1u << PageBits;
inline constexpr std::size_t PageCount = (UnicodeMaxCodePoint + 1) >> PageBits;  // 8704
inline constexpr std::size_t CategoryCount = 31;

struct TUnicodeBlockRange {
  std::uint32_t First;
  std::uint32_t Last;
};

extern const std::uint8_t UnicodeCategory1Table[PageCount];
extern const std::uint16_t UnicodeCategory2Table[];
extern const std::size_t UnicodeCategory2TableSize;
extern const TUnicodeCharType UnicodeCharTypeTable[];
extern const std::size_t UnicodeCharTypeCount;
extern const std::uint16_t UnicodeGeneralCategoryTable[CategoryCount];
extern const TUnicodeBlockRange UnicodeBlockTable[UnicodeBlockCount];
extern const std::string_view UnicodePropertyNameTable[UnicodePropertyCount];

}  // namespace vantora::unicode_tables
