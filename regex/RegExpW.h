// Public interface of the regular-expression engine: TRegExp, its groups and
// events, the exception family and the convenience functions.
//
// A TRegExp compiles Expression (under Options) into an NFA: lexer
// (RegExpLexer) -> parser tree (RegExpParser, TREBinCode) -> numbered NFA
// states (RegExpNFA) whose character tests are TRECode leaves (RegExpCode*).
// The backtracking matcher (RegExpMatcher*) runs the states over a UTF-16
// subject. Positions exposed to callers are 1-based code-unit offsets; 0
// means "no match" or "group did not participate".
//
// Where members are defined:
//   RegExpW.cpp     construction, Expression/Options properties, Compile,
//                   GroupCount, GroupNameFromIndex, IndexFromGroupName,
//                   RegMark/RegError, Version, TGroupCollection's
//                   compile-time members (Add, Clear, CheckSameGroupName...)
//   RegExpConst.cpp the exception classes' constructors
//   RegExpExec.cpp  InputString setter, Exec, ExecNext, ExecPos,
//                   TGroupCollection::operator[] and Names
//   RegExpReplace.cpp Substitute, Replace, Split, the Reg* convenience
//                   functions
//   RegExpEscape.cpp DecodeEscape, EncodeEscape, EscapeRegExChars and the
//                   free DecodeEscape/EncodeEscape
//
// Compile does the whole compilation, optimisation included, into a
// TREProgram (RegExpProgram.h) that is never written again: the object can
// search any number of subjects (compile once, Exec many times), and other
// TRegExp objects made from the same program (TRegExp(Program())) search
// with it without compiling, also on other threads at the same time: each
// object keeps its subject, groups and match state to itself. Subjects are held as shared immutable
// strings (Exec of a shared_ptr references the caller's text). A search
// that reaches one of the matcher's limits (step budget, call depth,
// backtrack memory; RegExpMatchLimits.h) raises ERegExpMatchLimit instead of
// reporting "no match".
//
// The matcher keeps its run-time state (captures, backtrack stack, go-sub
// stack, loop states, failure memo, scan caches...) in a TREMatchState that
// it defines itself in RegExpMatcher.h. TRegExp owns it through FMatchState, a unique_ptr whose
// deleter is a plain function pointer: the matcher creates the state on
// first use and installs its own delete function with it, so TRegExp never
// needs the complete type and a default-constructed TRegExp holds nothing.
//
// Covered by tests/regex/test_compile.cpp (compile side) and
// tests/regex/test_regexp_api.cpp (search side).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "regex/RegExpTypes.h"

namespace vantora {

class TRegExp;
class TREProgram;       // a compiled pattern (RegExpProgram.h)
class TREGroupTable;    // its groups
struct TREGroupInfo;
struct TREMatchState;   // defined by the matcher (RegExpMatcher.h)

// ---------------------------------------------------------------- exceptions

// Base of the engine's exceptions: carries the UTF-16 message; what() gives
// it as UTF-8.
class EREException : public std::runtime_error {
 public:
  explicit EREException(const std::u16string& message);
  const std::u16string& Message() const noexcept { return FMessage; }

 private:
  std::u16string FMessage;
};

class ERegExp : public EREException {
 public:
  using EREException::EREException;
};

// A syntax error in the pattern.
class ERegExpCompile : public ERegExp {
 public:
  using ERegExp::ERegExp;
};

// Misuse of a compiled program (group index out of range, ExecNext first...).
class ERegExpRuntime : public ERegExp {
 public:
  using ERegExp::ERegExp;
};

// A search ended by one of the matcher's limits: its step budget, its call
// depth or its memory ceiling. The search has neither found nor ruled out a
// match, so this is never reported as "no match"; the groups are unset and
// the object can search again.
class ERegExpMatchLimit : public ERegExp {
 public:
  enum TLimit { mlSteps, mlCallDepth, mlMemory };
  ERegExpMatchLimit(TLimit limit, const std::u16string& message) : ERegExp(message), FLimit(limit) {}
  TLimit Limit() const noexcept { return FLimit; }

 private:
  TLimit FLimit;
};

// -------------------------------------------------------------- callouts/events

// The record passed to OnCallout. Positions are 1-based.
struct TCalloutData {
  std::int32_t Version = 1;
  std::int32_t CalloutNumber = 0;    // 0..255; 255 for automatic callouts
  std::int32_t CurrentPosition = 0;  // subject position of the callout
  std::int32_t StartPosition = 0;    // start of the current attempt
  std::int32_t PatternPosition = 0;  // pattern offset of the next item
  std::int32_t NextItemLength = 0;   // length of the next item in the pattern
};
using PCalloutData = TCalloutData*;

using TRegExpMatchEvent = std::function<void(TRegExp& Sender)>;
using TRegExpReplaceEvent = std::function<void(TRegExp& Sender, std::u16string& ReplaceWith)>;
using TRegExpReplaceFunction = std::function<std::u16string(TRegExp& ARegExp)>;
using TCalloutEvent =
    std::function<void(TRegExp& ARegExp, PCalloutData AData, bool& IsMatch, std::int32_t& MatchLength)>;

// ------------------------------------------------------------------- groups

// One capture group of a TRegExp's last search; index 0 is the whole match.
// What the compiler knows of the group (name, body) comes from the program,
// the record from the owner's match state.
class TGroup {
 public:
  std::u16string Strings() const;          // captured text, empty if not matched
  int Index() const;                       // 1-based start, 0 if not matched
  int Length() const;                      // code units, 0 if not matched
  bool Success() const { return Capture().Success; }
  const TRECapture& Capture() const;
  const std::u16string& GroupName() const;
  // Pattern text of the group's body (empty for group 0).
  const std::u16string& SubExpression() const;
  // Whether a back-reference or condition reads the group.
  bool IsReferenced() const;
  // The next group with the same name, 0 = none.
  int SameNameNext() const;

