#include "worker/Search.h"

#include <memory>

#include "common/Charset.h"
#include "regex/RegExpW.h"

namespace vantora::detail {
namespace {

std::unique_ptr<TRegExp> NewSearch(const std::string& patternSjis) {
  auto re = std::make_unique<TRegExp>();
  re->SetExpression(Cp932ToUtf16(patternSjis));
  re->SetOptions(0, true);  // roIgnoreCase, and no other option
  return re;
}

}  // namespace

std::string SearchFirst(const std::string& patternSjis, const std::u16string& subject) {
  try {
    auto re = NewSearch(patternSjis);
    if (!re->Exec(subject)) return {};
    return Utf16ToCp932(re->Groups()[0].Strings());
  } catch (const ERegExp&) {
    return {};
  }
}

void SearchAll(const std::string& patternSjis, const std::u16string& subject,
               const std::function<bool(const std::string& match)>& onMatch) {
  try {
    auto re = NewSearch(patternSjis);
    if (!re->Exec(subject)) return;
    do {
      if (!onMatch(Utf16ToCp932(re->Groups()[0].Strings()))) return;
    } while (re->ExecNext());
  } catch (const ERegExp&) {
  }
}

}  // namespace vantora::detail
