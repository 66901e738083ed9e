// The match-limit error (see RegExpMatchLimits.h).
#include "regex/RegExpMatchLimits.h"

#include "regex/RegExpConst.h"

namespace vantora {

void RaiseMatchLimit(ERegExpMatchLimit::TLimit limit) {
  const char16_t* what = limit == ERegExpMatchLimit::mlSteps       ? sMatchLimitSteps
                         : limit == ERegExpMatchLimit::mlCallDepth ? sMatchLimitCallDepth
                                                                   : sMatchLimitMemory;
  throw ERegExpMatchLimit(limit, REFormat(sMatchLimitExceeded, what));
}

}  // namespace vantora