 private:
  friend class TGroupCollection;
  const TRegExp* FOwner = nullptr;
  const TREGroupInfo* FInfo = nullptr;
  int FIndex = 0;
};

// The groups of a TRegExp's program, group 0 first (RegExpExec.cpp).
class TGroupCollection {
 public:
  explicit TGroupCollection(TRegExp& owner) : FOwner(&owner) {}

  // Index 0..GroupCount, else ERegExpRuntime.
  TGroup& operator[](int index);
  const TGroup& operator[](int index) const;
  // The first group of that name that succeeded, else the last of the
  // chain; unknown name: ERegExpRuntime.
  TGroup& Names(const std::u16string& name);

  int Count() const { return static_cast<int>(FItems.size()); }  // including group 0
  std::vector<TGroup>::iterator begin() { return FItems.begin(); }
  std::vector<TGroup>::iterator end() { return FItems.end(); }
  std::vector<TGroup>::const_iterator begin() const { return FItems.begin(); }
  std::vector<TGroup>::const_iterator end() const { return FItems.end(); }
  // First group index with the name, or -1.
  int IndexOfName(const std::u16string& name) const;
  // Unchecked access.
  TGroup& Item(int index) { return FItems[static_cast<std::size_t>(index)]; }
  const TGroup& Item(int index) const { return FItems[static_cast<std::size_t>(index)]; }

 private:
  friend class TRegExp;
  // One group per group of the table (none for null).
  void Bind(const TREGroupTable* table);

  TRegExp* FOwner;
  const TREGroupTable* FTable = nullptr;
  std::vector<TGroup> FItems;
};

// ------------------------------------------------------------------- TRegExp

class TRegExp {
 public:
  TRegExp();
  // An object that searches with an already compiled program (another
  // object's Program(), RECompileProgram): it is compiled from the start,
  // with the program's expression and options. Objects sharing a program
  // may search on different threads at the same time.
  explicit TRegExp(std::shared_ptr<const TREProgram> program);
  ~TRegExp();
  TRegExp(const TRegExp&) = delete;
  TRegExp& operator=(const TRegExp&) = delete;

  // Pattern and options. A change clears the compiled flag.
  const std::u16string& Expression() const { return FExpression; }
  void SetExpression(const std::u16string& value);
  // Options by index: 0 i, 1 m, 2 n, 3 s, 4 x, 5 w, 6 k, 7 auto-callout;
  // any other index acts on roIgnoreKana.
  bool Options(int index) const;
  void SetOptions(int index, bool value);
  TREOptions OptionSet() const { return FOptions; }
  void SetOptionSet(TREOptions value);
  bool IgnoreZenHan() const;
  void SetIgnoreZenHan(bool value);
  bool DefineCharClassLegacy() const;
  void SetDefineCharClassLegacy(bool value);
  TOptimizeKind OptimizeKind() const { return FOptimizeKind; }
  void SetOptimizeKind(TOptimizeKind value);

  // Compiles Expression unless already compiled; ERegExpCompile on error
  // (the object then stays uncompiled).
  void Compile();
  bool Compiled() const { return FCompiled; }
  // The compiled program (null while uncompiled); never changes once
  // compiled, so it can be shared with other objects and threads.
  std::shared_ptr<const TREProgram> Program() const { return FProgram; }

  // Subject and searches (RegExpExec.cpp). The object keeps the subject
  // as a shared, immutable string: a subject equal to the current one is
  // not copied again, an rvalue is moved in, and a shared subject is only
  // referenced (several objects can search one text without a copy each).
  const std::u16string& InputString() const { return *FInput; }
  void SetInputString(const std::u16string& value);
  void SetInputString(std::u16string&& value);
  void SetInputString(std::shared_ptr<const std::u16string> value);
  bool Exec(const std::u16string& subject);
  bool Exec(std::u16string&& subject);
  bool Exec(std::shared_ptr<const std::u16string> subject);
  bool ExecNext();
  bool ExecPos(int offset = 1, int maxLength = 0);

  // Groups.
  TGroupCollection& Groups() { return FGroups; }
  const TGroupCollection& Groups() const { return FGroups; }
  int GroupCount() const { return FGroups.Count() > 0 ? FGroups.Count() - 1 : 0; }
  std::u16string GroupNameFromIndex(int index) const;
  int IndexFromGroupName(const std::u16string& name) const;

