// Tests of TREQuickSearch: hits against a naive folded search over random
// subjects under every compare-option set, the folded shift-table index,
// the short-text paths, width folding that changes the match length, and
// window bounds (subjects are exact-size heap buffers, so a read past the end
// shows under the address sanitizer).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex/RegExpCode.h"
#include "regex/RegExpQuickSearch.h"

using namespace vantora;

namespace {

TRECompareOptions Co(bool i, bool w = false, bool k = false) {
  TRECompareOptions co;
  if (i) co.Include(coIgnoreCase);
  if (w) co.Include(coIgnoreWidth);
  if (k) co.Include(coIgnoreKana);
  return co;
}

// Every start position where the folded text equals the folded subject,
// compared character by character as the leaves do.
std::vector<int> NaiveHits(const std::u16string& text, const std::u16string& subject, TRECompareOptions co) {
  std::u16string folded;
  for (const char16_t* p = text.data(); p < text.data() + text.size();)
    REAppendChar(folded, REReadFoldedChar(p, text.data() + text.size(), co));
  std::vector<int> hits;
  const char16_t* end = subject.data() + subject.size();
  for (const char16_t* s = subject.data(); s < end; ++s) {
    const char16_t* q = s;
    const char16_t* t = folded.data();
    const char16_t* tEnd = t + folded.size();
    bool ok = true;
    while (t < tEnd) {
      if (q >= end) { ok = false; break; }
      std::uint32_t want = REReadChar(t, tEnd);
      std::uint32_t got = co.Empty() ? REReadChar(q, end) : REReadFoldedChar(q, end, co);
      if (want != got) { ok = false; break; }
    }
    if (ok) hits.push_back(static_cast<int>(s - subject.data()));
  }
  return hits;
}

std::vector<int> QuickHits(TREQuickSearch& qs, const std::u16string& subject) {
  std::vector<char16_t> buf(subject.begin(), subject.end());  // exact size
  std::vector<int> hits;
  if (buf.empty()) return hits;
  for (bool ok = qs.Exec(buf.data(), static_cast<int>(buf.size())); ok; ok = qs.ExecNext())
    hits.push_back(static_cast<int>(qs.MatchPos() - buf.data()));
  return hits;
}

}  // namespace

TEST(QuickSearch, ShiftTableOfPlainText) {
  TREQuickSearch qs;
  qs.SetFindText(u"abcab");
  qs.Compile();
  EXPECT_EQ(qs.Mode(), TREQuickSearch::qmPlain);
  EXPECT_EQ(qs.ShiftOf(u'a'), 2);  // last 'a' at index 3: 5 - 3
  EXPECT_EQ(qs.ShiftOf(u'b'), 1);
  EXPECT_EQ(qs.ShiftOf(u'c'), 3);
  EXPECT_EQ(qs.ShiftOf(u'z'), 6);  // absent: length + 1
  // A unit sharing the low byte of a text unit shares its shift (table of 256).
  EXPECT_EQ(qs.ShiftOf(static_cast<char16_t>(0x3000 | u'c')), 3);
}

TEST(QuickSearch, FoldedTextIndexesTheTableByTheFoldedSubjectUnit) {
  // The unit after the first window of "xsherlock" is 'k'; its shift must be
  // the shift of the folded 'K', or the window jumps past the match.
  TREQuickSearch qs;
  qs.SetFindText(u"sherlock");
  qs.SetOptions(Co(true));
  qs.Compile();
  EXPECT_EQ(qs.FindText(), u"SHERLOCK");
  EXPECT_EQ(qs.Mode(), TREQuickSearch::qmFolded);
  EXPECT_EQ(qs.ShiftOf(u'k'), 1);
  EXPECT_EQ(qs.ShiftOf(u'K'), 1);
  EXPECT_EQ(QuickHits(qs, u"xsherlock"), std::vector<int>{1});
  EXPECT_EQ(QuickHits(qs, u"xSherLock and sHERLOCK"), (std::vector<int>{1, 14}));

  // Kana folding: the text in hiragana finds katakana and the other way round.
  TREQuickSearch kana;
  kana.SetFindText(u"かたかな");
  kana.SetOptions(Co(false, false, true));
  EXPECT_EQ(QuickHits(kana, u"ひらカタカナかたかな"), (std::vector<int>{2, 6}));
}

TEST(QuickSearch, WidthFoldingMatchesHalfWidthWithSoundMarks) {
  TREQuickSearch qs;
  qs.SetFindText(u"ガス");
  qs.SetOptions(Co(false, true));
  qs.Compile();
  EXPECT_EQ(qs.Mode(), TREQuickSearch::qmScan);
  std::vector<char16_t> subject = {u'x', 0xFF76, 0xFF9E, 0xFF7D, u'y', 0x30AC, 0x30B9};  // xｶﾞｽyガス
  ASSERT_TRUE(qs.Exec(subject.data(), static_cast<int>(subject.size())));
  EXPECT_EQ(qs.MatchPos() - subject.data(), 1);
  EXPECT_EQ(qs.MatchLength(), 3);
  ASSERT_TRUE(qs.ExecNext());
  EXPECT_EQ(qs.MatchPos() - subject.data(), 5);
  EXPECT_EQ(qs.MatchLength(), 2);
  EXPECT_FALSE(qs.ExecNext());

  // ASCII against full-width under width and case folding.
  TREQuickSearch ab;
  ab.SetFindText(u"ab");
  ab.SetOptions(Co(true, true));
  EXPECT_EQ(QuickHits(ab, u"ＡＢ ab Ab"), (std::vector<int>{0, 3, 6}));
}

