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
// Compile does the whole compilation, optimisation included: after it the
// program does not change, and the object can search any number of subjects
// (compile once, Exec many times). Subjects are held as shared immutable
// strings (Exec of a shared_ptr references the caller's text). A search
// that reaches one of the matcher's limits (step budget, call depth,
// backtrack memory; RegExpMatchLimits.h) raises ERegExpMatchLimit instead of
// reporting "no match".
//
// The matcher keeps its run-time state (backtrack stack, go-sub stack, loop
// states, failure memo, ...) in a TREMatchState that it defines itself in
// RegExpMatcher.h. TRegExp owns it through FMatchState, a unique_ptr whose
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
class TRECode;
class TREStateList;
class TRELex;
class TREParser;
class TRENFA;
class TREMatchEngine;
struct TREMatchState;  // defined by the matcher (RegExpMatcher.h)

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

// One capture record. StartBuf keeps the start of a group that is open
// (set at group begin) until the group end copies it to StartP.
struct TRECapture {
  const char16_t* StartP = nullptr;
  const char16_t* EndP = nullptr;
  const char16_t* StartBuf = nullptr;
  bool Success = false;
};

// One capture group; index 0 is the whole match.
class TGroup {
 public:
  std::u16string Strings() const;          // captured text, empty if not matched
  int Index() const;                       // 1-based start, 0 if not matched
  int Length() const;                      // code units, 0 if not matched
  bool Success() const { return Capture.Success; }
  const std::u16string& GroupName() const { return FGroupName; }
  // Pattern text of the group's body (empty for group 0).
  const std::u16string& SubExpression() const { return FSubExpression; }

  // ---- state shared by the compiler and matcher ----
  const TRegExp* FOwner = nullptr;
  std::u16string FGroupName;
  std::u16string FSubExpression;
  int FIndexBegin = -1;         // NFA state number of the group begin
  int FIndexEnd = -1;           // NFA state number of the group end
  bool FIsReferenced = false;   // a back-reference or condition reads it
  int FSameGroup = 0;           // next group with the same name, 0 = none
  int FMinLength = 0;           // body length in code units (for calls)
  int FMaxLength = -1;          // -1 = unbounded
  TRECapture Capture;           // the current capture record
  std::vector<TRECapture> Captures;  // saved records (recursion)
};

// The groups of a compiled pattern, group 0 first, with a hash of names.
class TGroupCollection {
 public:
  explicit TGroupCollection(TRegExp& owner) : FOwner(&owner) {}

  // Index 0..GroupCount, else ERegExpRuntime (defined by RegExpExec.cpp).
  TGroup& operator[](int index);
  const TGroup& operator[](int index) const;
  // The first group of that name that succeeded, else the last of the
  // chain; unknown name: ERegExpRuntime (defined by RegExpExec.cpp).
  TGroup& Names(const std::u16string& name);

  int Count() const { return static_cast<int>(FItems.size()); }  // including group 0
  std::vector<TGroup>::iterator begin() { return FItems.begin(); }
  std::vector<TGroup>::iterator end() { return FItems.end(); }
  std::vector<TGroup>::const_iterator begin() const { return FItems.begin(); }
  std::vector<TGroup>::const_iterator end() const { return FItems.end(); }

  // ---- compile side (RegExpW.cpp) ----
  void Clear();
  // Appends a group; returns its index. A non-empty name enters the hash.
  int Add(const std::u16string& name);
  // Enters a further name for an existing group (branch reset reuse).
  void AddName(const std::u16string& name, int index);
  // First group index with the name, or -1.
  int IndexOfName(const std::u16string& name) const;
  // Number of groups that carry the name.
  int CountOfName(const std::u16string& name) const;
  // Links groups sharing a name through FSameGroup (pattern order).
  void CheckSameGroupName();
  // Unchecked access for the engine.
  TGroup& Item(int index) { return FItems[static_cast<std::size_t>(index)]; }
  const TGroup& Item(int index) const { return FItems[static_cast<std::size_t>(index)]; }

 private:
  TRegExp* FOwner;
  std::vector<TGroup> FItems;
  std::unordered_map<std::u16string, std::vector<int>> FNames;
};

// ------------------------------------------------------------------- TRegExp

class TRegExp {
 public:
  TRegExp();
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

  // ================= engine state: for the pipeline's own files only =======
  // Everything below is written by the compiler (Compile) or the matcher
  // (searches); code outside regex/ must not use it.

  // Compiled program.
  std::vector<std::unique_ptr<TRECode>> FCodeList;  // every leaf of the program
  std::unique_ptr<TREStateList> FStateList;         // NFA states by number
  int FEntryState = 0;      // first state of the program
  int FExitState = 0;       // the nkEnd state
  int FLoopStateCount = 0;  // number of nkLoop states (loop indexes 0..n-1)
  int FMinMatchLength = 0;  // code units; a shorter subject cannot match
  int FMaxMatchLength = -1; // code units; -1 = unbounded
  bool FHasGoSub = false;   // the program contains subroutine calls/recursion
  bool FHasBackReference = false;
  std::uint32_t FCompileSerial = 0;  // incremented by every successful compile
  std::vector<std::u16string> FNames;  // names of verbs ((*MARK:name) ...)

  // Subject and search results.
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

 private:
  void ClearProgram();

  std::u16string FExpression;
  void BeginSearchOf(std::shared_ptr<const std::u16string> subject);
  bool ExecFromStart();
  // What every Exec does before it takes its subject: no search running,
  // the whole text as the range, the pattern compiled.
  void BeginExec();

  std::shared_ptr<const std::u16string> FInput;  // never null
  TREOptions FOptions = RegExpDefaultOptions;
  TOptimizeKind FOptimizeKind = opBoth;
  bool FCompiled = false;
  TGroupCollection FGroups{*this};
};

inline std::u16string TGroup::Strings() const {
  if (!Capture.Success || !Capture.StartP || !Capture.EndP || Capture.EndP < Capture.StartP) return {};
  return std::u16string(Capture.StartP, Capture.EndP);
}

inline int TGroup::Index() const {
  if (!Capture.Success || !Capture.StartP || !FOwner || !FOwner->FTextTopP) return 0;
  return static_cast<int>(Capture.StartP - FOwner->FTextTopP) + 1;
}

inline int TGroup::Length() const {
  if (!Capture.Success || !Capture.StartP || !Capture.EndP || Capture.EndP < Capture.StartP) return 0;
  return static_cast<int>(Capture.EndP - Capture.StartP);
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
