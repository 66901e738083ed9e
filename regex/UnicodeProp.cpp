// Lookups of the Unicode 6.1 property data (category, script, block, simple
// case mapping, property membership) over the generated tables, and the
// property-name list used by \p{...}.
#include "regex/UnicodeProp.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "regex/UnicodeTables.h"

namespace vantora {

namespace tables = unicode_tables;

namespace {

constexpr std::uint8_t kCategoryLl = upLl - upFirstCategory;
constexpr std::uint8_t kCategoryLt = upLt - upFirstCategory;
constexpr std::uint8_t kCategoryLu = upLu - upFirstCategory;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
}

// The name list and its index, built together on first use. A function-local
// static is initialised exactly once even when threads race to it.
struct NameList {
  std::array<TUnicodePropertyName, UnicodePropertyCount + 1> sorted{};
  std::unordered_map<std::string, TUnicodeProperty> byLowerName;

  NameList() {
    for (int i = 0; i < UnicodePropertyCount; ++i) {
      sorted[i] = {tables::UnicodePropertyNameTable[i], static_cast<TUnicodeProperty>(i)};
    }
    sorted[UnicodePropertyCount] = {"L&", upLC};
    std::sort(sorted.begin(), sorted.end(),
              [](const TUnicodePropertyName& a, const TUnicodePropertyName& b) {
                return LessIgnoringCase(a.Name, b.Name);
              });
    byLowerName.reserve(sorted.size());
    for (const auto& entry : sorted) byLowerName.emplace(AsciiLower(entry.Name), entry.Value);
  }
};

const NameList& Names() {
  static const NameList names;
  return names;
}

}  // namespace

const TUnicodeCharType& GetCharType(std::uint32_t cp) {
  if (cp > UnicodeMaxCodePoint) cp = UnicodeMaxCodePoint;
  const std::uint32_t page = tables::UnicodeCategory1Table[cp >> tables::PageBits];
  const std::uint16_t type =
      tables::UnicodeCategory2Table[page * tables::PageSize + (cp & (tables::PageSize - 1))];
  return tables::UnicodeCharTypeTable[type];
}

TUnicodeProperty GetUnicodeCategory(std::uint32_t cp) {
  return static_cast<TUnicodeProperty>(upFirstCategory + GetCharType(cp).Category);
}

TUnicodeProperty GetUnicodeGeneralCategory(std::uint32_t cp) {
  const std::uint8_t category = GetCharType(cp).Category;
  return static_cast<TUnicodeProperty>(tables::UnicodeGeneralCategoryTable[category]);
}

TUnicodeProperty GetUnicodeScript(std::uint32_t cp) {
  return static_cast<TUnicodeProperty>(upunKnown + GetCharType(cp).Script);
}

std::uint32_t GetUnicodeUpperCase(std::uint32_t cp) {
  if (cp < 0x80) return cp >= 'a' && cp <= 'z' ? cp - 0x20 : cp;  // the one cased range of ASCII
  const TUnicodeCharType& type = GetCharType(cp);
  if (type.Category != kCategoryLl) return cp;
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(cp) - type.CaseDelta);
}

std::uint32_t GetUnicodeLowerCase(std::uint32_t cp) {
  const TUnicodeCharType& type = GetCharType(cp);
  if (type.Category != kCategoryLu) return cp;
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(cp) - type.CaseDelta);
}

TUnicodeProperty GetUnicodeBlock(std::uint32_t cp) {
  // Binary search for the last block whose first code point is <= cp.
  const auto* begin = std::begin(tables::UnicodeBlockTable);
  const auto* end = std::end(tables::UnicodeBlockTable);
  const auto* after = std::upper_bound(
      begin, end, cp, [](std::uint32_t value, const tables::TUnicodeBlockRange& block) { return value < block.First; });
  if (after == begin) return upNoBlock;
  const auto* block = after - 1;
  if (cp > block->Last) return upNoBlock;
  return static_cast<TUnicodeProperty>(upFirstBlock + (block - begin));
}

bool IsUnicodeProperty(std::uint32_t cp, TUnicodeProperty prop) {
  if (prop >= UnicodePropertyCount) return false;
  if (prop >= upFirstBlock) return GetUnicodeBlock(cp) == prop;
  if (prop >= upunKnown) return GetUnicodeScript(cp) == prop;
  if (prop < upFirstCategory) return GetUnicodeGeneralCategory(cp) == prop;
  const std::uint8_t category = GetCharType(cp).Category;
  if (prop == upLC) return category == kCategoryLl || category == kCategoryLt || category == kCategoryLu;
  return upFirstCategory + category == prop;
}

std::span<const TUnicodePropertyName> PropertyNames() { return Names().sorted; }

std::optional<TUnicodeProperty> FindUnicodeProperty(std::string_view name) {
  const auto& index = Names().byLowerName;
  const auto it = index.find(AsciiLower(name));
  if (it == index.end()) return std::nullopt;
  return it->second;
}

std::string_view UnicodePropertyName(TUnicodeProperty prop) {
  if (prop >= UnicodePropertyCount) return {};
  return tables::UnicodePropertyNameTable[prop];
}

}  // namespace vantora