  // Names recorded by (*MARK:name) and failing verbs; empty if none.
  std::u16string RegMark() const;
  std::u16string RegError() const;
  static std::u16string Version();

  // Replacement and splitting (RegExpReplace.cpp).
  std::u16string Substitute(const std::u16string& templ);
  std::u16string Replace(const std::u16string& input, const std::u16string& replacement,
                         int count = 0, int offset = 1);
  std::u16string Replace(const std::u16string& input, TRegExpReplaceFunction function,
                         int count = 0, int offset = 1);
  void Split(const std::u16string& input, std::vector<std::u16string>& list, int count = 0,
             int offset = 1);

  // Escape operations (RegExpEscape.cpp).
  static std::u16string DecodeEscape(const std::u16string& text);
  static std::u16string EncodeEscape(const std::u16string& text);
  static std::u16string EscapeRegExChars(const std::u16string& text);

  // Events.
  TRegExpMatchEvent OnMatch;
  TRegExpReplaceEvent OnReplace;
  TCalloutEvent OnCallout;

 private:
  friend class TGroup;
  friend struct TREMatchState;
  friend TREMatchState& REMatchState(TRegExp& re);

  void ClearProgram();
  // Takes FProgram into use: the groups and the match state follow it.
  void AttachProgram();
  void BeginSearchOf(std::shared_ptr<const std::u16string> subject);
  bool ExecFromStart();
  // What every Exec does before it takes its subject: no search running,
  // the whole text as the range, the pattern compiled.
  void BeginExec();
  // Runs the matcher from start over the current range.
  bool RunMatch(const char16_t* start);
  // What a search ends with: the last match, OnMatch, the result.
  bool FinishSearch(bool found);
  // Unsets every group.
  void ClearCaptures();

  std::u16string FExpression;
  TREOptions FOptions = RegExpDefaultOptions;
  TOptimizeKind FOptimizeKind = opBoth;
  bool FCompiled = false;
  std::shared_ptr<const TREProgram> FProgram;  // null while uncompiled
  TGroupCollection FGroups{*this};
  const TRECapture* FCaptures = nullptr;  // the match state's records, by group index

  // Subject and search results.
  std::shared_ptr<const std::u16string> FInput;  // never null
  const char16_t* FTextTopP = nullptr;   // subject start
  const char16_t* FTextEndP = nullptr;   // one past the subject
  const char16_t* FMatchTopP = nullptr;  // range start
  const char16_t* FMatchEndP = nullptr;  // range end
  bool FInputChanged = false;
  bool FMatched = false;
  const char16_t* FLastMatchStartP = nullptr;
  const char16_t* FLastMatchEndP = nullptr;
  std::int32_t FExecPosOffset = 1;
  std::int32_t FExecPosLength = 0;
  std::int32_t FMarkIndex = -1;
  std::int32_t FErrorIndex = -1;
  TRegExpReplaceFunction FReplaceFunction;

  // The matcher's run-time state (see the file comment).
  std::unique_ptr<TREMatchState, void (*)(TREMatchState*)> FMatchState{nullptr, nullptr};
};

inline const TRECapture& TGroup::Capture() const { return FOwner->FCaptures[FIndex]; }

inline std::u16string TGroup::Strings() const {
  const TRECapture& c = Capture();
  if (!c.Success || !c.StartP || !c.EndP || c.EndP < c.StartP) return {};
  return std::u16string(c.StartP, c.EndP);
}

inline int TGroup::Index() const {
  const TRECapture& c = Capture();
  if (!c.Success || !c.StartP || !FOwner->FTextTopP) return 0;
  return static_cast<int>(c.StartP - FOwner->FTextTopP) + 1;
}

inline int TGroup::Length() const {
  const TRECapture& c = Capture();
  if (!c.Success || !c.StartP || !c.EndP || c.EndP < c.StartP) return 0;
  return static_cast<int>(c.EndP - c.StartP);
}

// ------------------------------------------------------ convenience functions
// Each creates a temporary TRegExp with the given options (RegExpReplace.cpp;
// the escape forwarders in RegExpEscape.cpp).

bool RegIsMatch(const std::u16string& pattern, const std::u16string& subject, TREOptions options = {});
bool RegMatch(const std::u16string& pattern, const std::u16string& subject,
              std::vector<std::u16string>& list, TREOptions options = {});
std::u16string RegReplace(const std::u16string& pattern, const std::u16string& subject,
                          const std::u16string& replacement, TREOptions options = {});
std::u16string RegReplace(const std::u16string& pattern, const std::u16string& subject,
                          TRegExpReplaceFunction function, TREOptions options = {});
void RegSplit(const std::u16string& pattern, const std::u16string& subject,
              std::vector<std::u16string>& list, TREOptions options = {});
std::u16string DecodeEscape(const std::u16string& text);
std::u16string EncodeEscape(const std::u16string& text);

}  // namespace vantora
