// TREOptimizer: the start-position strategy of the matcher and the
// automatic possessive loops, computed once per compiled program from its
// NFA states.
//
// Analysis (Optimize, per compile; nothing when the optimisation kind is
// opNone or opCompileOnly):
//   OptimizeLoop        a greedy single-leaf loop (nkStar/nkPlus/nkBound)
//                       becomes possessive when what follows its exit (past
//                       group begins and ends) is the program end, or only
//                       character-consuming leaves none of which can overlap
//                       the loop's leaf. A zero-width follower (\b, $, a
//                       look-around...) or any other state keeps it greedy.
//   SetupLeadStrings    the lead codes are the leaves that can consume the
//                       first character of a match, found by walking from the
//                       entry state through zero-width states (assertions are
//                       skipped: a superset of the starts stays sound). Mode:
//                       one literal lead -> lcmFirstLiteral (lcmSimple when
//                       the literal is the whole pattern); only ^ and \A
//                       leads -> lcmLineTop (a multiline ^) or lcmTextTop;
//                       literal leads with one compare-option set -> lcmMap;
//                       other leads -> lcmHasLead; a lead that cannot be known
//                       (the walk reaches the end, a call or a leaf that may
//                       consume nothing) -> lcmNone. lcmNone and lcmHasLead
//                       give way to lcmAnchor when a literal of 2+ units
//                       lies at a bounded distance on the path every match
//                       takes, and to lcmRunLiteral (before lcmAnchor) when
//                       the program starts with an unbounded loop over a
//                       one-character class followed by a literal: the
//                       literal is searched and the start found by scanning
//                       back over the class (RegExpRunLiteral.h).
//   SetupPreMatchStrings for lcmNone/lcmHasLead/lcmMap/lcmAnchor/lcmRunLiteral, and for
//                       lcmFirstLiteral with a one-unit lead: literals
//                       every match must contain (path literals; the last
//                       one before the end is the tail, pmTail; else the
//                       longest, pmExitst; else one per branch of the first
//                       branching, pmBranch). They are existence tests only:
//                       the range end is never lowered (a look-ahead or an
//                       end anchor after the tail literal reads beyond it).
//   SetupRunSkip        a failed attempt of a program that starts with a
//                       possessive unbounded one-character loop resumes the
//                       scan after the loop's run (see FRunLeaf).
//   SetupStartAsserts   assertions before anything else on the entry path
//                       (\b of \b\w+) are tested at each candidate.
// Programs with backtracking verbs or callouts get no strategy (lcmNone,
// pmNone): which start positions are attempted is observable there.
// lcmLineTop tries every position after a line break (also between two
// breaks, where ^ matches an empty line).
//
// Search (per Match): Begin applies the pre-match filter and returns false
// when no match can exist; NextStart(p) returns the first candidate start at
// or after p, or nullptr. The optimiser itself is part of the immutable
// program: what a scan remembers (cached literal hits, the last candidate,
// the lead bitmap filled block by block) is kept in the searcher's
// TREScanState, so several searches may use one optimiser at once. Candidates are always positions of the matcher's
// own scan (which steps over surrogate pairs as a whole), and no position at
// which an attempt could succeed is ever skipped, so results are identical
// with and without optimisation.
// Covered by tests/regex/test_optimize.cpp and
// tests/regex/test_optimize_corpus.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "regex/RegExpQuickSearch.h"
#include "regex/RegExpRunLiteral.h"
#include "regex/RegExpTypes.h"

namespace vantora {

class TREProgram;
class TRECode;
struct TREContext;
struct TRENFAState;

// Characters that may start a match: a bitmap of BMP code points plus a
// list of supplementary ones, all folded by one compare-option set.
class TRELeadMap {
 public:
  void Clear();
  void Add(std::uint32_t c);
  bool IsExists(std::uint32_t c) const;
  int Count() const { return FCount; }
  // Membership of each ASCII unit after folding (filled by Seal).
  void Seal(TRECompareOptions co);
  bool AsciiExists(char16_t u) const { return FAscii[u]; }

