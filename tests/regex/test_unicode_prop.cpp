// Tests of the Unicode 6.1 property data: known characters, the edges of the
// case mapping and of the block table, the name list, and a sweep of every
// code point against the digest written from the npm data by the generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "regex/UnicodeProp.h"

namespace vantora {
namespace {

TEST(UnicodeProp, KnownCharacters) {
  EXPECT_EQ(GetUnicodeCategory(0x41), upLu);
  EXPECT_EQ(GetUnicodeScript(0x41), upLatin);
  EXPECT_EQ(GetUnicodeLowerCase(0x41), 0x61u);
  EXPECT_EQ(GetUnicodeUpperCase(0x61), 0x41u);
  EXPECT_EQ(GetUnicodeGeneralCategory(0x41), upL);

  EXPECT_EQ(GetUnicodeScript(0x3042), upHiragana);
  EXPECT_EQ(GetUnicodeBlock(0x3042), upInHiragana);
  EXPECT_EQ(GetUnicodeScript(0x30A2), upKatakana);
  EXPECT_EQ(GetUnicodeBlock(0x30A2), upInKatakana);
  EXPECT_EQ(GetUnicodeScript(0x4E00), upHan);
  EXPECT_EQ(GetUnicodeCategory(0x4E00), upLo);

  EXPECT_EQ(GetUnicodeCategory(0xFF21), upLu);  // full-width A
  EXPECT_EQ(GetUnicodeLowerCase(0xFF21), 0xFF41u);
  EXPECT_EQ(GetUnicodeUpperCase(0xFF41), 0xFF21u);
  EXPECT_EQ(GetUnicodeBlock(0xFF21), upInHalfwidthandFullwidthForms);

  // Scripts new in 6.1 and the three at the end of the script order.
  EXPECT_EQ(GetUnicodeScript(0x11103), upChakma);
  EXPECT_EQ(GetUnicodeScript(0x16F00), upMiao);
  EXPECT_EQ(GetUnicodeScript(0x109A0), upMeroiticCursive);
  EXPECT_EQ(GetUnicodeScript(0xA000), upYi);
  EXPECT_EQ(GetUnicodeScript(0x0300), upInherited);
  EXPECT_EQ(GetUnicodeScript(0x30FC), upCommon);  // prolonged sound mark: shared by both kana
  EXPECT_EQ(GetUnicodeScript(0x0378), upunKnown);  // unassigned

  // Categories without letters: surrogates, private use, noncharacters.
  EXPECT_EQ(GetUnicodeCategory(0xD800), upCs);
  EXPECT_EQ(GetUnicodeCategory(0xE000), upCo);
  EXPECT_EQ(GetUnicodeCategory(0xFFFF), upCn);
  EXPECT_EQ(GetUnicodeCategory(0x10FFFD), upCo);
  EXPECT_EQ(GetUnicodeGeneralCategory(0x10FFFF), upC);
  EXPECT_EQ(GetUnicodeCategory(0x3000), upZs);
  EXPECT_EQ(GetUnicodeGeneralCategory(0x3000), upZ);
}

TEST(UnicodeProp, CaseMappingOnlyForLowerAndUpperLetters) {
  // Titlecase letters map to themselves both ways, but are cased letters.
  EXPECT_EQ(GetUnicodeCategory(0x01C5), upLt);
  EXPECT_EQ(GetUnicodeUpperCase(0x01C5), 0x01C5u);
  EXPECT_EQ(GetUnicodeLowerCase(0x01C5), 0x01C5u);
  EXPECT_TRUE(IsUnicodeProperty(0x01C5, upLC));
  EXPECT_TRUE(IsUnicodeProperty(0x41, upLC));
  EXPECT_TRUE(IsUnicodeProperty(0x61, upLC));
  EXPECT_FALSE(IsUnicodeProperty(0x02B0, upLC));  // modifier letter Lm
  EXPECT_FALSE(IsUnicodeProperty(0x4E00, upLC));

  // Non-letters with case mappings in the data map to themselves.
  EXPECT_EQ(GetUnicodeLowerCase(0x2160), 0x2160u);  // Roman numeral one, Nl
  EXPECT_EQ(GetUnicodeUpperCase(0x2170), 0x2170u);
  EXPECT_EQ(GetUnicodeLowerCase(0x24B6), 0x24B6u);  // circled A, So
  EXPECT_EQ(GetUnicodeUpperCase(0x0345), 0x0345u);  // combining ypogegrammeni, Mn

  // Mappings that leave ASCII or are far away.
  EXPECT_EQ(GetUnicodeUpperCase(0x0131), 0x49u);   // dotless i
  EXPECT_EQ(GetUnicodeLowerCase(0x0130), 0x69u);   // I with dot above
  EXPECT_EQ(GetUnicodeUpperCase(0x00B5), 0x039Cu); // micro sign
  EXPECT_EQ(GetUnicodeUpperCase(0x03C2), 0x03A3u); // final sigma
  EXPECT_EQ(GetUnicodeUpperCase(0x00FF), 0x0178u);
  EXPECT_EQ(GetUnicodeLowerCase(0x212A), 0x6Bu);   // Kelvin sign
  EXPECT_EQ(GetUnicodeLowerCase(0x1E9E), 0xDFu);   // capital sharp s
  EXPECT_EQ(GetUnicodeUpperCase(0x00DF), 0xDFu);   // sharp s: no one-to-one upper case
  EXPECT_EQ(GetUnicodeLowerCase(0x10400), 0x10428u);  // Deseret, outside the BMP
  EXPECT_EQ(GetUnicodeUpperCase(0x10428), 0x10400u);
  EXPECT_EQ(GetUnicodeUpperCase(0x41), 0x41u);  // already upper case
  EXPECT_EQ(GetUnicodeLowerCase(0x61), 0x61u);
}

TEST(UnicodeProp, BlockEdgesAndCodePointsInNoBlock) {
  EXPECT_EQ(GetUnicodeBlock(0x0000), upInBasicLatin);
  EXPECT_EQ(GetUnicodeBlock(0x007F), upInBasicLatin);
  EXPECT_EQ(GetUnicodeBlock(0x0080), upInLatin1Supplement);
  EXPECT_EQ(GetUnicodeBlock(0x085F), upInMandaic);
  EXPECT_EQ(GetUnicodeBlock(0x08A0), upInArabicExtendedA);
  EXPECT_EQ(GetUnicodeBlock(0xE01EF), upInVariationSelectorsSupplement);
  EXPECT_EQ(GetUnicodeBlock(0xF0000), upInSupplementaryPrivateUseAreaA);
  EXPECT_EQ(GetUnicodeBlock(0x10FFFF), upInSupplementaryPrivateUseAreaB);

  for (std::uint32_t cp : {0x0860u, 0x089Fu, 0x2FE0u, 0x1AB0u, 0xE0080u, 0x30000u, 0xEFFFFu}) {
    SCOPED_TRACE(cp);
    EXPECT_EQ(GetUnicodeBlock(cp), upNoBlock);
    EXPECT_FALSE(IsUnicodeProperty(cp, upInBasicLatin));
    EXPECT_FALSE(IsUnicodeProperty(cp, upNoBlock));
    EXPECT_TRUE(UnicodePropertyName(upNoBlock).empty());
  }
  EXPECT_TRUE(IsUnicodeProperty(0x41, upInBasicLatin));
  EXPECT_FALSE(IsUnicodeProperty(0x41, upNoBlock));
}

TEST(UnicodeProp, CodePointsAboveTheRangeAreUnassigned) {
  for (std::uint32_t cp : {0x110000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(cp);
    EXPECT_EQ(GetUnicodeCategory(cp), upCn);
    EXPECT_EQ(GetUnicodeScript(cp), upunKnown);
    EXPECT_EQ(GetUnicodeBlock(cp), upNoBlock);
    EXPECT_EQ(GetUnicodeUpperCase(cp), cp);
    EXPECT_EQ(GetUnicodeLowerCase(cp), cp);
    EXPECT_FALSE(IsUnicodeProperty(cp, upInSupplementaryPrivateUseAreaB));
  }
}

TEST(UnicodeProp, PropertyGroupsAndOutOfRangeValues) {
  EXPECT_TRUE(IsUnicodeProperty(0x0300, upM));
  EXPECT_TRUE(IsUnicodeProperty(0x0300, upMn));
  EXPECT_FALSE(IsUnicodeProperty(0x0300, upL));
  EXPECT_TRUE(IsUnicodeProperty(0x0378, upunKnown));
  EXPECT_FALSE(IsUnicodeProperty(0x41, upunKnown));
  EXPECT_TRUE(IsUnicodeProperty(0x3042, upHiragana));
  EXPECT_FALSE(IsUnicodeProperty(0x3042, upKatakana));
  EXPECT_TRUE(IsUnicodeProperty(0x20, upZs));
  EXPECT_FALSE(IsUnicodeProperty(0x20, upZl));
  EXPECT_FALSE(IsUnicodeProperty(0x41, static_cast<TUnicodeProperty>(1000)));
  EXPECT_TRUE(UnicodePropertyName(static_cast<TUnicodeProperty>(1000)).empty());
}

TEST(UnicodeProp, NameList) {
  const auto names = PropertyNames();
  ASSERT_EQ(names.size(), static_cast<std::size_t>(UnicodePropertyCount) + 1);

  // Sorted and unique without regard to case; every value named exactly once
  // except upLC, which also answers to "L&".
  auto lower = [](std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  };
  std::map<int, int> timesNamed;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) {
      EXPECT_LT(lower(names[i - 1].Name), lower(names[i].Name)) << names[i].Name;
    }
    ++timesNamed[names[i].Value];
    EXPECT_EQ(FindUnicodeProperty(names[i].Name), names[i].Value) << names[i].Name;
  }
  for (int v = 0; v < UnicodePropertyCount; ++v) {
    EXPECT_EQ(timesNamed[v], v == upLC ? 2 : 1) << v;
    const auto prop = static_cast<TUnicodeProperty>(v);
    EXPECT_EQ(FindUnicodeProperty(UnicodePropertyName(prop)), prop) << v;
  }

