// Text helpers on Shift-JIS byte strings. Every search walks the text
// character by character (a first byte of a double-byte character takes its
// second byte with it), so a match can only start on a character boundary.
#include "common/TextUtil.h"

#include "common/Charset.h"

namespace vantora {
namespace {

constexpr std::size_t kNpos = std::string_view::npos;

unsigned char Byte(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Length of the character that starts at byte index `i`: 2 for a first byte
// with a byte after it, else 1.
std::size_t CharLength(std::string_view s, std::size_t i) {
  return (IsSjisLeadByte(Byte(s, i)) && i + 1 < s.size()) ? 2 : 1;
}

unsigned char FoldAscii(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Whether `what` stands at byte index `i` of `text`. With `ignoreCase`, ASCII
// letters fold; the bytes of a double-byte character of `what` compare exactly
// (walking `what` character by character keeps the second bytes apart).
bool MatchesAt(std::string_view text, std::size_t i, std::string_view what, bool ignoreCase) {
  if (text.size() - i < what.size()) return false;
  if (!ignoreCase) return text.compare(i, what.size(), what) == 0;
  for (std::size_t k = 0; k < what.size();) {
    const std::size_t n = CharLength(what, k);
    if (n == 2) {
      if (Byte(text, i + k) != Byte(what, k) || Byte(text, i + k + 1) != Byte(what, k + 1))
        return false;
    } else if (FoldAscii(Byte(text, i + k)) != FoldAscii(Byte(what, k))) {
      return false;
    }
    k += n;
  }
  return true;
}

// Whether byte index `i` starts a character, found by looking backwards only:
// the byte before a run of first-byte-range bytes always ends a character
// (a single byte, or a second byte), so the run pairs up from its start and
// `i` is a boundary exactly when the run before it has even length. `from`
// is a known boundary at or before `i`.
bool IsCharStart(std::string_view text, std::size_t from, std::size_t i) {
  std::size_t run = 0;
  while (i - run > from && IsSjisLeadByte(Byte(text, i - run - 1))) ++run;
  return run % 2 == 0;
}

std::size_t Find(std::string_view text, std::string_view what, std::size_t from,
                 bool ignoreCase) {
  if (what.empty() || from >= text.size()) return kNpos;
  if (!ignoreCase) {
    // Byte search for candidates, each checked for a character start.
    for (std::size_t i = text.find(what, from); i != kNpos; i = text.find(what, i + 1))
      if (IsCharStart(text, from, i)) return i;
    return kNpos;
  }
  const unsigned char first = Byte(what, 0);
  const unsigned char firstFolded = FoldAscii(first);
  for (std::size_t i = from; i < text.size(); i += CharLength(text, i)) {
    const unsigned char c = Byte(text, i);
    if (c != first && !(ignoreCase && FoldAscii(c) == firstFolded)) continue;
    if (MatchesAt(text, i, what, ignoreCase)) return i;
  }
  return kNpos;
}

}  // namespace

void SplitText(std::string_view source, std::string_view delimiter, StringList& list) {
  ForEachPiece(source, delimiter, [&](std::string_view piece) {
    list.emplace_back(piece);
    return true;
  });
}

void ForEachPiece(std::string_view source, std::string_view delimiter,
                  const std::function<bool(std::string_view piece)>& onPiece) {
  std::size_t i = 0;
  while (i < source.size()) {
    const std::size_t p = Find(source, delimiter, i, false);
    if (p == kNpos) {
      onPiece(source.substr(i));
      return;
    }
    if (p > i && !onPiece(source.substr(i, p - i))) return;
    i = p + delimiter.size();
  }
}

void ForEachLine(std::string_view text, const std::function<bool(std::string_view line)>& onLine) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    if (!onLine(text.substr(start, i - start))) return;
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) onLine(text.substr(start));
}

std::string StripTags(std::string_view text) {
  // '<' and '>' are never second bytes of a double-byte character, so a
  // byte-wise scan finds only real ones.
  std::string out;
  out.reserve(text.size());
  std::size_t e = 0;
  while (e < text.size()) {
    const std::size_t s = text.find('<', e);
    if (s == kNpos) break;
    const std::size_t close = text.find('>', s + 1);
    if (close == kNpos) break;  // no tag from here on: the rest stays
    out.append(text.substr(e, s - e));
    e = close + 1;
  }
  out.append(text.substr(e));
  return out;
}

std::string NormalizeWidth(std::string_view text) {
  // The sixteen replacements in one pass: every replacement yields an ASCII
  // byte that none of the later ones replaces, and a double-byte character
  // always becomes one byte, so one left-to-right walk gives the same text as
  // sixteen successive passes.
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = CharLength(text, i);
    const unsigned char c = Byte(text, i);
    if (n == 1) {
      out += c == '?' ? '-' : static_cast<char>(c);
      ++i;
      continue;
    }
    const unsigned char t = Byte(text, i + 1);
    char r = 0;
    if (c == 0x81) {
      switch (t) {
        case 0x40: r = ' '; break;  // ideographic space
        case 0x7C: r = '-'; break;  // full-width hyphen-minus
        case 0x5D: r = '-'; break;  // hyphen
        case 0x69: r = '('; break;
        case 0x6A: r = ')'; break;
        default: break;
      }
    } else if (c == 0x82 && t >= 0x4F && t <= 0x58) {
      r = static_cast<char>('0' + (t - 0x4F));  // full-width digits
    }
    if (r != 0) {
      out += r;
    } else {
      out.append(text.substr(i, 2));
    }
    i += 2;
  }
  return out;
}

std::string_view TrimView(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && Byte(text, b) <= 0x20) ++b;
  while (e > b && Byte(text, e - 1) <= 0x20) --e;
  return text.substr(b, e - b);
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::size_t FindText(std::string_view text, std::string_view what, std::size_t from) {
  return Find(text, what, from, false);
}

std::size_t FindTextIgnoreCase(std::string_view text, std::string_view what, std::size_t from) {
  return Find(text, what, from, true);
}

std::string ReplaceTextIgnoreCase(std::string_view text, std::string_view what,
                                  std::string_view with) {
  if (what.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (true) {
    const std::size_t p = Find(text, what, i, true);
    if (p == kNpos) break;
    out.append(text.substr(i, p - i));
    out.append(with);
    i = p + what.size();
  }
  out.append(text.substr(i));
  return out;
}

bool SameTextIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && MatchesAt(a, 0, b, true);
}

std::size_t SafeCutLength(std::string_view text, std::size_t bytes) {
  if (bytes >= text.size()) return text.size();
  std::size_t i = 0;
  while (i < bytes) {
    const std::size_t n = CharLength(text, i);
    if (i + n > bytes) return i;  // the character at i straddles the cut
    i += n;
  }
  return i;
}

}  // namespace vantora
