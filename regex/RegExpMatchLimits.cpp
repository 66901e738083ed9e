// The step budget formula and the match-limit error (see RegExpMatchLimits.h).
#include "regex/RegExpMatchLimits.h"

#include "regex/RegExpConst.h"

namespace vantora {

std::uint64_t REStepBudget(std::size_t units) {
  const std::uint64_t n = static_cast<std::uint64_t>(units) + 1;
  constexpr std::uint64_t kMaxN = 1ull << 30;  // n^2 * kStepQuadratic stays below 2^63
  if (n >= kMaxN) return ~0ull;
  return kStepBase + kStepQuadratic * n * n;
}

void RaiseMatchLimit(ERegExpMatchLimit::TLimit limit) {
  const char16_t* what = limit == ERegExpMatchLimit::mlSteps       ? sMatchLimitSteps
                         : limit == ERegExpMatchLimit::mlCallDepth ? sMatchLimitCallDepth
                                                                   : sMatchLimitMemory;
  throw ERegExpMatchLimit(limit, REFormat(sMatchLimitExceeded, what));
}

}  // namespace vantora
