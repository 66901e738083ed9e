// Deterministic benchmark subjects, generated at run time (no data files):
//   MixedText(n)   n UTF-16 code units of Japanese and ASCII prose with
//                  line breaks, sprinkled with planted items at fixed rates:
//                  "Sherlock" in varied case, e-mail addresses, http(s)
//                  addresses, IPv4 addresses (some out of range), doubled
//                  English words (for back-reference patterns);
//   ProfilePage()  a company profile page as the worker sees it: the page's
//                  lines trimmed and joined without separators (so one long
//                  line) of about 200 K code units: scripts, style blocks and
//                  JSON state, CSS-module class names, the price board, the
//                  feature and business sections and the profile table rows;
//   SplitPieces()  the page cut at "</tr>" (delimiter dropped, empty pieces
//                  skipped), each piece trimmed, as the worker does.
// The generator is std::mt19937 with fixed seeds, whose output the C++
// standard fixes, so every run and machine sees the same subjects.
// Used by bench_engines.cpp and bench_extraction_page.cpp.
#pragma once

// GCC 12 reports false -Wrestrict overlaps inside inlined u16string
// concatenation at -O3; the generators below concatenate a lot.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vantora::bench {

inline const std::vector<std::u16string>& JapaneseWords() {
  static const std::vector<std::u16string> w = {
      u"株式会社", u"東京", u"大阪", u"証券", u"取引所", u"事業", u"製品", u"開発", u"販売",
      u"自動車", u"部品", u"電子", u"情報", u"通信", u"サービス", u"システム", u"グループ",
      u"の", u"は", u"を", u"に", u"が", u"と", u"で", u"から", u"まで", u"する", u"した",
      u"こと", u"ます", u"です", u"、", u"。", u"「", u"」", u"（", u"）", u"ソフトウェア",
      u"クラウド", u"データ", u"センター", u"海外", u"国内", u"売上", u"利益", u"年度",
      u"第３四半期", u"１２３", u"ひらがな", u"カタカナ", u"漢字", u"日本語", u"令和",
      u"決算", u"従業員", u"平均", u"年収", u"本社", u"所在地"};
  return w;
}

inline const std::vector<std::u16string>& EnglishWords() {
  static const std::vector<std::u16string> w = {
      u"the", u"company", u"market", u"share", u"price", u"report", u"annual", u"growth",
      u"cloud", u"data", u"service", u"system", u"network", u"quarter", u"revenue", u"profit",
      u"Tokyo", u"Osaka", u"Japan", u"Holdings", u"Group", u"Inc", u"Ltd", u"and", u"of",
      u"in", u"for", u"with", u"2024", u"123", u"4567", u"v2", u"API", u"HTTP"};
  return w;
}

// Words of the 20-word alternation benchmark; every one occurs in MixedText.
inline const std::vector<std::u16string>& AlternationWords() {
  static const std::vector<std::u16string> w = {
      u"company", u"market", u"price", u"report", u"annual", u"growth", u"cloud", u"service",
      u"network", u"quarter", u"revenue", u"profit", u"Tokyo", u"Osaka", u"Holdings",
      u"東京", u"大阪", u"証券", u"自動車", u"ソフトウェア"};
  return w;
}

// Words of the 1,000-word alternation benchmark: the 20 above, then
// invented lower-case words of 4 to 9 letters (a few occur in MixedText by
// chance; most do not, as in a dictionary search).
inline const std::vector<std::u16string>& AlternationWords1000() {
  static const std::vector<std::u16string> w = [] {
    std::vector<std::u16string> words = AlternationWords();
    std::mt19937 rng(1000);
    while (words.size() < 1000) {
      std::u16string word;
      const int len = 4 + static_cast<int>(rng() % 6);
      for (int i = 0; i < len; ++i) word += static_cast<char16_t>(u'a' + rng() % 26);
      if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
    }
    return words;
  }();
  return w;
}

