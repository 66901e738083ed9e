// The search side of TRegExp: the subject (InputString), Exec, ExecNext,
// ExecPos, the group access that checks its index or name, and the OnMatch
// event.
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
#include "regex/RegExpW.h"

namespace vantora {

namespace {
void CheckNotRunning(TRegExp& re) {
  if (re.FMatchState && re.FMatchState->Running) throw ERegExpRuntime(sFatalError);
}

bool FinishSearch(TRegExp& re, bool found) {
  if (found) {
    const TRECapture& c = re.Groups().Item(0).Capture;
    re.FLastMatchStartP = c.StartP;
    re.FLastMatchEndP = c.EndP;
    if (re.OnMatch) re.OnMatch(re);
  } else {
    re.FLastMatchStartP = re.FMatchTopP;
    re.FLastMatchEndP = re.FMatchTopP;
  }
  return re.FMatched;
}
}  // namespace

void TRegExp::BeginSearchOf(std::shared_ptr<const std::u16string> subject) {
  CheckNotRunning(*this);
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
  for (TGroup& g : FGroups) g.Capture = TRECapture{};
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
  const bool found = REMatchState(*this).Match(FTextTopP);
  FInputChanged = false;
  return FinishSearch(*this, found);
}

void TRegExp::BeginExec() {
  CheckNotRunning(*this);
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
  CheckNotRunning(*this);
  if (!FCompiled) throw ERegExpRuntime(sExecFuncNotCall);
  if (!FMatched || !FTextTopP || !FLastMatchEndP) return false;
  const char16_t* start = FLastMatchEndP;
  if (FLastMatchStartP == FLastMatchEndP) {
    if (start >= FMatchEndP) {
      FMatched = false;
      for (TGroup& g : FGroups) g.Capture = TRECapture{};
      return FinishSearch(*this, false);
    }
    ++start;
  }
  const bool found = REMatchState(*this).Match(start);
  FInputChanged = false;
  return FinishSearch(*this, found);
}

bool TRegExp::ExecPos(int offset, int maxLength) {
  CheckNotRunning(*this);
  if (offset <= 0 || !FTextTopP) return false;
  if (!FInputChanged && FMatchState) FMatchState->ResetMemo();
  Compile();
  FExecPosOffset = offset;
  FExecPosLength = maxLength;
  const auto size = static_cast<long long>(FTextEndP - FTextTopP);
  if (offset - 1 > size) {
    FMatched = false;
    for (TGroup& g : FGroups) g.Capture = TRECapture{};
    return FinishSearch(*this, false);
  }
  const char16_t* start = FTextTopP + (offset - 1);
  if (maxLength <= 0) {
    FMatchTopP = FTextTopP;
    FMatchEndP = FTextEndP;
  } else {
    FMatchTopP = start;
    FMatchEndP = (size - (offset - 1) > maxLength) ? start + maxLength : FTextEndP;
  }
  const bool found = REMatchState(*this).Match(start);
  FInputChanged = false;
  return FinishSearch(*this, found);
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
  for (int i = first; i != 0; i = Item(i).FSameGroup) {
    if (Item(i).Capture.Success) return Item(i);
    last = i;
  }
  return Item(last);
}

}  // namespace vantora