  EXPECT_EQ(FindUnicodeProperty("L&"), upLC);
  EXPECT_EQ(FindUnicodeProperty("LC"), upLC);
  EXPECT_EQ(FindUnicodeProperty("lc"), upLC);
  EXPECT_EQ(FindUnicodeProperty("L"), upL);
  EXPECT_EQ(FindUnicodeProperty("lu"), upLu);
  EXPECT_EQ(FindUnicodeProperty("hiragana"), upHiragana);
  EXPECT_EQ(FindUnicodeProperty("InHiragana"), upInHiragana);
  EXPECT_EQ(FindUnicodeProperty("INKATAKANA"), upInKatakana);
  EXPECT_EQ(FindUnicodeProperty("KatakanaOrHiragana"), upKatakanaOrHiragana);
  EXPECT_EQ(FindUnicodeProperty("unknown"), upunKnown);
  EXPECT_EQ(FindUnicodeProperty("InCJKSymbolsandPunctuation"), upInCJKSymbolsandPunctuation);
  EXPECT_EQ(FindUnicodeProperty("InCombiningDiacriticalMarksforSymbols"), upInCombiningDiacriticalMarksforSymbols);
  EXPECT_EQ(FindUnicodeProperty("Inlatin1supplement"), upInLatin1Supplement);
  EXPECT_EQ(FindUnicodeProperty("PhagsPa"), upPhagsPa);
  EXPECT_EQ(FindUnicodeProperty("InPhagspa"), upInPhagsPa);
  EXPECT_EQ(UnicodePropertyName(upLC), "LC");
  EXPECT_EQ(UnicodePropertyName(upunKnown), "unKnown");

