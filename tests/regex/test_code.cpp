// Leaves of a compiled program, tested directly on a subject: folding,
// character types, classes, anchors and boundaries at range edges,
// back-references, and the repetition primitives of the fast loops.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/RegExpCode.h"
#include "regex/RegExpCodeAssert.h"
#include "regex/RegExpCodeChar.h"

namespace vantora {
namespace {

// A search context whose subject, range and captures are set by hand, as
// the matcher does.
struct Subject {
  TREContext Cx;
  std::u16string Text;
  std::vector<TRECapture> Caps;
  std::vector<int> SameGroup;
  explicit Subject(std::u16string text, std::size_t from = 0, std::size_t to = std::u16string::npos)
      : Text(std::move(text)) {
    Cx.TextTop = Text.data();
    Cx.TextEnd = Text.data() + Text.size();
    Cx.RangeTop = Text.data() + from;
    Cx.RangeEnd = Text.data() + std::min(to, Text.size());
  }
  // Capture records for groups 0..count-1, all unset, none sharing a name.
  void UseGroups(std::size_t count) {
    Caps.assign(count, TRECapture{});
    SameGroup.assign(count, 0);
    Cx.Captures = Caps.data();
    Cx.SameGroup = SameGroup.data();
    Cx.GroupCount = static_cast<int>(count);
  }
  const char16_t* At(std::size_t i) const { return Text.data() + i; }
  // The positions (indexes) where the leaf matches, with its lengths.
  std::string Scan(const TRECode& code) const {
    std::string out;
    for (const char16_t* p = Cx.RangeTop; p <= Cx.RangeEnd; ++p) {
      int len = 0;
      if (code.IsEqual(Cx, p, len))
        out += std::to_string(p - Text.data()) + (len > 1 ? ":" + std::to_string(len) : "") + " ";
    }
    return out;
  }
};

TRECompareOptions Co(std::initializer_list<TRECompareOption> list) {
  TRECompareOptions co;
  for (auto o : list) co.Include(o);
  return co;
}

TEST(Folding, CaseWidthAndKana) {
  EXPECT_EQ(REFoldChar(u'a', Co({coIgnoreCase})), u'A');
  EXPECT_EQ(REFoldChar(0xFF41, Co({coIgnoreCase})), 0xFF21u);  // full-width a
  EXPECT_EQ(REFoldChar(u'a', Co({coIgnoreWidth})), 0xFF41u);
  EXPECT_EQ(REFoldChar(u'a', Co({coIgnoreCase, coIgnoreWidth})), 0xFF21u);
  EXPECT_EQ(REFoldChar(u' ', Co({coIgnoreWidth})), 0x3000u);
  EXPECT_EQ(REFoldChar(0xFF76, Co({coIgnoreWidth})), 0x30ABu);  // half-width KA
  EXPECT_EQ(REFoldChar(0x3042, Co({coIgnoreKana})), 0x30A2u);   // A
  EXPECT_EQ(REFoldChar(0x309D, Co({coIgnoreKana})), 0x30FDu);   // iteration mark
  EXPECT_EQ(REFoldChar(0x30A2, Co({coIgnoreKana})), 0x30A2u);   // katakana stays
  EXPECT_EQ(REFoldChar(0x3099, Co({coIgnoreKana})), 0x3099u);   // combining mark stays
  EXPECT_EQ(REFoldChar(u'a', {}), u'a');

  // A half-width letter with its (semi-)voiced mark reads as one letter.
  std::u16string s = u"\uFF76\uFF9E\uFF8A\uFF9F\uFF71\uFF9E\U0001F600";
  const char16_t* p = s.data();
  const char16_t* end = p + s.size();
  TRECompareOptions w = Co({coIgnoreWidth});
  EXPECT_EQ(REReadFoldedChar(p, end, w), 0x30ACu);  // GA
  EXPECT_EQ(REReadFoldedChar(p, end, w), 0x30D1u);  // PA
  EXPECT_EQ(REReadFoldedChar(p, end, w), 0x30A2u);  // A has no voiced form...
  EXPECT_EQ(REReadFoldedChar(p, end, w), 0x309Bu);  // ...so its mark stands alone
  EXPECT_EQ(REReadFoldedChar(p, end, w), 0x1F600u);
  EXPECT_EQ(p, end);
}

TEST(Folding, StepBackAgreesWithReadingForward) {
  std::u16string s = u"a\uFF76\uFF9E\U0001F600\uFF71\uFF9E\xD800x\xDC00\uFF8A\uFF9F";
  for (TRECompareOptions co : {TRECompareOptions{}, Co({coIgnoreWidth})}) {
    std::vector<const char16_t*> starts;
    const char16_t* p = s.data();
    const char16_t* end = p + s.size();
    while (p < end) {
      starts.push_back(p);
      REReadFoldedChar(p, end, co);
    }
    const char16_t* q = end;
    for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
      q = REPrevFoldedChar(q, s.data(), co);
      EXPECT_EQ(q, *it) << "width " << co.Contains(coIgnoreWidth);
    }
  }
}

TEST(CharTypes, UnicodeAndLegacyDefinitions) {
  for (bool legacy : {false, true}) {
    EXPECT_TRUE(REIsWordChar(u'_', legacy));
    EXPECT_TRUE(REIsDigitChar(u'7', legacy));
    EXPECT_FALSE(REIsSpaceChar(0x0B, legacy)) << "VT is white space in neither mode";
    EXPECT_TRUE(REIsSpaceChar(u'\t', legacy));
  }
  EXPECT_TRUE(REIsWordChar(0x3042, false));    // hiragana letter
  EXPECT_FALSE(REIsWordChar(0x3042, true));
  EXPECT_TRUE(REIsWordChar(0x0301, false));    // combining mark
  EXPECT_TRUE(REIsWordChar(0x203F, false));    // connector punctuation
  EXPECT_FALSE(REIsWordChar(u'-', false));
  EXPECT_TRUE(REIsDigitChar(0xFF11, false));   // full-width one
  EXPECT_FALSE(REIsDigitChar(0xFF11, true));
  EXPECT_FALSE(REIsDigitChar(0x00B2, false));  // superscript two is No, not Nd
  EXPECT_TRUE(REIsSpaceChar(0x3000, false));
  EXPECT_FALSE(REIsSpaceChar(0x3000, true));
  EXPECT_TRUE(REIsSpaceChar(0x85, false));
  EXPECT_FALSE(REIsSpaceChar(0x85, true));
  EXPECT_TRUE(REIsSpaceChar(u' ', true));
  EXPECT_TRUE(REIsHorizontalSpace(0x180E));
  EXPECT_FALSE(REIsHorizontalSpace(u'\n'));
  EXPECT_TRUE(REIsVerticalSpace(0x0B));
  EXPECT_TRUE(REIsVerticalSpace(0x2029));
  EXPECT_FALSE(REIsVerticalSpace(u' '));
  EXPECT_TRUE(REIsPosixClass(0x0B, pckSpace, false));  // POSIX space includes VT
  EXPECT_FALSE(REIsPosixClass(0x0B, pckSpacePerl, false));
  EXPECT_TRUE(REIsPosixClass(u'F', pckXdigit, false));
  EXPECT_FALSE(REIsPosixClass(u'g', pckXdigit, false));
  EXPECT_TRUE(REIsPosixClass(0x4E00, pckAssigned, false));
  EXPECT_FALSE(REIsPosixClass(0x0378, pckAssigned, false));
}

TEST(Leaves, CharactersLiteralsAndDot) {
  Subject s(u"aAbB\U0001F600\n.");
  TRECharCode a(u'a', {roIgnoreCase});
  EXPECT_EQ(s.Scan(a), "0 1 ");
  TRECharCode smile(0x1F600, {});
  EXPECT_EQ(s.Scan(smile), "4:2 ");
  EXPECT_EQ(smile.GetLength(), 2);
  TRELiteralCode ab({u'a', u'b'}, {roIgnoreCase});
  EXPECT_EQ(s.Scan(ab), "1:2 ");
  TREAnyCharCode dot({});
  EXPECT_EQ(s.Scan(dot), "0 1 2 3 4 5 7 ");  // one code unit each, never a line break
  TREAnyCharCode dotAll({roSingleLine});
  EXPECT_EQ(s.Scan(dotAll), "0 1 2 3 4 5 6 7 ");
  // Nothing reads past the range end.
  Subject cut(u"abc", 0, 1);
  TRELiteralCode lit({u'a', u'b'}, {});
  EXPECT_EQ(cut.Scan(lit), "");
  EXPECT_EQ(lit.Find(cut.Cx, cut.At(0)), nullptr);
}

TEST(Leaves, ClassesFoldTheirRanges) {
  Subject s(u"aK\u30A2\u3042-]\U0001F600");
  TRECharClassCode az(false, {roIgnoreCase});
  az.Add(u'a', u'z');
  az.Sort();
  EXPECT_EQ(s.Scan(az), "0 1 ");
  TRECharClassCode hira(false, {roIgnoreKana});
  hira.Add(0x3041, 0x3093);
  hira.Sort();
  EXPECT_EQ(s.Scan(hira), "2 3 ");  // katakana A matches through folding
  TRECharClassCode neg(true, {});
  neg.Add(u'-');
  neg.Add(u']');
  neg.Add(std::make_unique<TREWordCharCode>(false, TREOptions{}));
  neg.Sort();
  EXPECT_EQ(s.Scan(neg), "6:2 7 ");  // the emoji; and a lone low surrogate when read alone
  EXPECT_EQ(neg.GetLength(), -1);  // one or two code units
  EXPECT_TRUE(neg.CanRepeatFast());
  // Ranges merge.
  TRECharClassCode m(false, {});
  m.Add(u'a', u'c');
  m.Add(u'b', u'f');
  m.Add(u'g');
  m.Add(u'x');
  m.Sort();
  ASSERT_EQ(m.Ranges().size(), 2u);
  EXPECT_EQ(m.Ranges()[0], (std::pair<std::uint32_t, std::uint32_t>{u'a', u'g'}));
}

TEST(Leaves, PropertiesAndTypes) {
  Subject s(u"a\u3042\u30A2\u4E00 1\uFF11");
  TREPropertyCode han(upHan, false, {});
  EXPECT_EQ(s.Scan(han), "3 ");
  TREPropertyCode notHira(upHiragana, true, {});
  EXPECT_EQ(s.Scan(notHira), "0 2 3 4 5 6 ");
  TREDigitCharCode d(false, {});
  EXPECT_EQ(s.Scan(d), "5 6 ");
  TREDigitCharCode dLegacy(false, {roDefinedCharClassLegacy});
  EXPECT_EQ(s.Scan(dLegacy), "5 ");
  TREPosixCharClassCode alpha(pckAlpha, false, {});
  EXPECT_EQ(s.Scan(alpha), "0 1 2 3 ");
}

TEST(Leaves, LineBreaksAndCombiningSequences) {
  Subject s(u"\r\n\n\r\u2028x");
  TRELineBreakCharCode r({});
  EXPECT_EQ(s.Scan(r), "0:2 1 2 3 4 ");
  // PrevRepeat gives back CR LF as one repetition.
  EXPECT_EQ(r.PrevRepeat(s.At(2), s.At(0)), s.At(0));
  EXPECT_EQ(r.PrevRepeat(s.At(2), s.At(1)), s.At(1));
  Subject x(u"e\u0301\u0302a\u0301");
  TRECombiningSequence seq({});
  EXPECT_EQ(x.Scan(seq), "0:3 1:2 2 3:2 4 ");
  EXPECT_EQ(seq.PrevRepeat(x.At(5), x.At(0)), x.At(3));
  EXPECT_EQ(seq.PrevRepeat(x.At(3), x.At(0)), x.At(0));
}

TEST(Leaves, AnchorsAtRangeEdges) {
  Subject s(u"ab\ncd\r\n");
  TRELineTailCode dollar({});
  EXPECT_EQ(s.Scan(dollar), "6 7 ");  // the final LF alone, and the end
  TRELineTailCode dollarM({roMultiLine});
  EXPECT_EQ(s.Scan(dollarM), "2 5 6 7 ");
  TRELineHeadCode caret({});
  EXPECT_EQ(s.Scan(caret), "0 ");
  TRELineHeadCode caretM({roMultiLine});
  EXPECT_EQ(s.Scan(caretM), "0 3 6 ");  // never at the very end
  TRETextTailCode bigZ({});
  EXPECT_EQ(s.Scan(bigZ), "5 6 7 ");
  TRETextEndCode z({});
  EXPECT_EQ(s.Scan(z), "7 ");
  // A range inside the subject: its start counts as the text start.
  Subject mid(u"xab yz", 1, 5);
  TRETextHeadCode bigA({});
  EXPECT_EQ(mid.Scan(bigA), "1 ");
  TREBoundaryCode b(false, {});
  EXPECT_EQ(mid.Scan(b), "1 3 4 5 ");  // edges see non-word characters outside
  TREBoundaryCode nb(true, {});
  EXPECT_EQ(mid.Scan(nb), "2 ");
  // \G: the previous match end, else the range start.
  TREGlobalPosCode g({});
  EXPECT_EQ(mid.Scan(g), "1 ");
  mid.Cx.LastMatchEnd = mid.At(3);
  EXPECT_EQ(mid.Scan(g), "3 ");
}

TEST(Leaves, BackReferencesCompareUnderTheirOptions) {
  Subject s(u"abcABCab");
  s.UseGroups(2);
  TRECapture& g = s.Caps[1];
  TREReferenceCode ref(1, {});
  EXPECT_EQ(s.Scan(ref), "");  // the group has not matched: the reference fails
  g.StartP = s.At(0);
  g.EndP = s.At(2);
  g.Success = true;
  EXPECT_EQ(s.Scan(ref), "0:2 6:2 ");
  TREReferenceCode refI(1, {roIgnoreCase});
  EXPECT_EQ(s.Scan(refI), "0:2 3:2 6:2 ");
  g.EndP = s.At(0);  // an empty capture matches everywhere
  EXPECT_EQ(s.Scan(ref), "0 1 2 3 4 5 6 7 8 ");
  TREIfThenReferenceCode cond(1, {});
  EXPECT_TRUE(cond.Compare(s.Cx, s.At(0)));
  g.Success = false;
  EXPECT_FALSE(cond.Compare(s.Cx, s.At(0)));
}

TEST(Leaves, RepeatAndPrevRepeatWalkWholeCharacters) {
  Subject s(u"a\U0001F600b\U0001F600>x");
  TRECharClassCode notGt(true, {});
  notGt.Add(u'>');
  notGt.Sort();
  const char16_t* p = s.At(0);
  EXPECT_EQ(notGt.Repeat(s.Cx, p, -1), 4);
  EXPECT_EQ(p, s.At(6));
  std::vector<const char16_t*> back;
  for (const char16_t* q = p; q > s.At(0); q = notGt.PrevRepeat(q, s.At(0))) back.push_back(q);
  EXPECT_EQ(back, (std::vector<const char16_t*>{s.At(6), s.At(4), s.At(3), s.At(1)}));
  const char16_t* b = s.At(0);
  EXPECT_TRUE(notGt.ExecRepeat(s.Cx, b, 2, 3));
  EXPECT_EQ(b, s.At(4));
  const char16_t* c = s.At(6);
  EXPECT_FALSE(notGt.ExecRepeat(s.Cx, c, false));  // plus needs one
  EXPECT_EQ(c, s.At(6));
  TRELiteralCode ab({u'a', u'b'}, {});
  EXPECT_TRUE(ab.CanRepeatFast());
  TRELiteralCode abW({u'a', 0x30AC}, {roIgnoreWidth});
  EXPECT_FALSE(abW.CanRepeatFast());  // its length varies
}

TEST(Leaves, OverlapIsExactForPlainCharactersAndConservativeOtherwise) {
  Subject s(u"");
  TRECharCode a(u'a', {});
  TRECharCode b(u'b', {});
  TREDigitCharCode d(false, {});
  TREAnyCharCode dot({});
  TRECharCode lf(u'\n', {});
  EXPECT_FALSE(a.IsOverlap(&b));
  EXPECT_TRUE(a.IsOverlap(&a));
  EXPECT_FALSE(d.IsOverlap(&a));
  EXPECT_FALSE(a.IsOverlap(&d));
  EXPECT_TRUE(dot.IsOverlap(&a));
  EXPECT_FALSE(dot.IsOverlap(&lf));
  TRECharCode ai(u'a', {roIgnoreCase});
  TRECharCode upperA(u'A', {});
  EXPECT_TRUE(ai.IsOverlap(&upperA));
  EXPECT_FALSE(ai.IsOverlap(&b));
  TRECharCode five(u'5', {});
  EXPECT_TRUE(d.IsInclude(&five));
  EXPECT_FALSE(d.IsInclude(&a));
}

}  // namespace
}  // namespace vantora