TEST(QuickSearch, ShortTextsAndBounds) {
  TREQuickSearch one;
  one.SetFindText(u"x");
  EXPECT_EQ(QuickHits(one, u"axbxx"), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(QuickHits(one, u"x"), std::vector<int>{0});
  TREQuickSearch two;
  two.SetFindText(u"xx");
  EXPECT_EQ(QuickHits(two, u"xxx"), (std::vector<int>{0, 1}));
  EXPECT_EQ(QuickHits(two, u"x"), std::vector<int>{});
  TREQuickSearch three;
  three.SetFindText(u"abc");
  EXPECT_EQ(QuickHits(three, u"ab"), std::vector<int>{});
  EXPECT_EQ(QuickHits(three, u"abc"), std::vector<int>{0});
  EXPECT_EQ(QuickHits(three, u"xxabc"), std::vector<int>{2});

  // Find limited to a window never reports a hit that runs past its end.
  std::vector<char16_t> s = {u'a', u'b', u'c', u'a', u'b', u'c'};
  EXPECT_EQ(three.Find(s.data(), s.data() + 5), s.data());
  EXPECT_EQ(three.Find(s.data() + 1, s.data() + 5), nullptr);
  EXPECT_EQ(three.Find(s.data() + 1, s.data() + 6), s.data() + 3);

  // An empty text finds nothing; Clear forgets the text.
  TREQuickSearch empty;
  EXPECT_EQ(QuickHits(empty, u"abc"), std::vector<int>{});
  three.Clear();
  EXPECT_EQ(QuickHits(three, u"abc"), std::vector<int>{});
}

TEST(QuickSearch, AgreesWithNaiveSearchUnderEveryOptionSet) {
  // Alphabet chosen so that folding matters: cases, full-width and half-width
  // forms, hiragana/katakana, sound marks, a Deseret pair (case pair above
  // U+FFFF) and units sharing low bytes with ASCII letters.
  const std::vector<std::u16string> alphabet = {
      u"a", u"A", u"b", u"B", u"k", u"K", u"ａ", u"Ａ", u"か", u"カ", u"ｶ", u"ﾞ", u"ガ",
      u"\U00010400", u"\U00010428", u"\u3061", u"\u3161", u" ", u"\u3000"};
  std::mt19937 rng(1234);
  auto randomText = [&](int n) {
    std::u16string s;
    for (int i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
    return s;
  };
  int compared = 0;
  for (unsigned bits = 0; bits < 8; ++bits) {
    TRECompareOptions co = Co(bits & 1u, bits & 2u, bits & 4u);
    for (int round = 0; round < 120; ++round) {
      std::u16string text = randomText(1 + static_cast<int>(rng() % 4));
      std::u16string subject = randomText(static_cast<int>(rng() % 40));
      // Plant the text (in a random spelling) so that hits occur.
      if (rng() % 2) subject.insert(rng() % (subject.size() + 1), text);
      TREQuickSearch qs;
      qs.SetFindText(text);
      qs.SetOptions(co);
      ASSERT_EQ(QuickHits(qs, subject), NaiveHits(text, subject, co))
          << "options " << bits << " round " << round;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 960);
}

TEST(QuickSearch, ProbeScanFindsEveryHitAcrossTheVectorBlocks) {
  // Probes only where a raw comparison decides: never for a letter that
  // another BMP unit folds to (U+017F folds to S, U+212A to K).
  TREQuickSearch plain, folded, sk;
  plain.SetFindText(u"Sherlock");
  folded.SetFindText(u"sherlock");
  folded.SetOptions(Co(true));
  sk.SetFindText(u"sk");
  sk.SetOptions(Co(true));
  plain.Compile();
  folded.Compile();
  sk.Compile();
  EXPECT_TRUE(plain.UsesProbes());
  EXPECT_EQ(plain.ProbeIndexA(), 0);  // the capital is the rarest unit
  EXPECT_TRUE(folded.UsesProbes());
  EXPECT_NE(folded.ProbeIndexA(), 0);
  EXPECT_NE(folded.ProbeIndexB(), 0);
  const std::u16string oddForms = u"\u017Fherlock sherlo\u212Ack SHERLOCK \u017Fk s\u212A Sk sK";
  EXPECT_EQ(QuickHits(folded, oddForms), NaiveHits(u"sherlock", oddForms, Co(true)));
  EXPECT_EQ(QuickHits(sk, oddForms), NaiveHits(u"sk", oddForms, Co(true)));

  // Every hit position and subject length around the eight-unit blocks,
  // in exact-size buffers, with near misses (one probe unit only) around.
  for (const std::u16string text : {u"x", u"xy", u"Ab3", u"証券取引所", u"sherlock"}) {
    for (bool icase : {false, true}) {
      TREQuickSearch qs;
      qs.SetFindText(text);
      qs.SetOptions(Co(icase));
      for (std::size_t n = text.size(); n < 40; ++n)
        for (std::size_t at = 0; at + text.size() <= n; at += 3) {
          std::u16string subject(n, u'y');
          for (std::size_t i = 0; i < n; ++i) subject[i] = text[(i * 7 + 1) % text.size()];
          subject.replace(at, text.size(), text);
          ASSERT_EQ(QuickHits(qs, subject), NaiveHits(text, subject, Co(icase)))
              << "length " << n << " at " << at << " icase " << icase;
        }
    }
  }
}
