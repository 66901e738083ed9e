// The search side of TRegExp: the subject (InputString), Exec, ExecNext,
// ExecPos, the groups of the last search (TGroup, TGroupCollection), and
// the OnMatch event.
//
// Invariants: the subject pointers (text start/end, range start/end) always
// point into the string FInput holds, which nothing changes (it is const and
// shared; a new subject replaces the pointer, never the text). After
// every search the last match start/end are group 0's capture on success and
// the range start otherwise; \G reads the last match end. A search may not
// start again from inside a handler of the same object (callout, OnMatch):
// that raises ERegExpRuntime instead of changing the program under the
// running matcher.
// Covered by tests/regex/test_regexp_api.cpp.
#include <algorithm>
#include <cstring>

#include "regex/RegExpConst.h"
#include "regex/RegExpMatcher.h"
#include "regex/RegExpProgram.h"
#include "regex/RegExpW.h"

namespace vantora {

// ------------------------------------------------------------------ groups

namespace {
const std::u16string kNoText;
}  // namespace

const std::u16string& TGroup::GroupName() const { return FInfo ? FInfo->Name : kNoText; }
const std::u16string& TGroup::SubExpression() const { return FInfo ? FInfo->SubExpression : kNoText; }
bool TGroup::IsReferenced() const { return FInfo && FInfo->IsReferenced; }
int TGroup::SameNameNext() const { return FInfo ? FInfo->SameGroup : 0; }

void TGroupCollection::Bind(const TREGroupTable* table) {
  FTable = table;
  FItems.assign(table ? static_cast<std::size_t>(table->Count()) : 0, TGroup{});
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    FItems[i].FOwner = FOwner;
    FItems[i].FInfo = &table->Item(static_cast<int>(i));
    FItems[i].FIndex = static_cast<int>(i);
  }
}

int TGroupCollection::IndexOfName(const std::u16string& name) const {
  return FTable ? FTable->IndexOfName(name) : -1;
}

// ---------------------------------------------------------------- searches

namespace {
void CheckNotRunning(const TREMatchState* state) {
  if (state && state->Running) throw ERegExpRuntime(sFatalError);
}
}  // namespace

bool TRegExp::FinishSearch(bool found) {
  if (found) {
    const TRECapture& c = FGroups.Item(0).Capture();
    FLastMatchStartP = c.StartP;
    FLastMatchEndP = c.EndP;
    if (OnMatch) OnMatch(*this);
  } else {
    FLastMatchStartP = FMatchTopP;
    FLastMatchEndP = FMatchTopP;
  }
  return FMatched;
}

bool TRegExp::RunMatch(const char16_t* start) {
  TREMatchState& state = REMatchState(*this);
  TREContext& cx = state.Cx;
  cx.TextTop = FTextTopP;
  cx.TextEnd = FTextEndP;
  cx.RangeTop = FMatchTopP;
  cx.RangeEnd = FMatchEndP;
  cx.LastMatchEnd = FLastMatchEndP;
  const bool found = state.Match(start, FInputChanged);
  FInputChanged = false;
  return found;
}

void TRegExp::ClearCaptures() {
  if (FMatchState) FMatchState->ResetCaptures();
}

void TRegExp::BeginSearchOf(std::shared_ptr<const std::u16string> subject) {
  CheckNotRunning(FMatchState.get());
  if (subject) FInput = std::move(subject);
  FTextTopP = FInput->data();
  FTextEndP = FTextTopP + FInput->size();
  FMatchTopP = FTextTopP;
  FMatchEndP = FTextEndP;
  FInputChanged = true;
  FMatched = false;
  FLastMatchStartP = nullptr;
  FLastMatchEndP = nullptr;
  if (FMatchState) FMatchState->ResetMemo();
  ClearCaptures();
}

