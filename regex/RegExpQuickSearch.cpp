// TREQuickSearch: literal search with a 256-entry shift table (see the
// header for the modes and the folded indexing of the table).
// Covered by tests/regex/test_optimize_quicksearch.cpp.
#include "regex/RegExpQuickSearch.h"

#include <vector>

#include "regex/RegExpProbeScan.h"

#include "regex/RegExpCode.h"
#include "regex/UnicodeProp.h"
#include "regex/RegExpUtf16.h"

namespace vantora {

namespace {


// Folds of the ASCII units under each of the 8 compare-option sets.
using TAsciiFold = std::array<char16_t, 128>;
const std::array<TAsciiFold, 8>& AsciiFoldTables() {
  static const std::array<TAsciiFold, 8> tables = [] {
    std::array<TAsciiFold, 8> t{};
    for (unsigned bits = 0; bits < 8; ++bits) {
      TRECompareOptions co;
      if (bits & 1u) co.Include(coIgnoreCase);
      if (bits & 2u) co.Include(coIgnoreWidth);
      if (bits & 4u) co.Include(coIgnoreKana);
      for (std::uint32_t c = 0; c < 128; ++c)
        t[bits][c] = static_cast<char16_t>(REFoldChar(c, co));
    }
    return t;
  }();
  return tables;
}

// The BMP units other than c that fold to the ASCII letter c under case
// folding (the lower-case letter, and a few others such as U+017F for S).
const std::array<std::vector<char16_t>, 128>& CaseSources() {
  static const std::array<std::vector<char16_t>, 128> sources = [] {
    std::array<std::vector<char16_t>, 128> t{};
    for (std::uint32_t u = 0; u < 0x10000; ++u) {
      if (REIsSurrogate(u)) continue;
      std::uint32_t up = GetUnicodeUpperCase(u);
      if (up != u && up < 128) t[up].push_back(static_cast<char16_t>(u));
    }
    return t;
  }();
  return sources;
}

bool IsCasedLetter(std::uint32_t c) {
  if (c < 0x80) return (c | 0x20u) >= 'a' && (c | 0x20u) <= 'z';
  TUnicodeProperty cat = GetUnicodeCategory(c);
  return cat == upLu || cat == upLl || cat == upLt;
}

constexpr bool IsKatakanaOfHiragana(std::uint32_t c) {
  return (c >= 0x30A1 && c <= 0x30F6) || (c >= 0x30FD && c <= 0x30FF);
}

}  // namespace

void TREQuickSearch::SetFindText(const std::u16string& text, bool folded) {
  FText = text;
  FTextFolded = folded;
  FCompiled = false;
}

void TREQuickSearch::SetOptions(TRECompareOptions options) {
  if (options == FOptions) return;
  FOptions = options;
  FCompiled = false;
}

void TREQuickSearch::Clear() {
  FText.clear();
  FTextFolded = false;
  FOptions = TRECompareOptions();
  FMode = qmPlain;
  FCompiled = false;
  FTextTop = FTextEnd = FLastHit = nullptr;
  FLastLength = 0;
}

char16_t TREQuickSearch::FoldUnit(char16_t u) const {
  if (u < 0x80) return (*FAsciiFold)[u];
  if (REIsSurrogate(u)) return u;
  return static_cast<char16_t>(REFoldChar(u, FOptions));
}

int TREQuickSearch::ShiftOf(char16_t unit) const {
  char16_t u = FMode == qmFolded && !FRawShift ? FoldUnit(unit) : unit;
  return static_cast<int>(FShift[u & 0xFFu]);
}

void TREQuickSearch::Compile() {
  if (FCompiled) return;
  FAsciiFold = &AsciiFoldTables()[FOptions.Bits() & 7u];
  FMode = qmPlain;
  if (!FOptions.Empty()) {
    // Fold the text character by character (as the leaves fold it).
    bool surrogates = false;
    if (FTextFolded) {
      for (char16_t u : FText)
        if (REIsSurrogate(u)) surrogates = true;
    } else {
      std::u16string folded;
      const char16_t* p = FText.data();
      const char16_t* end = p + FText.size();
      while (p < end) {
        std::uint32_t c = REReadFoldedChar(p, end, FOptions);
        if (c >= 0x10000 || REIsSurrogate(c)) surrogates = true;
        REAppendChar(folded, c);
      }
      FText = std::move(folded);
      FTextFolded = true;
    }
    FMode = FOptions.Contains(coIgnoreWidth) || surrogates ? qmScan : qmFolded;
    if (!FText.empty()) {
      const char16_t* q = FText.data();
      FFirstFolded = REReadChar(q, FText.data() + FText.size());
    }
  }
  const auto m = static_cast<std::uint32_t>(FText.size());
  FShift.fill(m + 1);
  FRawShift = false;
  FProbe = -1;
  if (FMode == qmFolded) {
    const bool kana = FOptions.Contains(coIgnoreKana), kase = FOptions.Contains(coIgnoreCase);
    FRawShift = true;
    for (std::uint32_t i = 0; i < m; ++i) {
      const char16_t t = FText[i];
      const bool cased = kase && IsCasedLetter(t);
      if (cased && t >= 0x80) FRawShift = false;
      if (!cased && !(kana && IsKatakanaOfHiragana(t))) FProbe = static_cast<int>(i);
    }
  }
  const std::array<std::vector<char16_t>, 128>& caseSources = CaseSources();
  for (std::uint32_t i = 0; i < m; ++i) {
    const char16_t t = FText[i];
    FShift[t & 0xFFu] = m - i;
    if (!FRawShift) continue;
    // Every raw form of the unit gets the same shift (later units win, as
    // the units are visited in order).
    if (FOptions.Contains(coIgnoreCase) && t < 0x80)
      for (char16_t src : caseSources[t]) FShift[src & 0xFFu] = m - i;
    if (FOptions.Contains(coIgnoreKana) && IsKatakanaOfHiragana(t)) FShift[(t - 0x60) & 0xFFu] = m - i;
  }
  ChooseProbes();
  FCompiled = true;
}

void TREQuickSearch::ChooseProbes() {
  FHasProbes = false;
  if (FMode == qmScan || FText.empty()) return;
  const bool kana = FOptions.Contains(coIgnoreKana), kase = FOptions.Contains(coIgnoreCase);
  const std::array<std::vector<char16_t>, 128>& caseSources = CaseSources();
  // The probe for text unit i, when a comparison of the raw unit decides
  // whether it folds to the text unit.
  auto probeAt = [&](int i, TREProbe& out) {
    const char16_t t = FText[static_cast<std::size_t>(i)];
    out = TREProbe{i, 0, t};
    if (FMode == qmPlain) return true;
    const bool cased = kase && IsCasedLetter(t);
    if (!cased) return !(kana && IsKatakanaOfHiragana(t));
    // An ASCII letter whose only other raw form is its other case.
    if (t >= 0x80) return false;
    const std::vector<char16_t>& src = caseSources[t];
    if (src.size() != 1 || src[0] != (t ^ 0x20u)) return false;
    out = TREProbe{i, 0x20, static_cast<char16_t>(t | 0x20u)};
    return true;
  };
  int best = -1, second = -1, bestRank = -1, secondRank = -1;
  for (int i = static_cast<int>(FText.size()) - 1; i >= 0; --i) {
    TREProbe probe;
    if (!probeAt(i, probe)) continue;
    const int rank = REUnitRarity(FText[static_cast<std::size_t>(i)]);
    if (rank > bestRank) {
      second = best, secondRank = bestRank;
      best = i, bestRank = rank;
    } else if (rank > secondRank) {
      second = i, secondRank = rank;
    }
  }
  if (best < 0) return;
  probeAt(best, FProbeA);
  probeAt(second < 0 ? best : second, FProbeB);
  FHasProbes = true;
}

const char16_t* TREQuickSearch::FindProbed(const char16_t* from, const char16_t* end) const {
  const std::size_t m = FText.size();
  if (static_cast<std::size_t>(end - from) < m) return nullptr;
  const char16_t* t = FText.data();
  const char16_t* last = end - m;
  for (const char16_t* p = from; (p = REProbeScan(p, last, FProbeA, FProbeB)); ++p) {
    std::size_t i = 0;
    if (FMode == qmPlain)
      while (i < m && p[i] == t[i]) ++i;
    else
      while (i < m && FoldUnit(p[i]) == t[i]) ++i;
    if (i == m) return p;
  }
  return nullptr;
}

bool TREQuickSearch::IsMatchAt(const char16_t* p, const char16_t* end, int& len) const {
  const std::size_t m = FText.size();
  if (FMode != qmScan) {
    if (static_cast<std::size_t>(end - p) < m) return false;
    if (FMode == qmPlain) {
      for (std::size_t i = 0; i < m; ++i)
        if (p[i] != FText[i]) return false;
    } else {
      for (std::size_t i = 0; i < m; ++i)
        if (FoldUnit(p[i]) != FText[i]) return false;
    }
    len = static_cast<int>(m);
    return true;
  }
  const char16_t* t = FText.data();
  const char16_t* tEnd = t + m;
  const char16_t* q = p;
  while (t < tEnd) {
    if (q >= end) return false;
    std::uint32_t want = REReadChar(t, tEnd);
    if (REReadFoldedChar(q, end, FOptions) != want) return false;
  }
  len = static_cast<int>(q - p);
  return true;
}

const char16_t* TREQuickSearch::FindFolded(const char16_t* from, const char16_t* end) const {
  const std::size_t m = FText.size();
  const char16_t* t = FText.data();
  const char16_t* p = from;
  const int probe = FProbe;
  const char16_t probeUnit = probe >= 0 ? t[probe] : 0;
  while (static_cast<std::size_t>(end - p) >= m) {
    if (probe < 0 || p[probe] == probeUnit) {
      std::size_t i = 0;
      while (i < m && FoldUnit(p[i]) == t[i]) ++i;
      if (i == m) return p;
    }
    if (static_cast<std::size_t>(end - p) == m) break;
    p += FShift[(FRawShift ? p[m] : FoldUnit(p[m])) & 0xFFu];
  }
  return nullptr;
}

const char16_t* TREQuickSearch::FindScan(const char16_t* from, const char16_t* end, int& len) const {
  for (const char16_t* p = from; p < end; ++p) {
    const char16_t* q = p;
    if (REReadFoldedChar(q, end, FOptions) != FFirstFolded) continue;
    if (IsMatchAt(p, end, len)) return p;
  }
  return nullptr;
}

const char16_t* TREQuickSearch::Find(const char16_t* from, const char16_t* end, int* matchLength) const {
  if (!FCompiled || FText.empty() || from >= end) return nullptr;
  int len = static_cast<int>(FText.size());
  const char16_t* hit = nullptr;
  switch (FMode) {
    case qmPlain: hit = FindProbed(from, end); break;
    case qmFolded: hit = FHasProbes ? FindProbed(from, end) : FindFolded(from, end); break;
    case qmScan: hit = FindScan(from, end, len); break;
  }
  if (hit && matchLength) *matchLength = len;
  return hit;
}

bool TREQuickSearch::Exec(const char16_t* text, int length) {
  Compile();
  FTextTop = text;
  FTextEnd = text + (length > 0 ? length : 0);
  FLastHit = Find(FTextTop, FTextEnd, &FLastLength);
  return FLastHit != nullptr;
}

bool TREQuickSearch::ExecNext() {
  if (!FLastHit) return false;
  FLastHit = Find(FLastHit + 1, FTextEnd, &FLastLength);
  return FLastHit != nullptr;
}

}  // namespace vantora
