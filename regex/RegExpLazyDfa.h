// TRELazyDfa: a deterministic automaton built while it searches, which
// finds the leftmost position where the backtracker's attempt succeeds, so
// that the backtracker runs once, anchored there, to fill the groups and
// choose the match by its own priority rules.
//
// States are built from the thread model of TREDfaBuilder on first use and
// kept in a bounded cache: each has one transition per class of code units
// (units that every character test of the program treats alike, with the
// same context flags for ^ $ \b), filled when first taken. A transition that
// changes the partitions carries the map from old to new start positions,
// which the scan applies to its small array of partition starts. When a
// search leaves no live thread, the scan jumps to the optimiser's next
// candidate start. The last line breaks of the range ($ and \Z look ahead
// to the end) are stepped without the cache.
//
// For programs without capture groups (and without loops that may iterate
// on nothing), the match end at that start comes from an ordered run of the
// threads (in the order the backtracker tries its paths), so that the
// backtracker need not run at all: this is what makes a large alternation
// of words fast.
//
// The search gives up (the caller then runs the plain backtracking scan from
// the returned position, before which no match starts) on a surrogate, on a
// half-width kana when the program folds width, when the cache is refilled
// too often, or when the thread table grows too big; a program that keeps
// giving up is not searched this way again until it is recompiled.
//
// VANTORA_REGEX_AUTOMATON=off in the environment (or RESetAutomatonEnabled)
// turns the automaton off, so that every search runs the backtracking scan.
// Covered by tests/regex/test_lazy_dfa.cpp and, comparing both ways over
// generated cases, bench/verify_automaton.cpp.
#pragma once

#include <array>
#include <memory>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "regex/RegExpDfaBuilder.h"

namespace vantora {

class TREProgram;
class TREOptimizer;
struct TREContext;
struct TREScanState;

// Whether searches may use the automaton (the environment decides at the
// first call; tests and tools can switch it). Process-wide.
bool REAutomatonEnabled();
void RESetAutomatonEnabled(bool on);

class TRELazyDfa {
 public:
  enum TOutcome : std::uint8_t { doNoMatch, doStart, doGaveUp };

  // Per program the searches run. The program is analysed on the first
  // search that could use the automaton, so that a program searched once
  // by its literal never pays for it.
  void Attach(const TREProgram& program);
  // Whether searches with this start strategy should use the automaton:
  // it is switched on, and the strategy is not already a literal search (a
  // pattern that is a literal, or a lead literal of two or more units, whose
  // hits the backtracker tries cheaply) or one anchor.
  static bool Suits(const TREOptimizer& optimizer);
  // Whether the attached program can be searched this way.
  bool Usable();
  // Searches from 'from' (a candidate start of the optimiser) to 'end' (the
  // range end): doStart with 'start' the leftmost start of a match,
  // doNoMatch, or doGaveUp with 'start' a position before which no match
  // starts.
  TOutcome FindStart(const TREContext& cx, const TREOptimizer& optimizer, TREScanState& scan,
                     const char16_t* from, const char16_t* end, const char16_t*& start);
  // Whether MatchEnd can stand in for the backtracker's attempt (see
  // TREDfaBuilder::Ordered).
  bool FindsEnds() const { return FUsable && FBuilder.Ordered(); }
  // The end of the match the backtracker finds at 'from', a start where a
  // match exists; nullptr when the ordered run gives up.
  const char16_t* MatchEnd(const TREContext& cx, const char16_t* from, const char16_t* end);
  // States in the cache (for tests).
  std::size_t StateCount() const { return FContents.size(); }

 private:
  static constexpr int kStride = 128;
  static constexpr std::uint8_t kBailClass = 126;
  static constexpr std::uint8_t kUnknownClass = 127;
  static constexpr std::size_t kMaxStates = 2048;
  static constexpr std::size_t kMaxThreads = 1u << 17;
  static constexpr int kMaxResets = 8;
  static constexpr int kMaxGaveUps = 4;

  struct TAction {
    std::vector<int> Sources;  // new partition k starts where old Sources[k] did (-1: here)
    bool Done = false;
    int Start = -2;            // Done: the old partition of the leftmost start (-1: here)
    bool Empty = false;        // no thread left: jump to the next candidate
  };

  void Analyse();
  void PrepareTables();
  std::uint8_t ClassOf(const TREContext& cx, const char16_t* p);
  int Intern(const TREDfaContent& c);
  int Initial(std::uint8_t before);
  // Fills the transition of state s for class cls; false when the cache
  // thrashes. May rebuild the cache (s is then renumbered).
  bool Compute(int& s, std::uint8_t cls);
  void ResetStates();
  void Apply(const std::vector<int>& sources, const char16_t* here);
  const char16_t* Resolve(int partition, const char16_t* here) const;
  // Where the final run of line breaks begins when $ or \Z read it (the
  // units from there on are stepped without the cache); else end.
  const char16_t* TailStart(const char16_t* from, const char16_t* end) const;
  std::uint8_t BeforeFlags(const TREContext& cx, const char16_t* p);

  // The ordered runs' own states: transitions are target * 4, plus 1 when a
  // match ends before the unit, plus 2 when no thread is left.
  struct TOrderedCache {
    std::vector<TREDfaContent> Contents;
    std::unordered_map<std::string, int> Ids;
    std::vector<std::int32_t> Trans;
    std::array<int, 16> Initial{};
    void Clear();
  };
  int InternOrdered(const TREDfaContent& c);

  TREDfaBuilder FBuilder;
  TOrderedCache FOrdered;
  const TREProgram* FProgram = nullptr;
  bool FAnalysed = false;
  bool FUsable = false;
  int FGaveUps = 0;
  int FResets = 0;

  // The class of each code unit, by blocks of 256 units: a block nobody has
  // read yet is the shared block of unknown classes, so a new object pays
  // nothing for the units its subjects never contain.
  using TClassBlock = std::array<std::uint8_t, 256>;
  std::uint8_t UnitClass(char16_t u) const { return (*FBlockOf[u >> 8])[u & 0xFF]; }
  std::array<const TClassBlock*, 256> FBlockOf{};
  std::array<std::unique_ptr<TClassBlock>, 256> FBlocks;  // the blocks this object filled
  std::vector<std::vector<std::uint64_t>> FClassAtoms;
  std::vector<std::uint8_t> FClassFlags;
  std::unordered_map<std::string, std::uint8_t> FClassIds;

  std::vector<TREDfaContent> FContents;
  std::unordered_map<std::string, int> FStateIds;
  std::vector<std::int32_t> FTrans;     // kStride per state: -1 unknown, else target * 2 + special
  std::vector<std::int32_t> FActionOf;  // parallel to FTrans: index into FActions
  std::vector<TAction> FActions;
  std::array<int, 16> FInitial{};

  std::vector<const char16_t*> FPos;  // start of each live partition
  std::vector<const char16_t*> FTmp;
};

}  // namespace vantora
