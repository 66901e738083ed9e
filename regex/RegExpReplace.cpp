// Replacement and splitting over the search operations: Substitute (the
// replacement template), Replace in its template and function forms, Split,
// and the convenience functions that wrap a temporary TRegExp.
//
// Replace and Split walk the matches with ExecPos(offset) then ExecNext,
// keep a copy point (initially the subject start) and skip empty matches;
// text before the offset is copied unchanged. The function form installs an
// adapter as OnReplace for the duration of the call and always unsets both
// OnReplace and the stored function afterwards, also when an exception
// passes.
// Covered by tests/regex/test_regexp_replace.cpp and tests/regex/test_corpus.cpp.
#include "regex/RegExpW.h"

namespace vantora {

namespace {
std::u16string GroupText(TRegExp& re, int index) {
  if (index < 0 || index > re.GroupCount()) return {};
  return re.Groups().Item(index).Strings();
}
}  // namespace

std::u16string TRegExp::Substitute(const std::u16string& templ) {
  if (templ.empty() || !FMatched || Groups().Count() == 0) return {};
  const TRECapture& m = Groups().Item(0).Capture();
  std::u16string out;
  const std::size_t n = templ.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t c = templ[i];
    if (c != u'$') {
      out += c;
      continue;
    }
    if (i + 1 >= n) {  // a lone '$' at the end stays as it is
      out += c;
      break;
    }
    const char16_t d = templ[++i];
    if (d >= u'0' && d <= u'9') {
      out += GroupText(*this, d - u'0');
    } else if (d == u'{') {
      std::size_t close = templ.find(u'}', i + 1);
      const std::size_t stop = close == std::u16string::npos ? n : close;
      const std::u16string name = templ.substr(i + 1, stop - i - 1);
      if (Groups().IndexOfName(name) >= 0) out += Groups().Names(name).Strings();
      i = close == std::u16string::npos ? n : close;
    } else if (d == u'&') {
      out += GroupText(*this, 0);
    } else if (d == u'`') {
      if (m.StartP && FTextTopP) out.append(FTextTopP, m.StartP);
    } else if (d == u'\'') {
      if (m.EndP && FTextEndP) out.append(m.EndP, FTextEndP);
    } else if (d == u'_') {
      out += InputString();
    } else if (d == u'+') {
      for (int g = GroupCount(); g >= 1; --g)
        if (Groups().Item(g).Success()) {
          out += Groups().Item(g).Strings();
          break;
        }
    } else {
      out += d;  // "$$" and "$x": the character
    }
  }
  return out;
}

std::u16string TRegExp::Replace(const std::u16string& input, const std::u16string& replacement, int count,
                                int offset) {
  std::u16string result;
  SetInputString(input);
  const std::u16string templ = DecodeEscape(replacement);
  const char16_t* copy = FTextTopP;
  int done = 0;
  for (bool found = ExecPos(offset, 0); found; found = ExecNext()) {
    const TRECapture& m = Groups().Item(0).Capture();
    if (m.StartP == m.EndP) continue;
    if (count > 0 && done >= count) break;
    std::u16string with = Substitute(templ);
    if (OnReplace) OnReplace(*this, with);
    const TRECapture& m2 = Groups().Item(0).Capture();  // the handler may only read
    result.append(copy, m2.StartP);
    result += with;
    copy = m2.EndP;
    ++done;
  }
  result.append(copy, FTextEndP);
  return result;
}

std::u16string TRegExp::Replace(const std::u16string& input, TRegExpReplaceFunction function, int count,
                                int offset) {
  struct TRestore {
    TRegExp& Re;
    ~TRestore() {
      Re.OnReplace = nullptr;
      Re.FReplaceFunction = nullptr;
    }
  } restore{*this};
  FReplaceFunction = std::move(function);
  OnReplace = [](TRegExp& sender, std::u16string& with) {
    if (sender.FReplaceFunction) with = sender.FReplaceFunction(sender);
  };
  return Replace(input, std::u16string(), count, offset);
}

void TRegExp::Split(const std::u16string& input, std::vector<std::u16string>& list, int count, int offset) {
  list.clear();
  SetInputString(input);
  if (!ExecPos(offset, 0)) return;
  const char16_t* copy = FTextTopP;
  int pieces = 0;
  for (bool found = true; found; found = ExecNext()) {
    const TRECapture& m = Groups().Item(0).Capture();
    if (m.StartP == m.EndP) continue;
    list.emplace_back(copy, m.StartP);
    copy = m.EndP;
    ++pieces;
    if (count > 0 && pieces >= count - 1) break;
  }
  list.emplace_back(copy, FTextEndP);
}

// ------------------------------------------------------ convenience functions

bool RegIsMatch(const std::u16string& pattern, const std::u16string& subject, TREOptions options) {
  TRegExp re;
  options.Include(roNamedGroupOnly);
  re.SetOptionSet(options);
  re.SetExpression(pattern);
  return re.Exec(subject);
}

bool RegMatch(const std::u16string& pattern, const std::u16string& subject, std::vector<std::u16string>& list,
              TREOptions options) {
  list.clear();
  TRegExp re;
  re.SetOptionSet(options);
  re.SetExpression(pattern);
  if (!re.Exec(subject)) return false;
  for (int i = 0; i <= re.GroupCount(); ++i) list.push_back(re.Groups()[i].Strings());
  return true;
}

std::u16string RegReplace(const std::u16string& pattern, const std::u16string& subject,
                          const std::u16string& replacement, TREOptions options) {
  TRegExp re;
  re.SetOptionSet(options);
  re.SetExpression(pattern);
  return re.Replace(subject, replacement, 0, 1);
}

std::u16string RegReplace(const std::u16string& pattern, const std::u16string& subject,
                          TRegExpReplaceFunction function, TREOptions options) {
  TRegExp re;
  re.SetOptionSet(options);
  re.SetExpression(pattern);
  return re.Replace(subject, std::move(function), 0, 1);
}

void RegSplit(const std::u16string& pattern, const std::u16string& subject, std::vector<std::u16string>& list,
              TREOptions options) {
  list.clear();
  TRegExp re;
  re.SetOptionSet(options);
  re.SetExpression(pattern);
  re.Split(subject, list, 0, 1);
}

}  // namespace vantora