 private:
  std::vector<std::uint64_t> FBits;  // 1024 words once used
  std::vector<std::uint32_t> FHigh;
  std::array<bool, 128> FAscii{};
  int FCount = 0;
};

// What one searcher's scans remember between calls (see the file comment).
// A fresh (value-initialised) state is right for any program; it must be
// reset when the searcher changes programs.
struct TREScanState {
  struct THits {
    const char16_t* FoundAt = nullptr;     // first hit at or after FoundFrom
    const char16_t* FoundFrom = nullptr;
    const char16_t* AbsentFrom = nullptr;  // no hit starts at or after this
  };
  const char16_t* ScanStart = nullptr;
  const char16_t* LastCandidate = nullptr;
  const char16_t* AnchorHit = nullptr;      // lcmAnchor: cached first hit
  const char16_t* AnchorHitFrom = nullptr;  //   ... searched from here
  const char16_t* CacheText = nullptr;      // key of the pre-match hits
  const char16_t* CacheEnd = nullptr;
  std::vector<THits> PreMatch;              // by pre-match literal
  TRERunLiteral::TScan Run;
  // lcmHasLead by first character: the 64K-bit answer map and which blocks
  // of 256 units are filled.
  std::vector<std::uint64_t> LeadBits;
  std::array<std::uint8_t, 256> BlockReady{};
};

class TREOptimizer {
 public:
  // Analyses the program being compiled (see the file comment).
  void Optimize(TREProgram& re);
  // Pre-match filter before a scan that begins at start; subjectChanged:
  // the subject is new since the state's last scan.
  bool Begin(const TREContext& cx, TREScanState& sc, bool subjectChanged, const char16_t* start) const;
  // First candidate start at or after p (a position of the scan), or nullptr.
  const char16_t* NextStart(const TREContext& cx, TREScanState& sc, const char16_t* p) const;

  TRELeadCharMode LeadMode() const { return FLeadMode; }
  TREPreMatchMode PreMatchMode() const { return FPreMatchMode; }
  const std::vector<const TRECode*>& LeadCodes() const { return FLeadCodes; }
  const TREQuickSearch& LeadSearch() const { return FLeadSearch; }
  const TRELeadMap& LeadMap() const { return FLeadMap; }
  const TRERunLiteral& RunLiteral() const { return FRunLiteral; }
  // lcmAnchor: the anchor text and its distance from the match start (units).
  int AnchorMin() const { return FAnchorMin; }
  int AnchorMax() const { return FAnchorMax; }
  // The pre-match literals (folded texts).
  std::vector<std::u16string> PreMatchTexts() const;
  // Loops made possessive by the last Optimize.
  int PossessiveLoops() const { return FPossessiveLoops; }
  // Whether failed attempts skip the rest of a leading run (see FRunLeaf).
  bool SkipsRuns() const { return FRunLeaf != nullptr; }
  std::size_t StartAssertions() const { return FStartAsserts.size(); }

 private:
  struct TPathInfo;
  struct TPreMatch {
    TREQuickSearch Search;
  };

  void Reset();
  void OptimizeLoop(TREProgram& re);
  void SetupLeadStrings(TREProgram& re);
  void SetupAnchor(TREProgram& re);
  void SetupRunLiteral(TREProgram& re);
  void SetupPreMatchStrings(TREProgram& re);
  static bool Occurs(const TREQuickSearch& search, TREScanState::THits& hits, const char16_t* start,
                     const char16_t* end);
  void SetupRunSkip(TREProgram& re);
  void SetupStartAsserts(TREProgram& re);
  const char16_t* NextLead(const TREContext& cx, TREScanState& sc, const char16_t* p) const;
  const char16_t* NextCandidate(const TREContext& cx, TREScanState& sc, const char16_t* p) const;
  bool UnitStartsLead(char16_t u) const;
  bool TestedInPlace(char16_t u) const;
  void FillLeadBlock(TREScanState& sc, unsigned block) const;
  const char16_t* NextLeadByBits(const TREContext& cx, TREScanState& sc, const char16_t* q,
                                 const char16_t* end) const;

  TRELeadCharMode FLeadMode = lcmNone;
  TREPreMatchMode FPreMatchMode = pmNone;
  std::vector<const TRECode*> FLeadCodes;
  bool FLeadsZeroWidth = false;   // some lead consumes nothing (^ among others)
  TREQuickSearch FLeadSearch;     // lcmFirstLiteral, lcmSimple, lcmAnchor
  TRELeadMap FLeadMap;            // lcmMap
  TRERunLiteral FRunLiteral;      // lcmRunLiteral
  TRECompareOptions FMapOptions;
  // lcmHasLead with leads that decide on the first character alone: the
  // answer per code unit in a 64K-bit map (TREScanState::LeadBits), filled
  // by blocks of 256 units at the first use of a block, so that the scan
  // reads one bit per unit and accumulates 16 of them without a branch per
  // unit. Surrogates, and half-width kana when a lead folds width, are
  // marked and tested in place.
  bool FByFirstChar = false;
  bool FFoldsWidth = false;
  int FAnchorMin = 0, FAnchorMax = 0;
  std::vector<TPreMatch> FPreMatch;
  int FPossessiveLoops = 0;
  // Run skip: the program starts with a possessive unbounded loop over a
  // one-character leaf (X++ or X*+, after group begins only) and has no
  // back-references. An attempt at p that failed consumed the whole run of
  // X from p to q and went on from q; an attempt inside the run would reach
  // q in the same state and fail the same way, so the scan resumes at q.
  const TRECode* FRunLeaf = nullptr;
  // Zero-width assertions on the path before anything else (\b of \bfoo):
  // a candidate where one fails is passed over.
  std::vector<const TRECode*> FStartAsserts;
};

}  // namespace vantora