inline std::u16string MixedText(std::size_t units, std::uint32_t seed = 20240611) {
  std::mt19937 rng(seed);
  const auto& jp = JapaneseWords();
  const auto& en = EnglishWords();
  static const std::u16string sherlocks[] = {u"Sherlock", u"sherlock", u"SHERLOCK", u"sHeRlOcK"};
  std::u16string s;
  s.reserve(units + 128);
  std::size_t lineLen = 0;
  while (s.size() < units) {
    std::uint32_t r = rng() % 1000;
    std::u16string item;
    if (r < 2) {
      item = sherlocks[rng() % 4];
    } else if (r < 5) {
      item = en[rng() % 16] + u"." + en[rng() % 16] + u"@example" + (rng() % 2 ? u".co.jp" : u".com");
    } else if (r < 8) {
      item = (rng() % 2 ? u"https://www." : u"http://") + en[rng() % 16] + u".example.jp/" +
             en[rng() % 16] + u"/" + en[rng() % 16] + u"?id=" + en[28 + rng() % 4];
    } else if (r < 11) {
      for (int i = 0; i < 4; ++i) {
        if (i) item += u'.';
        std::uint32_t octet = rng() % 300;  // 256..299 make invalid addresses
        std::string d = std::to_string(octet);
        item.append(d.begin(), d.end());
      }
    } else if (r < 13) {
      const std::u16string& w = en[rng() % 16];
      item = w + u" " + w;
    } else if (r < 600) {
      item = jp[rng() % jp.size()];
    } else {
      item = en[rng() % en.size()];
    }
    s += item;
    lineLen += item.size();
    if (lineLen > 60 && rng() % 8 == 0) {
      s += u'\n';
      lineLen = 0;
    } else if (rng() % 3 != 0) {
      s += u' ';
    }
  }
  s.resize(units);
  // Never cut a surrogate pair (the vocabulary has none, but keep it safe).
  if (!s.empty() && s.back() >= 0xD800 && s.back() <= 0xDBFF) s.back() = u' ';
  return s;
}

// The five extraction patterns of the profile extraction (searched with the
// case-insensitive option only).
inline const std::vector<std::u16string>& ExtractionPatterns() {
  static const std::vector<std::u16string> p = {
      u"最終更新日：<time>(.*?)</time>",
      u"特色</h2>(.+?)</p></section>",
      u"連結事業</h2>(.+?)</p></section>",
      u"<h2 class=\"_BasePriceBoard__name_(.+?)</h2></div>",
      u"<span class=\"_StyledNumber__value_(.+?)</span></span></span>",
  };
  return p;
}

