// TRegExp: construction, the pattern and option properties, Compile and the
// compile-time side of the group collection.
//
// Compile runs the pipeline: TREParser builds the tree (its TREBinCode nodes
// are owned by a local list and freed when Compile returns, also when an
// error passes), TRENFA emits the states into FStateList, the leaves stay
// in FCodeList for the life of the program, and the optimiser and the
// matcher's program analysis (TREMatchState::Prepare) finish the program:
// after Compile nothing changes it until the next compile. A failed compile leaves the
// object uncompiled with no program. Compiling from inside a running search
// (a callout handler) raises ERegExpRuntime instead of freeing the program
// under the matcher's feet.
// Covered by tests/regex/test_compile.cpp and tests/regex/test_compile_errors.cpp.
#include "regex/RegExpW.h"

#include <algorithm>

#include "regex/RegExpCode.h"
#include "regex/RegExpConst.h"
#include "regex/RegExpMatcher.h"
#include "regex/RegExpNFA.h"
#include "regex/RegExpParser.h"

namespace vantora {

// ------------------------------------------------------- TGroupCollection

void TGroupCollection::Clear() {
  FItems.clear();
  FNames.clear();
}

int TGroupCollection::Add(const std::u16string& name) {
  TGroup g;
  g.FOwner = FOwner;
  g.FGroupName = name;
  FItems.push_back(std::move(g));
  int index = Count() - 1;
  if (!name.empty()) FNames[name].push_back(index);
  return index;
}

void TGroupCollection::AddName(const std::u16string& name, int index) {
  if (name.empty()) return;
  TGroup& g = Item(index);
  if (g.FGroupName.empty()) g.FGroupName = name;
  auto& list = FNames[name];
  for (int i : list)
    if (i == index) return;
  list.push_back(index);
}

int TGroupCollection::IndexOfName(const std::u16string& name) const {
  auto it = FNames.find(name);
  if (it == FNames.end() || it->second.empty()) return -1;
  int best = it->second.front();
  for (int i : it->second) best = std::min(best, i);
  return best;
}

int TGroupCollection::CountOfName(const std::u16string& name) const {
  auto it = FNames.find(name);
  return it == FNames.end() ? 0 : static_cast<int>(it->second.size());
}

void TGroupCollection::CheckSameGroupName() {
  for (auto& g : FItems) g.FSameGroup = 0;
  for (auto& [name, list] : FNames) {
    std::vector<int> sorted = list;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i + 1 < sorted.size(); ++i) Item(sorted[i]).FSameGroup = sorted[i + 1];
  }
}

// ---------------------------------------------------------------- TRegExp

TRegExp::TRegExp()
    : FStateList(std::make_unique<TREStateList>()), FInput(std::make_shared<const std::u16string>()) {}

TRegExp::~TRegExp() {
  // The matcher state may point into the program: free it first.
  FMatchState.reset();
  FStateList.reset();
  FCodeList.clear();
}

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
  FStateList->Clear();
  FCodeList.clear();
  FGroups.Clear();
  FNames.clear();
  FEntryState = FExitState = 0;
  FLoopStateCount = 0;
  FMinMatchLength = 0;
  FMaxMatchLength = -1;
  FHasGoSub = false;
  FHasBackReference = false;
  FMarkIndex = FErrorIndex = -1;
}

void TRegExp::Compile() {
  if (FCompiled) return;
  // A handler called from inside a search (OnCallout) must not free the
  // program the search is running.
  if (FMatchState && FMatchState->Running) throw ERegExpRuntime(sFatalError);
  ClearProgram();
  try {
    std::vector<std::unique_ptr<TREBinCode>> binCodes;
    TREParser parser(*this, binCodes);
    TREBinCode* root = parser.Parse();
    TRENFA nfa(*this);
    nfa.Compile(root);
    // The optimiser and the matcher's analysis of the program run here, so
    // the program a search runs is never changed by the search.
    ++FCompileSerial;
    REMatchState(*this).Prepare();
  } catch (...) {
    ClearProgram();
    throw;
  }
  FCompiled = true;
}

std::u16string TRegExp::GroupNameFromIndex(int index) const {
  if (index < 0 || index > GroupCount() || FGroups.Count() == 0)
    throw ERegExpRuntime(REFormat(sRangeOverGroupNumber, index));
  return FGroups.Item(index).FGroupName;
}

int TRegExp::IndexFromGroupName(const std::u16string& name) const {
  int first = FGroups.IndexOfName(name);
  if (first < 0) return -1;
  for (int i = first; i != 0; i = FGroups.Item(i).FSameGroup)
    if (FGroups.Item(i).Capture.Success) return i;
  return first;
}

std::u16string TRegExp::RegMark() const {
  if (FMarkIndex < 0 || FMarkIndex >= static_cast<int>(FNames.size())) return {};
  return FNames[static_cast<std::size_t>(FMarkIndex)];
}

std::u16string TRegExp::RegError() const {
  if (FErrorIndex < 0 || FErrorIndex >= static_cast<int>(FNames.size())) return {};
  return FNames[static_cast<std::size_t>(FErrorIndex)];
}

std::u16string TRegExp::Version() { return u"2.6.2"; }

}  // namespace vantora
