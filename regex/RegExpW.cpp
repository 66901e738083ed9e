// TRegExp: construction, the pattern and option properties, Compile and the
// names of groups and verbs.
//
// Compile builds a new program (RECompileProgram, RegExpProgram.cpp) and
// takes it into use; nothing changes a program after that, a later compile
// replaces it. A failed compile leaves the object uncompiled with no
// program. Compiling from inside a running search
// (a callout handler) raises ERegExpRuntime instead of freeing the program
// under the matcher's feet.
// Covered by tests/regex/test_compile.cpp and tests/regex/test_compile_errors.cpp.
#include "regex/RegExpW.h"

#include <algorithm>

#include "regex/RegExpCode.h"
#include "regex/RegExpConst.h"
#include "regex/RegExpMatcher.h"
#include "regex/RegExpProgram.h"

namespace vantora {

// ---------------------------------------------------------------- TRegExp

TRegExp::TRegExp() : FInput(std::make_shared<const std::u16string>()) {}

TRegExp::TRegExp(std::shared_ptr<const TREProgram> program) : TRegExp() {
  if (!program) return;
  FExpression = program->Expression();
  FOptions = program->Options();
  FOptimizeKind = program->OptimizeKind();
  FProgram = std::move(program);
  AttachProgram();
  FCompiled = true;
}

// The match state points into the program: free it first.
TRegExp::~TRegExp() { FMatchState.reset(); }

void TRegExp::SetExpression(const std::u16string& value) {
  if (value == FExpression) return;
  FExpression = value;
  FCompiled = false;
}

static TREOption OptionOfIndex(int index) {
  switch (index) {
    case 0: return roIgnoreCase;
    case 1: return roMultiLine;
    case 2: return roNamedGroupOnly;
    case 3: return roSingleLine;
    case 4: return roExtended;
    case 5: return roIgnoreWidth;
    case 6: return roIgnoreKana;
    case 7: return roAutoCallout;
    default: return roIgnoreKana;
  }
}

bool TRegExp::Options(int index) const { return FOptions.Contains(OptionOfIndex(index)); }

void TRegExp::SetOptions(int index, bool value) {
  TREOption o = OptionOfIndex(index);
  if (FOptions.Contains(o) == value) return;
  FOptions.Set(o, value);
  FCompiled = false;
}

void TRegExp::SetOptionSet(TREOptions value) {
  if (value == FOptions) return;
  FOptions = value;
  FCompiled = false;
}

bool TRegExp::IgnoreZenHan() const {
  return FOptions.Contains(roIgnoreWidth) && FOptions.Contains(roIgnoreKana);
}

void TRegExp::SetIgnoreZenHan(bool value) {
  SetOptions(5, value);
  SetOptions(6, value);
}

bool TRegExp::DefineCharClassLegacy() const { return FOptions.Contains(roDefinedCharClassLegacy); }

void TRegExp::SetDefineCharClassLegacy(bool value) {
  if (FOptions.Contains(roDefinedCharClassLegacy) == value) return;
  FOptions.Set(roDefinedCharClassLegacy, value);
  FCompiled = false;
}

void TRegExp::SetOptimizeKind(TOptimizeKind value) {
  if (value == FOptimizeKind) return;
  FOptimizeKind = value;
  FCompiled = false;
}

void TRegExp::ClearProgram() {
  FMatchState.reset();
  FCaptures = nullptr;
  FGroups.Bind(nullptr);
  FProgram.reset();
  FMarkIndex = FErrorIndex = -1;
}

void TRegExp::AttachProgram() {
  FGroups.Bind(&FProgram->Groups());
  TREMatchState& state = REMatchState(*this);
  state.Attach(*FProgram);
  FCaptures = state.Captures.data();
  FMarkIndex = FErrorIndex = -1;
}

void TRegExp::Compile() {
  if (FCompiled) return;
  // A handler called from inside a search (OnCallout) must not free the
  // program the search is running.
  if (FMatchState && FMatchState->Running) throw ERegExpRuntime(sFatalError);
  ClearProgram();
  FProgram = RECompileProgram(FExpression, FOptions, FOptimizeKind);
  AttachProgram();
  FCompiled = true;
}

std::u16string TRegExp::GroupNameFromIndex(int index) const {
  if (index < 0 || index > GroupCount() || FGroups.Count() == 0)
    throw ERegExpRuntime(REFormat(sRangeOverGroupNumber, index));
  return FGroups.Item(index).GroupName();
}

int TRegExp::IndexFromGroupName(const std::u16string& name) const {
  int first = FGroups.IndexOfName(name);
  if (first < 0) return -1;
  for (int i = first; i != 0; i = FGroups.Item(i).SameNameNext())
    if (FGroups.Item(i).Success()) return i;
  return first;
}

namespace {
std::u16string VerbName(const TREProgram* program, int index) {
  if (!program || index < 0 || index >= static_cast<int>(program->Names().size())) return {};
  return program->Names()[static_cast<std::size_t>(index)];
}
}  // namespace

std::u16string TRegExp::RegMark() const { return VerbName(FProgram.get(), FMarkIndex); }

std::u16string TRegExp::RegError() const { return VerbName(FProgram.get(), FErrorIndex); }

std::u16string TRegExp::Version() { return u"2.6.2"; }

}  // namespace vantora
