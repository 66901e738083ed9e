// The lazy automaton's cache and its scan (see RegExpLazyDfa.h).
// Covered by tests/regex/test_lazy_dfa.cpp.
#include "regex/RegExpLazyDfa.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "regex/RegExpCode.h"
#include "regex/RegExpCodeChar.h"
#include "regex/RegExpOptimize.h"
#include "regex/RegExpUtf16.h"
#include "regex/RegExpProgram.h"

namespace vantora {

namespace {
std::atomic<int>& AutomatonSwitch() {
  static std::atomic<int> value{-1};
  return value;
}
}  // namespace

bool REAutomatonEnabled() {
  std::atomic<int>& v = AutomatonSwitch();
  int on = v.load(std::memory_order_relaxed);
  if (on < 0) {
    const char* env = std::getenv("VANTORA_REGEX_AUTOMATON");
    on = env && (std::strcmp(env, "off") == 0 || std::strcmp(env, "0") == 0) ? 0 : 1;
    v.store(on, std::memory_order_relaxed);
  }
  return on == 1;
}

void RESetAutomatonEnabled(bool on) { AutomatonSwitch().store(on ? 1 : 0, std::memory_order_relaxed); }

void TRELazyDfa::Attach(const TREProgram& re) {
  FProgram = &re;
  FAnalysed = false;
  FUsable = false;
}

void TRELazyDfa::Analyse() {
  FAnalysed = true;
  FUsable = FBuilder.Analyse(*FProgram);
  FGaveUps = 0;
  for (std::unique_ptr<TClassBlock>& b : FBlocks) b.reset();
  FBlockOf.fill(nullptr);
  FClassAtoms.clear();
  FClassFlags.clear();
  FClassIds.clear();
  ResetStates();
}

bool TRELazyDfa::Suits(const TREOptimizer& optimizer) {
  if (!REAutomatonEnabled()) return false;
  switch (optimizer.LeadMode()) {
    case lcmSimple:
    case lcmTextTop:
      return false;
    case lcmFirstLiteral:
      return optimizer.LeadSearch().Length() == 1;
    default:
      return true;
  }
}

bool TRELazyDfa::Usable() {
  if (!FAnalysed) Analyse();
  return FUsable;
}

void TRELazyDfa::TOrderedCache::Clear() {
  Contents.clear();
  Ids.clear();
  Trans.clear();
  Initial.fill(-1);
}

void TRELazyDfa::ResetStates() {
  FOrdered.Clear();
  FContents.clear();
  FStateIds.clear();
  FTrans.clear();
  FActionOf.clear();
  FActions.clear();
  FInitial.fill(-1);
}

namespace {
const std::array<std::uint8_t, 256>& UnknownBlock() {
  static const std::array<std::uint8_t, 256> block = [] {
    std::array<std::uint8_t, 256> b{};
    b.fill(127);
    return b;
  }();
  return block;
}
}  // namespace

void TRELazyDfa::PrepareTables() {
  if (FBlockOf[0]) return;
  static_assert(kUnknownClass == 127, "UnknownBlock holds the unknown class");
  FBlockOf.fill(&UnknownBlock());
}

std::uint8_t TRELazyDfa::ClassOf(const TREContext& cx, const char16_t* p) {
  const char16_t u = *p;
  if (UnitClass(u) != kUnknownClass) return UnitClass(u);
  std::unique_ptr<TClassBlock>& own = FBlocks[u >> 8];
  if (!own) {
    own = std::make_unique<TClassBlock>(UnknownBlock());
    FBlockOf[u >> 8] = own.get();
  }
  TClassBlock& block = *own;
  // A surrogate, or (under width folding) a half-width kana, which may join
  // the voiced mark after it into one letter: the automaton gives up there.
  if (REIsSurrogate(u) || (FBuilder.FoldsWidth() && u >= 0xFF61 && u <= 0xFF9F)) {
    block[u & 0xFF] = kBailClass;
    return kBailClass;
  }
  const int atoms = FBuilder.AtomCount();
  std::vector<std::uint64_t> bits(static_cast<std::size_t>(atoms + 63) / 64 + 1, 0);
  for (int i = 0; i < atoms; ++i)
    if (FBuilder.AtomAccepts(i, cx, p)) bits[static_cast<std::size_t>(i) / 64] |= 1ull << (i % 64);
  std::uint8_t flags = 0;
  if (REIsWordChar(u, false)) flags |= kDfaWord;
  if (REIsWordChar(u, true)) flags |= kDfaWordLegacy;
  if (REIsLineBreak(u)) flags |= kDfaBreak;
  bits.back() = flags;
  std::string key(reinterpret_cast<const char*>(bits.data()), bits.size() * sizeof(std::uint64_t));
  auto it = FClassIds.find(key);
  std::uint8_t cls;
  if (it != FClassIds.end()) {
    cls = it->second;
  } else if (FClassAtoms.size() >= kBailClass) {
    cls = kBailClass;
  } else {
    cls = static_cast<std::uint8_t>(FClassAtoms.size());
    bits.pop_back();
    FClassAtoms.push_back(std::move(bits));
    FClassFlags.push_back(flags);
    FClassIds.emplace(std::move(key), cls);
  }
  block[u & 0xFF] = cls;
  return cls;
}

int TRELazyDfa::Intern(const TREDfaContent& c) {
  std::string key = c.Key();
  auto it = FStateIds.find(key);
  if (it != FStateIds.end()) return it->second;
  const int id = static_cast<int>(FContents.size());
  FContents.push_back(c);
  FStateIds.emplace(std::move(key), id);
  FTrans.resize(FTrans.size() + kStride, -1);
  FActionOf.resize(FActionOf.size() + kStride, -1);
  return id;
}

int TRELazyDfa::Initial(std::uint8_t before) {
  int& s = FInitial[before & 15];
  if (s < 0) {
    TREDfaContent c;
    c.Before = before;
    s = Intern(c);
  }
  return s;
}

bool TRELazyDfa::Compute(int& s, std::uint8_t cls) {
  if (FContents.size() >= kMaxStates) {
    if (++FResets > kMaxResets) return false;
    const TREDfaContent keep = FContents[static_cast<std::size_t>(s)];
    ResetStates();
    s = Intern(keep);
  }
  TREDfaStep step;
  const TREDfaContent& from = FContents[static_cast<std::size_t>(s)];
  const int partitions = from.Partitions();
  FBuilder.Step(from, FClassAtoms[cls], FClassFlags[cls], 0, step);
  TAction a;
  int target = 0;
  if (step.Done) {
    a.Done = true;
    a.Start = step.Start;
  } else {
    a.Empty = step.Next.Items.empty() && !step.Next.Matched;
    bool identity = static_cast<int>(step.Sources.size()) == partitions;
    for (std::size_t k = 0; identity && k < step.Sources.size(); ++k) identity = step.Sources[k] == static_cast<int>(k);
    if (!identity) a.Sources = step.Sources;
    target = Intern(step.Next);
  }
  const std::size_t slot = static_cast<std::size_t>(s) * kStride + cls;
  const bool special = a.Done || a.Empty || !a.Sources.empty() || static_cast<int>(step.Sources.size()) != partitions;
  if (special) {
    // An empty source list with a changed count: every partition dropped.
    FActionOf[slot] = static_cast<std::int32_t>(FActions.size());
    FActions.push_back(std::move(a));
  }
  FTrans[slot] = target * 2 + (special ? 1 : 0);
  return true;
}

void TRELazyDfa::Apply(const std::vector<int>& sources, const char16_t* here) {
  FTmp.clear();
  for (int src : sources) FTmp.push_back(src < 0 ? here : FPos[static_cast<std::size_t>(src)]);
  FPos.swap(FTmp);
}

const char16_t* TRELazyDfa::Resolve(int partition, const char16_t* here) const {
  return partition < 0 ? here : FPos[static_cast<std::size_t>(partition)];
}

std::uint8_t TRELazyDfa::BeforeFlags(const TREContext& cx, const char16_t* p) {
  if (p <= cx.RangeTop) return kDfaEdge;
  const std::uint8_t cls = ClassOf(cx, p - 1);
  return cls == kBailClass ? 0xFF : FClassFlags[cls];
}

const char16_t* TRELazyDfa::TailStart(const char16_t* from, const char16_t* end) const {
  const char16_t* stop = end;
  if (FBuilder.UsesTail())
    while (stop > from && REIsLineBreak(stop[-1])) --stop;
  return stop;
}

int TRELazyDfa::InternOrdered(const TREDfaContent& c) {
  std::string key = c.Key();
  auto it = FOrdered.Ids.find(key);
  if (it != FOrdered.Ids.end()) return it->second;
  const int id = static_cast<int>(FOrdered.Contents.size());
  FOrdered.Contents.push_back(c);
  FOrdered.Ids.emplace(std::move(key), id);
  FOrdered.Trans.resize(FOrdered.Trans.size() + kStride, -1);
  return id;
}

const char16_t* TRELazyDfa::MatchEnd(const TREContext& cx, const char16_t* from, const char16_t* end) {
  PrepareTables();
  const std::uint8_t before = BeforeFlags(cx, from);
  if (before == 0xFF || FBuilder.ThreadCount() > kMaxThreads) return nullptr;
  if (FOrdered.Contents.size() >= kMaxStates) FOrdered.Clear();
  int& initial = FOrdered.Initial[before & 15];
  if (initial < 0) initial = InternOrdered(FBuilder.OrderedStart(before));
  int s = initial;
  const char16_t* stop = TailStart(from, end);
  const char16_t* found = nullptr;
  const char16_t* p = from;
  TREDfaStep step;
  for (; p < stop; ++p) {
    std::uint8_t cls = UnitClass(*p);
    if (cls == kUnknownClass) cls = ClassOf(cx, p);
    if (cls == kBailClass) return nullptr;
    std::int32_t t = FOrdered.Trans[static_cast<std::size_t>(s) * kStride + cls];
    if (t < 0) {
      FBuilder.StepOrdered(FOrdered.Contents[static_cast<std::size_t>(s)], FClassAtoms[cls], FClassFlags[cls], 0,
                           step);
      // Rebuilt from scratch when full; this run goes on from a fresh copy.
      if (FOrdered.Contents.size() >= kMaxStates) {
        const TREDfaContent keep = FOrdered.Contents[static_cast<std::size_t>(s)];
        FOrdered.Clear();
        s = InternOrdered(keep);
      }
      const int target = step.Done ? 0 : InternOrdered(step.Next);
      t = target * 4 + (step.Start == 1 ? 1 : 0) + (step.Done ? 2 : 0);
      FOrdered.Trans[static_cast<std::size_t>(s) * kStride + cls] = t;
    }
    if (t & 1) found = p;
    if (t & 2) return found;
    s = t >> 2;
  }
  TREDfaContent content = FOrdered.Contents[static_cast<std::size_t>(s)];
  for (; p < end; ++p) {
    const std::uint8_t cls = ClassOf(cx, p);
    if (cls == kBailClass) return nullptr;
    const std::uint8_t tail = kDfaTailBreaks | (p + 1 == end ? kDfaTailLast : 0);
    FBuilder.StepOrdered(content, FClassAtoms[cls], FClassFlags[cls], tail, step);
    if (step.Start == 1) found = p;
    if (step.Done) return found;
    content = step.Next;
  }
  return FBuilder.FinishOrdered(content) ? end : found;
}

TRELazyDfa::TOutcome TRELazyDfa::FindStart(const TREContext& cx, const TREOptimizer& optimizer, TREScanState& scan,
                                           const char16_t* from, const char16_t* end, const char16_t*& start) {
  start = from;
  if (FBuilder.ThreadCount() > kMaxThreads) {
    FBuilder.ResetThreads();
    ResetStates();
  }
  PrepareTables();
  FResets = 0;
  FPos.clear();
  const char16_t* stop = TailStart(from, end);
  const char16_t* p = from;
  std::uint8_t before = BeforeFlags(cx, p);
  if (before == 0xFF) return doGaveUp;
  int s = Initial(before);
  auto giveUp = [&](const char16_t* at) {
    start = FPos.empty() ? at : FPos.front();
    if (++FGaveUps >= kMaxGaveUps) FUsable = false;
    return doGaveUp;
  };
  while (p < stop) {
    std::uint8_t cls = UnitClass(*p);
    std::int32_t t = FTrans[static_cast<std::size_t>(s) * kStride + cls];
    if (t < 0) {
      if (cls == kUnknownClass) cls = ClassOf(cx, p);
      if (cls == kBailClass) return giveUp(p);
      if (FBuilder.ThreadCount() > kMaxThreads) return giveUp(p);
      t = FTrans[static_cast<std::size_t>(s) * kStride + cls];
      if (t < 0) {
        if (!Compute(s, cls)) return giveUp(p);
        t = FTrans[static_cast<std::size_t>(s) * kStride + cls];
      }
    }
    if (t & 1) {
      const TAction& a = FActions[static_cast<std::size_t>(FActionOf[static_cast<std::size_t>(s) * kStride + cls])];
      if (a.Done) {
        start = Resolve(a.Start, p);
        return doStart;
      }
      if (a.Empty) {
        FPos.clear();
        const char16_t* q = optimizer.NextStart(cx, scan, p + 1);
        if (!q) return doNoMatch;
        p = q;
        before = BeforeFlags(cx, p);
        if (before == 0xFF) return giveUp(p);
        s = Initial(before);
        continue;
      }
      Apply(a.Sources, p);
    }
    s = t >> 1;
    ++p;
  }
  // The tail: line breaks up to the end, stepped with what $ and \Z see.
  TREDfaContent content = FContents[static_cast<std::size_t>(s)];
  TREDfaStep step;
  for (; p < end; ++p) {
    const std::uint8_t cls = ClassOf(cx, p);
    if (cls == kBailClass) return giveUp(p);
    const std::uint8_t tail = kDfaTailBreaks | (p + 1 == end ? kDfaTailLast : 0);
    FBuilder.Step(content, FClassAtoms[cls], FClassFlags[cls], tail, step);
    if (step.Done) {
      start = Resolve(step.Start, p);
      return doStart;
    }
    Apply(step.Sources, p);
    content = step.Next;
  }
  FBuilder.Finish(content, step);
  if (step.Start == -2) return doNoMatch;
  start = Resolve(step.Start, end);
  return doStart;
}

}  // namespace vantora
