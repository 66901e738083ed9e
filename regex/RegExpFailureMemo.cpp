// Open-addressing hash set behind the failure memo (see RegExpFailureMemo.h
// for what the keys mean and why cutting on them is sound). Linear probing;
// the table doubles when half full, so a probe sequence stays short, up to
// its ceiling, where it forgets everything instead.
// Covered by tests/regex/test_match_memo.cpp.
#include "regex/RegExpFailureMemo.h"

#include <algorithm>

namespace vantora {

namespace {
std::uint64_t Scramble(std::uint64_t x) {  // a full 64-bit avalanche
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::uint64_t Mix(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  return Scramble(a ^ Scramble(b ^ Scramble(c)));
}
}  // namespace

bool TREFailureMemo::TestAndSet(std::uint64_t k1, std::uint64_t k2, std::uint64_t k3) {
  if (FSlots.empty() || (FCount + 1) * 2 > FSlots.size()) {
    if (FSlots.size() < kMaxSlots)
      Grow();
    else
      Forget();
  }
  const std::size_t mask = FSlots.size() - 1;
  std::size_t i = static_cast<std::size_t>(Mix(k1, k2, k3)) & mask;
  for (;;) {
    TSlot& s = FSlots[i];
    if (s.K1 == 0) {
      s.K1 = k1;
      s.K2 = k2;
      s.K3 = k3;
      ++FCount;
      return false;
    }
    if (s.K1 == k1 && s.K2 == k2 && s.K3 == k3) return true;
    i = (i + 1) & mask;
  }
}

void TREFailureMemo::Clear() {
  ++FGeneration;
  if (FCount == 0) return;
  if (FSlots.size() > 4096) {
    FSlots.clear();
    FSlots.shrink_to_fit();
  } else {
    for (TSlot& s : FSlots) s = TSlot{};
  }
  FCount = 0;
}

void TREFailureMemo::Forget() {
  ++FGeneration;
  std::fill(FSlots.begin(), FSlots.end(), TSlot{});
  FCount = 0;
}

void TREFailureMemo::Grow() {
  std::vector<TSlot> old;
  old.swap(FSlots);
  FSlots.assign(old.empty() ? 256 : old.size() * 2, TSlot{});
  FCount = 0;
  for (const TSlot& s : old)
    if (s.K1 != 0) TestAndSet(s.K1, s.K2, s.K3);
}

}  // namespace vantora