inline std::u16string ProfilePage(std::uint32_t seed = 7) {
  std::mt19937 rng(seed);
  auto hex = [&](int n) {
    static const char16_t digits[] = u"0123456789abcdefghijklmnopqrstuvwxyz";
    std::u16string h;
    for (int i = 0; i < n; ++i) h += digits[rng() % 36];
    return h;
  };
  auto cls = [&](const std::u16string& component, const std::u16string& element) {
    return u"_" + component + u"__" + element + u"_" + hex(5) + u"_" + std::u16string(1, u'1' + rng() % 9);
  };
  const auto& jp = JapaneseWords();
  const auto& en = EnglishWords();
  auto prose = [&](int words) {
    std::u16string t;
    for (int i = 0; i < words; ++i) t += rng() % 3 ? jp[rng() % jp.size()] : en[rng() % en.size()];
    return t;
  };
  std::u16string page;
  page.reserve(210000);
  page += u"<!DOCTYPE html><html lang=\"ja\"><head><meta charset=\"utf-8\"><title>";
  page += u"(株)ヴァントラ工業【1234】：企業情報 - 株価情報</title>";
  // Style and script blocks: long lines of CSS-module rules and minified code.
  for (int block = 0; block < 6; ++block) {
    page += u"<style data-href=\"/_next/static/css/" + hex(16) + u".css\">";
    for (int rule = 0; rule < 120; ++rule)
      page += u"." + cls(u"StyledNumber", u"value") + u"{font-size:" + std::u16string(1, u'1' + rng() % 9) +
              u"px;color:#" + hex(6) + u";margin:0 " + std::u16string(1, u'0' + rng() % 10) + u"px}";
    page += u"</style>";
    page += u"<script>self.__next_f.push([1,\"";
    for (int stmt = 0; stmt < 200; ++stmt)
      page += u"function " + hex(3) + u"(e,t){return e&&t?e[" + hex(2) + u"]:t." + en[rng() % en.size()] +
              u"}var " + hex(2) + u"=\\\"" + prose(3) + u"\\\";";
    page += u"\"])</script>";
  }
  // JSON state with the values again (as the site's hydration data does).
  page += u"<script id=\"__NEXT_DATA__\" type=\"application/json\">{\"props\":{\"pageProps\":{";
  for (int i = 0; i < 400; ++i)
    page += u"\"" + hex(6) + u"\":\"" + prose(4) + u"\",\"price\":\"" + std::u16string(1, u'1' + rng() % 9) +
            u",234\",";
  page += u"\"end\":0}}}</script></head><body>";
  // Price board.
  page += u"<div class=\"" + cls(u"BasePriceBoard", u"main") + u"\"><header><h2 class=\"_BasePriceBoard__name_" +
          hex(5) + u"_1\">(株)ヴァントラ工業</h2></div>";
  page += u"<span class=\"" + cls(u"PriceBoard", u"price") + u"\"><span class=\"_StyledNumber__value_" + hex(5) +
          u"_2\">2,345</span></span></span>";
  page += u"<dl><dt>前日比</dt><dd><span>+12(+0.51%)</span></dd></dl>";
  page += u"<p>最終更新日：<time>2024/06/11 15:00</time></p>";
  // News list: long, no table rows.
  page += u"<ul class=\"" + cls(u"NewsList", u"list") + u"\">";
  for (int i = 0; i < 150; ++i)
    page += u"<li class=\"" + cls(u"NewsList", u"item") + u"\"><a href=\"/news/" + hex(12) + u"\">" + prose(12) +
            u"</a></li>";
  page += u"</ul>";
  // Descriptive sections.
  page += u"<section class=\"" + cls(u"CompanyFeature", u"section") + u"\"><h2>特色</h2><p>【特色】" + prose(30) +
          u"</p></section>";
  page += u"<section class=\"" + cls(u"CompanyFeature", u"section") + u"\"><h2>連結事業</h2><p>【連結事業】" +
          prose(30) + u"</p></section>";
  // Profile table.
  static const std::u16string labels[] = {
      u"本社所在地", u"業種分類", u"英文社名", u"代表者名", u"設立年月日", u"市場名", u"上場年月日",
      u"決算", u"単元株数", u"従業員数（単独）", u"従業員数（連結）", u"平均年齢", u"平均年収"};
  page += u"<table class=\"" + cls(u"ProfileTable", u"table") + u"\"><tbody>";
  for (const auto& label : labels)
    page += u"<tr class=\"" + cls(u"ProfileTable", u"row") + u"\"><th class=\"" + cls(u"ProfileTable", u"head") +
            u"\">" + label + u"</th><td class=\"" + cls(u"ProfileTable", u"data") + u"\">" + prose(4) +
            u"</td></tr>";
  page += u"</tbody></table>";
  // Price history table: more rows.
  page += u"<table class=\"" + cls(u"History", u"table") + u"\"><tbody>";
  for (int i = 0; i < 12; ++i)
    page += u"<tr><td>2024/05/" + std::u16string(1, u'1' + i % 9) + u"</td><td>2,3" + hex(2) +
            u"</td><td>2,4" + hex(2) + u"</td></tr>";
  page += u"</tbody></table>";
  // Footer scripts fill the page up to about 200 K code units.
  while (page.size() < 200000) {
    page += u"<script>window.__ads=window.__ads||[];__ads.push({slot:\"" + hex(10) + u"\",size:[" +
            std::u16string(1, u'1' + rng() % 9) + u"00,250],label:\"" + prose(6) + u"\"});</script>";
  }
  page += u"</body></html>";
  return page;
}

inline std::u16string TrimmedPiece(const std::u16string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] <= 0x20) ++b;
  while (e > b && s[e - 1] <= 0x20) --e;
  return s.substr(b, e - b);
}

inline std::vector<std::u16string> SplitPieces(const std::u16string& page, const std::u16string& delim = u"</tr>") {
  std::vector<std::u16string> pieces;
  std::size_t pos = 0;
  while (pos <= page.size()) {
    std::size_t hit = page.find(delim, pos);
    std::size_t stop = hit == std::u16string::npos ? page.size() : hit;
    if (stop > pos) pieces.push_back(TrimmedPiece(page.substr(pos, stop - pos)));
    if (hit == std::u16string::npos) break;
    pos = hit + delim.size();
  }
  return pieces;
}

}  // namespace vantora::bench
