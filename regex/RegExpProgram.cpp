// TREProgram and its group table, and the compile pipeline that builds a
// program: TREParser builds the tree (its TREBinCode nodes are owned by a
// local list and freed when the build returns, also when an error passes),
// TRENFA emits the states, the leaves stay in the program, and the
// optimiser and the matcher's analysis finish it.
// Covered by tests/regex/test_compile.cpp and tests/regex/test_compile_errors.cpp.
#include "regex/RegExpProgram.h"

#include <algorithm>

#include "regex/RegExpCode.h"
#include "regex/RegExpConst.h"
#include "regex/RegExpParser.h"
#include "regex/RegExpW.h"

namespace vantora {

// ---------------------------------------------------------- TREGroupTable

void TREGroupTable::Clear() {
  FItems.clear();
  FNames.clear();
  FSameGroup.clear();
}

int TREGroupTable::Add(const std::u16string& name) {
  TREGroupInfo g;
  g.Name = name;
  FItems.push_back(std::move(g));
  int index = Count() - 1;
  if (!name.empty()) FNames[name].push_back(index);
  return index;
}

void TREGroupTable::AddName(const std::u16string& name, int index) {
  if (name.empty()) return;
  TREGroupInfo& g = Item(index);
  if (g.Name.empty()) g.Name = name;
  auto& list = FNames[name];
  for (int i : list)
    if (i == index) return;
  list.push_back(index);
}

int TREGroupTable::IndexOfName(const std::u16string& name) const {
  auto it = FNames.find(name);
  if (it == FNames.end() || it->second.empty()) return -1;
  int best = it->second.front();
  for (int i : it->second) best = std::min(best, i);
  return best;
}

int TREGroupTable::CountOfName(const std::u16string& name) const {
  auto it = FNames.find(name);
  return it == FNames.end() ? 0 : static_cast<int>(it->second.size());
}

void TREGroupTable::CheckSameGroupName() {
  for (auto& g : FItems) g.SameGroup = 0;
  for (auto& [name, list] : FNames) {
    std::vector<int> sorted = list;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i + 1 < sorted.size(); ++i) Item(sorted[i]).SameGroup = sorted[i + 1];
  }
  FSameGroup.resize(FItems.size());
  for (std::size_t i = 0; i < FItems.size(); ++i) FSameGroup[i] = FItems[i].SameGroup;
}

// ------------------------------------------------------------- TREProgram

TREProgram::TREProgram(const std::u16string& expression, TREOptions options, TOptimizeKind optimizeKind)
    : FExpression(expression), FOptions(options), FOptimizeKind(optimizeKind) {}

// The states point at the leaves: free them first.
TREProgram::~TREProgram() { FStates.Clear(); }

TRECode* TREProgram::AddCode(std::unique_ptr<TRECode> code) {
  FCodes.push_back(std::move(code));
  return FCodes.back().get();
}

void TREProgram::ReplaceCode(const TRECode* oldCode, std::unique_ptr<TRECode> newCode) {
  auto it = std::find_if(FCodes.begin(), FCodes.end(),
                         [&](const std::unique_ptr<TRECode>& c) { return c.get() == oldCode; });
  if (it == FCodes.end() || !newCode) throw ERegExp(sNotFoundOldCode);
  for (int n = 0; n < FStates.Count(); ++n)
    for (TRENFAState* s = FStates[n]; s; s = s->Next)
      if (s->Code == oldCode) s->Code = newCode.get();
  *it = std::move(newCode);
}

int TREProgram::AddName(const std::u16string& name) {
  FNames.push_back(name);
  return static_cast<int>(FNames.size()) - 1;
}

void TREProgram::Analyse() {
  FOptimizer.Optimize(*this);  // may make loops possessive: before the matcher's analysis
  REAnalyseMatch(*this, FAnalysis);
}

std::unique_ptr<TREProgram> REBuildProgram(const std::u16string& expression, TREOptions options,
                                           TOptimizeKind optimizeKind) {
  auto program = std::make_unique<TREProgram>(expression, options, optimizeKind);
  TREBinCodeStore binCodes;
  TREParser parser(*program, binCodes);
  TREBinCode* root = parser.Parse();
  TRENFA nfa(*program);
  nfa.Compile(root);
  program->Analyse();
  return program;
}

std::shared_ptr<const TREProgram> RECompileProgram(const std::u16string& expression, TREOptions options,
                                                   TOptimizeKind optimizeKind) {
  return REBuildProgram(expression, options, optimizeKind);
}

}  // namespace vantora
