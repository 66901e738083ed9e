// TREQuickSearch: finds a literal text in a UTF-16 subject, optionally under
// the compare options (case, width, kana folding): by a vectorised scan for
// two of its units (probes, below) where raw units decide, else by the
// quick-search (Sunday) method: a window of the text's length slides over
// the subject; on a mismatch the window moves by the shift of the code unit
// just after it.
//
// Shift table: 256 entries indexed by the low byte of a code unit. Every
// entry starts at length + 1; for i = 0..length-1 the entry of text[i] is set
// to length - i (later positions win). The search text is stored folded, and
// the subject unit after the window is folded the same way before its low
// byte picks the shift, so a unit that only equals a text unit after folding
// ('k' against a folded 'K') still gets that unit's shift.
//
// Probes: a plain text (always), and a folded one with units that fold from
// themselves alone (a digit, a kanji) or from the two cases of an ASCII
// letter only, is instead found by a vectorised scan for its two rarest
// such units (RegExpProbeScan.h), each candidate window then compared in
// full; the shift table serves the other folded texts.
// Modes, chosen by Compile:
//   qmPlain   no folding: raw units compared and indexed;
//   qmFolded  case/kana folding of a text without surrogates: every subject
//             unit is folded on its own (each such fold maps one BMP unit to
//             one BMP unit, and a subject surrogate can never equal a text
//             unit), so windows keep the text's length. When every cased
//             letter of the text is ASCII, the table is instead entered for
//             every raw form of each text unit (both ASCII cases, the other
//             BMP units that fold to that letter, and the hiragana of a
//             katakana under kana folding), so the subject unit after the
//             window needs no folding. A window is first tested at a text
//             unit that only itself folds to (a digit, a mark, a kanji) by a
//             raw comparison;
//   qmScan    width folding (a half-width letter with its sound mark folds to
//             one letter, so a match may be longer than the text) or a
//             folded text with surrogates: position-by-position test of the
//             first folded character, then a folded comparison of the rest.
// A hit is reported with its length in subject units (MatchLength), which
// differs from the text's length only in qmScan.
// Invariant: a search never reads outside [from, end) of the call.
// Covered by tests/regex/test_optimize_quicksearch.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "regex/RegExpProbeScan.h"
#include "regex/RegExpTypes.h"

namespace vantora {

class TREQuickSearch {
 public:
  enum TMode : std::uint8_t { qmPlain, qmFolded, qmScan };

  // The text to find: folded by Compile, unless the caller says it already
  // is (the text of a literal leaf, stored folded by its options).
  void SetFindText(const std::u16string& text, bool folded = false);
  void SetOptions(TRECompareOptions options);
  // Folds the text and builds the shift table; a no-op when compiled.
  void Compile();
  // First hit in [text, text + length); false when none.
  bool Exec(const char16_t* text, int length);
  // Next hit, one code unit after the last hit, in the same window.
  bool ExecNext();
  // First hit starting in [from, end) and lying within it; nullptr if none.
  // Does not change the window of Exec/ExecNext.
  const char16_t* Find(const char16_t* from, const char16_t* end, int* matchLength = nullptr) const;
  // Whether the text occurs at p (within [p, end)); len = subject units.
  bool IsMatchAt(const char16_t* p, const char16_t* end, int& len) const;
  bool IsMatch() const { return FLastHit != nullptr; }
  const char16_t* MatchPos() const { return FLastHit; }
  int MatchLength() const { return FLastLength; }
  void Clear();

  const std::u16string& FindText() const { return FText; }
  TRECompareOptions Options() const { return FOptions; }
  int Length() const { return static_cast<int>(FText.size()); }
  TMode Mode() const { return FMode; }
  bool Compiled() const { return FCompiled; }
  // Whether the search scans for probe units (and which text offsets).
  bool UsesProbes() const { return FHasProbes; }
  int ProbeIndexA() const { return FProbeA.Index; }
  int ProbeIndexB() const { return FProbeB.Index; }
  // The shift of a subject unit (after folding, as the search applies it).
  int ShiftOf(char16_t unit) const;

 private:
  const char16_t* FindProbed(const char16_t* from, const char16_t* end) const;
  const char16_t* FindFolded(const char16_t* from, const char16_t* end) const;
  const char16_t* FindScan(const char16_t* from, const char16_t* end, int& len) const;
  char16_t FoldUnit(char16_t u) const;
  void ChooseProbes();

  std::u16string FText;  // folded once compiled
  TRECompareOptions FOptions;
  TMode FMode = qmPlain;
  bool FCompiled = false;
  bool FTextFolded = false;
  std::array<std::uint32_t, 256> FShift{};
  const std::array<char16_t, 128>* FAsciiFold = nullptr;  // fold of units < 0x80
  std::uint32_t FFirstFolded = 0;   // qmScan: first folded character
  bool FRawShift = false;           // qmFolded: table entered with raw forms
  int FProbe = -1;                  // qmFolded: index of a fold-invariant unit
  bool FHasProbes = false;          // the vectorised scan applies (see above)
  TREProbe FProbeA, FProbeB;
  // The window of Exec/ExecNext.
  const char16_t* FTextTop = nullptr;
  const char16_t* FTextEnd = nullptr;
  const char16_t* FLastHit = nullptr;
  int FLastLength = 0;
};

}  // namespace vantora