  // Only exact names: no separators, prefixes or extra characters.
  for (const char* bad : {"", "Lu ", "Old_Italic", "In", "Is", "IsHiragana", "Hiragana2", "L&&", "Latn"}) {
    EXPECT_FALSE(FindUnicodeProperty(bad).has_value()) << bad;
  }
}

TEST(UnicodeProp, NameListFirstUsedFromManyThreads) {
  std::vector<std::thread> threads;
  std::vector<int> found(8, -1);
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&found, i] {
      const auto p = FindUnicodeProperty(i % 2 ? "L&" : "InHiragana");
      found[i] = p ? *p : -1;
    });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < 8; ++i) EXPECT_EQ(found[i], i % 2 ? upLC : upInHiragana);
}

// ---- sweep of every code point against the generator's digest --------------

struct Digest {
  struct Run {
    std::uint32_t first;
    TUnicodeProperty category, script, block;
  };
  std::vector<Run> runs;
  std::map<std::uint32_t, std::uint32_t> upper, lower;
};

TUnicodeProperty Named(const std::string& name) {
  const auto p = FindUnicodeProperty(name);
  if (!p) ADD_FAILURE() << "digest names unknown property " << name;
  return p.value_or(upNoBlock);
}

Digest ReadDigest() {
  Digest digest;
  std::ifstream in(VANTORA_FIXTURES_DIR "/unicode/properties-6.1.txt");
  EXPECT_TRUE(in) << "digest missing";
  std::string line;
  bool ended = false;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string kind, cp, a, b, c;
    fields >> kind >> cp >> a >> b >> c;
    if (kind == "E") {
      ended = true;
      break;
    }
    const auto code = static_cast<std::uint32_t>(std::stoul(cp, nullptr, 16));
    if (kind == "R") {
      digest.runs.push_back({code, Named(a), Named(b), c == "-" ? upNoBlock : Named(c)});
    } else {
      (kind == "U" ? digest.upper : digest.lower)[code] = static_cast<std::uint32_t>(std::stoul(a, nullptr, 16));
    }
  }
  EXPECT_TRUE(ended) << "digest truncated";
  return digest;
}

