// TREProgram: one compiled pattern — its leaves, its numbered NFA states,
// its groups, and what the optimiser and the matcher's analysis found out
// about it (start strategy, memo rules, loops run as fast loops).
//
// A program is built once by RECompileProgram and never written after that:
// it is handed out as std::shared_ptr<const TREProgram>, and everything a
// search writes (captures, stacks, memo, step counts, scan caches) lives in
// the searcher's own TREMatchState. Any number of TRegExp objects, on any
// number of threads, may therefore search with one program at the same
// time. The non-const members are the compiler's: they exist only while
// the program is being built and is not yet shared.
// Covered by tests/regex/test_compile.cpp and tests/regex/test_threads.cpp.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "regex/RegExpMatchAnalysis.h"
#include "regex/RegExpNFA.h"
#include "regex/RegExpOptimize.h"
#include "regex/RegExpTypes.h"

namespace vantora {

class TRECode;

// What the compiler knows of one capture group (index 0 is the whole match).
struct TREGroupInfo {
  std::u16string Name;
  std::u16string SubExpression;  // pattern text of the body (empty for group 0)
  int IndexBegin = -1;           // NFA state number of the group begin
  int IndexEnd = -1;             // NFA state number of the group end
  bool IsReferenced = false;     // a back-reference or condition reads it
  int SameGroup = 0;             // next group with the same name, 0 = none
  int MinLength = 0;             // body length in code units (for calls)
  int MaxLength = -1;            // -1 = unbounded
};

// The groups of a program, group 0 first, with a hash of names.
class TREGroupTable {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }  // including group 0
  const TREGroupInfo& Item(int index) const { return FItems[static_cast<std::size_t>(index)]; }
  // First group index with the name, or -1.
  int IndexOfName(const std::u16string& name) const;
  // Number of groups that carry the name.
  int CountOfName(const std::u16string& name) const;
  // By group index: the next group of the same name, 0 = none (what
  // TREContext::SameGroup points at).
  const std::vector<int>& SameGroupLinks() const { return FSameGroup; }

  // ---- building ----
  TREGroupInfo& Item(int index) { return FItems[static_cast<std::size_t>(index)]; }
  void Clear();
  // Appends a group; returns its index. A non-empty name enters the hash.
  int Add(const std::u16string& name);
  // Enters a further name for an existing group (branch reset reuse).
  void AddName(const std::u16string& name, int index);
  // Links groups sharing a name through SameGroup (pattern order).
  void CheckSameGroupName();

 private:
  std::vector<TREGroupInfo> FItems;
  std::unordered_map<std::u16string, std::vector<int>> FNames;
  std::vector<int> FSameGroup;
};

class TREProgram {
 public:
  TREProgram(const std::u16string& expression, TREOptions options, TOptimizeKind optimizeKind);
  ~TREProgram();
  TREProgram(const TREProgram&) = delete;
  TREProgram& operator=(const TREProgram&) = delete;

  // ---- reading ----
  const std::u16string& Expression() const { return FExpression; }
  TREOptions Options() const { return FOptions; }
  TOptimizeKind OptimizeKind() const { return FOptimizeKind; }
  const TREStateList& States() const { return FStates; }
  const std::vector<std::unique_ptr<TRECode>>& Codes() const { return FCodes; }
  const TREGroupTable& Groups() const { return FGroups; }
  // Names of verbs ((*MARK:name) ...), by NameIndex.
  const std::vector<std::u16string>& Names() const { return FNames; }
  int EntryState() const { return FEntryState; }  // first state of the program
  int ExitState() const { return FExitState; }    // the nkEnd state
  int LoopStateCount() const { return FLoopStateCount; }  // nkLoop states (indexes 0..n-1)
  int MinMatchLength() const { return FMinMatchLength; }  // code units; a shorter subject cannot match
  int MaxMatchLength() const { return FMaxMatchLength; }  // code units; -1 = unbounded
  bool HasGoSub() const { return FHasGoSub; }  // subroutine calls or recursion
  bool HasBackReference() const { return FHasBackReference; }
  const TREOptimizer& Optimizer() const { return FOptimizer; }
  const TREMatchAnalysis& Analysis() const { return FAnalysis; }

  // ---- building (before the program is shared) ----
  TREStateList& States() { return FStates; }
  TREGroupTable& Groups() { return FGroups; }
  // Takes a leaf into the program; returns it.
  TRECode* AddCode(std::unique_ptr<TRECode> code);
  // Replaces a leaf: the code list entry and every state that tests it now
  // hold newCode (the old leaf is freed). Raises ERegExp with
  // sNotFoundOldCode when oldCode is not in the program.
  void ReplaceCode(const TRECode* oldCode, std::unique_ptr<TRECode> newCode);
  int AddName(const std::u16string& name);  // returns its NameIndex
  void SetEnds(int entry, int exit) { FEntryState = entry, FExitState = exit; }
  int NewLoopIndex() { return FLoopStateCount++; }
  void SetMatchLength(int min, int max) { FMinMatchLength = min, FMaxMatchLength = max; }
  void SetHasGoSub() { FHasGoSub = true; }
  void SetHasBackReference() { FHasBackReference = true; }
  // The optimiser's and the matcher's analysis; run last by the compiler.
  void Analyse();

 private:
  std::u16string FExpression;
  TREOptions FOptions;
  TOptimizeKind FOptimizeKind;
  std::vector<std::unique_ptr<TRECode>> FCodes;  // every leaf of the program
  TREStateList FStates;                          // NFA states by number
  TREGroupTable FGroups;
  std::vector<std::u16string> FNames;
  int FEntryState = 0;
  int FExitState = 0;
  int FLoopStateCount = 0;
  int FMinMatchLength = 0;
  int FMaxMatchLength = -1;
  bool FHasGoSub = false;
  bool FHasBackReference = false;
  TREOptimizer FOptimizer;
  TREMatchAnalysis FAnalysis;
};

// Compiles a pattern: parser, NFA, optimiser, analysis. ERegExpCompile on a
// syntax error. The unshared form is for callers that edit the program
// before they share it (REBuildProgram), the shared one for searching.
std::unique_ptr<TREProgram> REBuildProgram(const std::u16string& expression, TREOptions options,
                                           TOptimizeKind optimizeKind);
std::shared_ptr<const TREProgram> RECompileProgram(const std::u16string& expression, TREOptions options,
                                                   TOptimizeKind optimizeKind);

}  // namespace vantora
