// The worker's regular-expression searches: one engine object per pattern,
// compiled once and kept for the rest of the job (the job's thread only);
// the subject shared with the engine, never copied; a search that reaches
// one of the engine's limits finds nothing and is counted, so that the
// page's outcome can say so.
#include "worker/Search.h"

#include <map>
#include <memory>

#include "common/Charset.h"
#include "regex/RegExpW.h"

namespace vantora::detail {
namespace {

struct SearchCache {
  std::map<std::string, std::unique_ptr<TRegExp>> compiled;
  int limitsReached = 0;
};

SearchCache& Cache() {
  thread_local SearchCache cache;
  return cache;
}

// The compiled search of `patternSjis`; a pattern the engine rejects throws
// its ERegExp on every use.
TRegExp& Search(const std::string& patternSjis) {
  auto& slot = Cache().compiled[patternSjis];
  if (!slot) {
    auto re = std::make_unique<TRegExp>();
    re->SetExpression(Cp932ToUtf16(patternSjis));
    re->SetOptions(0, true);  // roIgnoreCase, and no other option
    re->Compile();
    slot = std::move(re);
  }
  return *slot;
}

template <class Body>
void Guarded(Body body) {
  try {
    body();
  } catch (const ERegExpMatchLimit&) {
    ++Cache().limitsReached;
  } catch (const ERegExp&) {
  }
}

}  // namespace

void ResetSearches() { Cache() = SearchCache{}; }

int TakeSearchLimitsReached() {
  const int n = Cache().limitsReached;
  Cache().limitsReached = 0;
  return n;
}

std::string SearchFirst(const std::string& patternSjis, const SharedSubject& subject) {
  std::string found;
  Guarded([&] {
    TRegExp& re = Search(patternSjis);
    if (re.Exec(subject)) found = Utf16ToCp932(re.Groups()[0].Strings());
  });
  return found;
}

void SearchAll(const std::string& patternSjis, const SharedSubject& subject,
               const std::function<bool(const std::string& match)>& onMatch) {
  Guarded([&] {
    TRegExp& re = Search(patternSjis);
    if (!re.Exec(subject)) return;
    do {
      if (!onMatch(Utf16ToCp932(re.Groups()[0].Strings()))) return;
    } while (re.ExecNext());
  });
}

}  // namespace vantora::detail