void TRegExp::SetInputString(const std::u16string& value) {
  // An equal subject keeps the string the object already holds (memcmp: the
  // string's own compare goes unit by unit).
  const std::u16string& held = *FInput;
  bool same = value.size() == held.size() && value.data() == held.data();
  if (!same && value.size() == held.size())
    same = value.size() <= 32 ? std::equal(value.begin(), value.end(), held.begin())
                              : std::memcmp(value.data(), held.data(), value.size() * sizeof(char16_t)) == 0;
  BeginSearchOf(same ? nullptr : std::make_shared<const std::u16string>(value));
}

void TRegExp::SetInputString(std::u16string&& value) {
  BeginSearchOf(std::make_shared<const std::u16string>(std::move(value)));
}

void TRegExp::SetInputString(std::shared_ptr<const std::u16string> value) {
  BeginSearchOf(value ? std::move(value) : std::make_shared<const std::u16string>());
}

bool TRegExp::ExecFromStart() {
  FMatchTopP = FTextTopP;
  FMatchEndP = FTextEndP;
  return FinishSearch(RunMatch(FTextTopP));
}

void TRegExp::BeginExec() {
  CheckNotRunning(FMatchState.get());
  FExecPosOffset = 1;
  FExecPosLength = 0;
  Compile();
}

bool TRegExp::Exec(const std::u16string& subject) {
  BeginExec();
  SetInputString(subject);
  return ExecFromStart();
}

bool TRegExp::Exec(std::u16string&& subject) {
  BeginExec();
  SetInputString(std::move(subject));
  return ExecFromStart();
}

bool TRegExp::Exec(std::shared_ptr<const std::u16string> subject) {
  BeginExec();
  SetInputString(std::move(subject));
  return ExecFromStart();
}

bool TRegExp::ExecNext() {
  CheckNotRunning(FMatchState.get());
  if (!FCompiled) throw ERegExpRuntime(sExecFuncNotCall);
  if (!FMatched || !FTextTopP || !FLastMatchEndP) return false;
  const char16_t* start = FLastMatchEndP;
  if (FLastMatchStartP == FLastMatchEndP) {
    if (start >= FMatchEndP) {
      FMatched = false;
      ClearCaptures();
      return FinishSearch(false);
    }
    ++start;
  }
  return FinishSearch(RunMatch(start));
}

bool TRegExp::ExecPos(int offset, int maxLength) {
  CheckNotRunning(FMatchState.get());
  if (offset <= 0 || !FTextTopP) return false;
  if (!FInputChanged && FMatchState) FMatchState->ResetMemo();
  Compile();
  FExecPosOffset = offset;
  FExecPosLength = maxLength;
  const auto size = static_cast<long long>(FTextEndP - FTextTopP);
  if (offset - 1 > size) {
    FMatched = false;
    ClearCaptures();
    return FinishSearch(false);
  }
  const char16_t* start = FTextTopP + (offset - 1);
  if (maxLength <= 0) {
    FMatchTopP = FTextTopP;
    FMatchEndP = FTextEndP;
  } else {
    FMatchTopP = start;
    FMatchEndP = (size - (offset - 1) > maxLength) ? start + maxLength : FTextEndP;
  }
  return FinishSearch(RunMatch(start));
}

TGroup& TGroupCollection::operator[](int index) {
  if (index < 0 || index >= Count()) throw ERegExpRuntime(REFormat(sRangeOverGroupNumber, index));
  return Item(index);
}

const TGroup& TGroupCollection::operator[](int index) const {
  if (index < 0 || index >= Count()) throw ERegExpRuntime(REFormat(sRangeOverGroupNumber, index));
  return Item(index);
}

TGroup& TGroupCollection::Names(const std::u16string& name) {
  const int first = IndexOfName(name);
  if (first < 0) throw ERegExpRuntime(REFormat(sMissingGroupName, name));
  int last = first;
  for (int i = first; i != 0; i = Item(i).SameNameNext()) {
    if (Item(i).Success()) return Item(i);
    last = i;
  }
  return Item(last);
}

}  // namespace vantora
