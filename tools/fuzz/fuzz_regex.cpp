// libFuzzer target: compiles a pattern made from the input under options
// taken from the input and runs every search entry point on a subject made
// from the rest: Exec/ExecNext, ExecPos with a range, Replace, Split, and
// the escape operations. Only the ERegExp family may escape the engine; any
// crash, sanitizer report or other exception is a finding.
//
// Input layout: byte 0 = options (bits 0..7 -> i m n s x w k, legacy \w),
// byte 1 = pattern length in characters, byte 2 = ExecPos offset/length
// seed, then the characters: a byte below 0xC0 picks a character from a
// table of pattern-relevant characters; 0xC0..0xFF takes the next byte too
// and forms any UTF-16 code unit (surrogates included).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "regex/RegExpW.h"

namespace {

const char16_t kTable[] =
    u"abcxyzABKk019_ -.,:;!\"'#%&/<=>@`~"
    u"()[]{}|?*+^$\\"
    u"\\\\\\\\(((???::<<=!!>>''PP&&RRCC**"
    u"dDwWsShHvVRXKGbBAZzpPkgQEcxe"
    u"tnrfa0123456789{},"
    u"\n\r\x0B\x85\u2028\u00e9\u0301\u3042\u30a2\uff71\uff9e\u65e5\u672c"
    u"LMNSZ&^-"
    u"MARK:SKIPRUNETHCOMIFAL"
    u"DEFINE";
constexpr std::size_t kTableSize = sizeof(kTable) / sizeof(kTable[0]) - 1;

std::u16string Take(const std::uint8_t*& p, const std::uint8_t* end, std::size_t count) {
  std::u16string s;
  while (p < end && s.size() < count) {
    const std::uint8_t b = *p++;
    if (b < 0xC0) {
      s += kTable[b % kTableSize];
    } else {
      const std::uint8_t c = p < end ? *p++ : 0;
      s += static_cast<char16_t>(((b & 0x3F) << 10) ^ (c << 2) ^ (b << 8));
    }
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  using namespace vantora;
  const std::uint8_t opt = data[0];
  const std::size_t patternLength = data[1] % 48;
  const std::uint8_t posSeed = data[2];
  const std::uint8_t* p = data + 3;
  const std::uint8_t* end = data + size;
  const std::u16string pattern = Take(p, end, patternLength);
  const std::u16string subject = Take(p, end, 40);

  TRegExp re;
  const TREOption map[] = {roIgnoreCase, roMultiLine, roNamedGroupOnly, roSingleLine,
                           roExtended,   roIgnoreWidth, roIgnoreKana,   roDefinedCharClassLegacy};
  TREOptions options;
  for (int i = 0; i < 8; ++i)
    if (opt & (1u << i)) options.Include(map[i]);
  re.SetOptionSet(options);
  re.SetExpression(pattern);
  int callouts = 0;
  re.OnCallout = [&](TRegExp&, PCalloutData d, bool& isMatch, std::int32_t& len) {
    isMatch = (d->CalloutNumber + callouts++) % 3 != 0;
    len = d->CalloutNumber % 3;
  };
  try {
    if (re.Exec(subject)) {
      for (int i = 0; i <= re.GroupCount(); ++i) (void)re.Groups()[i].Strings();
      for (int k = 0; k < 20 && re.ExecNext(); ++k) (void)re.Substitute(u"$1$&${x}$+$`$'");
    }
    re.SetInputString(subject);
    re.ExecPos(posSeed % 8 + 1, posSeed / 32);
    (void)re.Replace(subject, u"<$0\\t$2>", posSeed % 3, posSeed % 5 + 1);
    std::vector<std::u16string> list;
    re.Split(subject, list, posSeed % 4, 1);
    (void)re.Replace(subject, [](TRegExp& r) { return r.Groups()[0].Strings(); });
  } catch (const ERegExp&) {
  }
  try {
    (void)TRegExp::DecodeEscape(pattern);
  } catch (const ERegExp&) {
  }
  (void)TRegExp::EncodeEscape(subject);
  (void)TRegExp::EscapeRegExChars(subject);
  return 0;
}
