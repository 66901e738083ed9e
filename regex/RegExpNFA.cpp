// NFA construction (stub; filled in by the next commit).
#include "regex/RegExpNFA.h"

#include "regex/RegExpCode.h"
#include "regex/RegExpW.h"

namespace vantora {

int TREStateList::NewState() {
  FHeads.push_back(nullptr);
  return Count() - 1;
}

TRENFAState& TREStateList::Add(int number, TRENFAKind kind) {
  FStore.push_back(std::make_unique<TRENFAState>());
  TRENFAState* s = FStore.back().get();
  s->Kind = kind;
  TRENFAState** link = &FHeads[static_cast<std::size_t>(number)];
  while (*link) link = &(*link)->Next;
  *link = s;
  return *s;
}

void TREStateList::Clear() {
  FHeads.clear();
  FStore.clear();
}

void TRENFA::Compile(TREBinCode*) {}

std::string REDumpNFA(const TRegExp&) { return {}; }

}  // namespace vantora