TEST(UnicodeProp, EveryCodePointMatchesTheUnicodeData) {
  const Digest digest = ReadDigest();
  ASSERT_FALSE(digest.runs.empty());
  ASSERT_EQ(digest.runs.front().first, 0u);
  ASSERT_GT(digest.upper.size(), 900u);
  ASSERT_GT(digest.lower.size(), 900u);

  std::set<int> scriptsSeen, blocksSeen;
  std::size_t failures = 0;
  std::size_t run = 0;
  for (std::uint32_t cp = 0; cp <= UnicodeMaxCodePoint && failures < 20; ++cp) {
    if (run + 1 < digest.runs.size() && digest.runs[run + 1].first == cp) ++run;
    const Digest::Run& want = digest.runs[run];
    const TUnicodeProperty category = GetUnicodeCategory(cp);
    const TUnicodeProperty script = GetUnicodeScript(cp);
    const TUnicodeProperty block = GetUnicodeBlock(cp);
    const auto up = digest.upper.find(cp);
    const auto low = digest.lower.find(cp);
    const std::uint32_t wantUpper = up == digest.upper.end() ? cp : up->second;
    const std::uint32_t wantLower = low == digest.lower.end() ? cp : low->second;
    const bool ok = category == want.category && script == want.script && block == want.block &&
                    GetUnicodeUpperCase(cp) == wantUpper && GetUnicodeLowerCase(cp) == wantLower &&
                    IsUnicodeProperty(cp, category) && IsUnicodeProperty(cp, script) &&
                    IsUnicodeProperty(cp, block) == (block != upNoBlock) &&
                    IsUnicodeProperty(cp, GetUnicodeGeneralCategory(cp)) &&
                    IsUnicodeProperty(cp, upLC) == (category == upLl || category == upLt || category == upLu) &&
                    GetUnicodeGeneralCategory(cp) == FindUnicodeProperty(UnicodePropertyName(category).substr(0, 1)) &&
                    !IsUnicodeProperty(cp, category == upCc ? upCf : upCc) &&
                    !IsUnicodeProperty(cp, script == upCommon ? upLatin : upCommon);
    if (!ok) {
      ++failures;
      ADD_FAILURE() << std::hex << "U+" << cp << ": category " << UnicodePropertyName(category) << "/"
                    << UnicodePropertyName(want.category) << ", script " << UnicodePropertyName(script) << "/"
                    << UnicodePropertyName(want.script) << ", block " << UnicodePropertyName(block) << "/"
                    << UnicodePropertyName(want.block) << ", upper " << GetUnicodeUpperCase(cp) << "/" << wantUpper
                    << ", lower " << GetUnicodeLowerCase(cp) << "/" << wantLower;
    }
    scriptsSeen.insert(script);
    if (block != upNoBlock) blocksSeen.insert(block);
  }
  EXPECT_EQ(failures, 0u);
  // Every block is reached; every script but KatakanaOrHiragana (no code
  // points in 6.1) is reached, and so is "no script".
  EXPECT_EQ(blocksSeen.size(), static_cast<std::size_t>(UnicodeBlockCount));
  EXPECT_EQ(scriptsSeen.size(), static_cast<std::size_t>(UnicodeScriptCount) - 1 + 1);
  EXPECT_EQ(scriptsSeen.count(upKatakanaOrHiragana), 0u);
  EXPECT_EQ(scriptsSeen.count(upunKnown), 1u);
}

}  // namespace
}  // namespace vantora
