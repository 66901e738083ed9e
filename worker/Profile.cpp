// The company profile extraction: one profile page into field slots 0..21.
// The page is joined from its trimmed lines (UTF-8 to Shift-JIS), cut at
// every "</tr>", and each piece is tried for the update time, the two
// descriptive texts, the price board (name, price, change) and the profile
// table rows; a later piece that yields a value overwrites an earlier one.
#include <algorithm>
#include <string>
#include <string_view>

#include "common/Charset.h"
#include "common/SiteConfig.h"
#include "common/TextUtil.h"
#include "worker/Job.h"
#include "worker/JobInternal.h"
#include "worker/Search.h"

namespace vantora {
namespace {

constexpr std::size_t kPostalBytes = 10;

// The texts of the extraction, in Shift-JIS, built once.
struct ProfileTexts {
  std::string updatePattern = detail::Sjis("最終更新日：<time>(.*?)</time>");
  std::string updateHead = detail::Sjis("最終更新日：<time>");
  std::string updateLabel = detail::Sjis("最終更新日：");
  std::string featurePattern = detail::Sjis("特色</h2>(.+?)</p></section>");
  std::string featureHead = detail::Sjis("特色</h2>");
  std::string featureMark = detail::Sjis("【特色】");
  std::string businessPattern = detail::Sjis("連結事業</h2>(.+?)</p></section>");
  std::string businessHead = detail::Sjis("連結事業</h2>");
  std::string businessMark = detail::Sjis("【連結事業】");
  std::string namePattern = "<h2 class=\"_BasePriceBoard__name_(.+?)</h2></div>";
  std::string pricePattern = "<span class=\"_StyledNumber__value_(.+?)</span></span></span>";
  // The literal heads of the name and price patterns.
  std::string nameHead = "<h2 class=\"_BasePriceBoard__name_";
  std::string priceHead = "<span class=\"_StyledNumber__value_";
  std::string change = detail::Sjis("前日比");
  std::string routeLink = detail::Sjis("Vantora!路線情報で確認");
  std::string addressLabel = detail::Sjis("本社所在地");
  struct Form {
    std::string abbreviated, full;
  };
  Form forms[4] = {
      {detail::Sjis("(株)"), detail::Sjis("株式会社")},
      {detail::Sjis("(有)"), detail::Sjis("有限会社")},
      {detail::Sjis("(同)"), detail::Sjis("合同会社")},
      {detail::Sjis("(合)"), detail::Sjis("合同会社")},
  };
};

const ProfileTexts& Texts() {
  static const ProfileTexts texts;
  return texts;
}

// The text from byte index `from` to the end (empty past the end).
std::string From(const std::string& text, std::size_t from) {
  return from < text.size() ? text.substr(from) : std::string();
}

// Splits an address value after its postal part: the first 10 bytes, cut
// one byte earlier when the 10th byte would be the first byte of a
// double-byte character, so that no character is split.
std::size_t PostalCut(const std::string& value) { return SafeCutLength(value, kPostalBytes); }

// Whether `head` may occur in `text`: a plain byte search with ASCII letters
// compared without case. It finds every occurrence a case-insensitive search
// of the engine could find; one that starts inside a double-byte character
// only means that the real search runs and decides.
bool MayHold(std::string_view text, std::string_view head) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  if (head.empty() || lower(head[0]) != head[0] || (head[0] >= 'a' && head[0] <= 'z')) return true;
  for (std::size_t i = text.find(head[0]); i != std::string_view::npos && i + head.size() <= text.size();
       i = text.find(head[0], i + 1)) {
    if (std::equal(head.begin(), head.end(), text.begin() + static_cast<std::ptrdiff_t>(i),
                   [&](char a, char b) { return lower(a) == lower(b); }))
      return true;
  }
  return false;
}

// Tries every value on one piece. Returns true when the piece was the 平均年収 row,
// which ends the scan.
bool ExtractPiece(std::string_view piece) {
  const ProfileTexts& t = Texts();
  auto& slots = Job().fieldSlots;
  const std::string_view p = TrimView(piece);
  // Every match of a search holds its pattern's literal head, so a search
  // whose head is not in the piece cannot match and is skipped; the piece is
  // converted (once, for all searches) only when one of them can run. The
  // heads hold ASCII and kanji only, and no Shift-JIS character other than
  // an ASCII letter folds to an ASCII letter, so MayHold finds a head
  // wherever the engine could match.
  const bool can[5] = {MayHold(p, t.updateHead), MayHold(p, t.featureHead), MayHold(p, t.businessHead),
                       MayHold(p, t.nameHead), MayHold(p, t.priceHead)};
  const bool any = can[0] || can[1] || can[2] || can[3] || can[4];
  const detail::SharedSubject subject = detail::ShareSubject(any ? Cp932ToUtf16(p) : std::u16string());

  // Update time.
  if (std::string m = can[0] ? detail::SearchFirst(t.updatePattern, subject) : std::string(); !m.empty()) {
    slots[kColUpdated] = RemoveTextIgnoreCase(Trim(StripTags(m)), t.updateLabel);
  }
  // Feature text.
  if (std::string m = can[1] ? detail::SearchFirst(t.featurePattern, subject) : std::string(); !m.empty()) {
    m = Trim(StripTags(RemoveTextIgnoreCase(m, t.featureHead)));
    slots[kColFeature] = RemoveTextIgnoreCase(m, t.featureMark);
  }
  // Business text.
  if (std::string m = can[2] ? detail::SearchFirst(t.businessPattern, subject) : std::string(); !m.empty()) {
    m = Trim(StripTags(RemoveTextIgnoreCase(m, t.businessHead)));
    slots[kColBusiness] = RemoveTextIgnoreCase(m, t.businessMark);
  }
  // Company name, its legal form written out in full.
  if (std::string m = can[3] ? detail::SearchFirst(t.namePattern, subject) : std::string(); !m.empty()) {
    m = Trim(StripTags(m));
    for (const auto& form : t.forms) m = ReplaceTextIgnoreCase(m, form.abbreviated, form.full);
    slots[kColName] = m;
  }
  // Share price (thousands separators stay).
  if (std::string m = can[4] ? detail::SearchFirst(t.pricePattern, subject) : std::string(); !m.empty()) {
    slots[kColPrice] = Trim(StripTags(m));
  }
  // Change from the previous day.
  if (const std::size_t at = FindText(p, t.change); at != std::string::npos) {
    const std::string_view rest = p.substr(at);
    if (const std::size_t end = FindText(rest, "</dd>"); end != std::string::npos) {
      slots[kColChange] = Trim(RemoveTextIgnoreCase(Trim(StripTags(rest.substr(0, end))), t.change));
    }
  }
  // A profile table row: label in the header cell, value after it.
  if (p.compare(0, 3, "<tr") == 0) {
    const std::size_t k = FindText(p, "</th>");
    if (k == std::string::npos) return false;
    const int slot = ProfileLabelSlot(Trim(StripTags(p.substr(0, k))));
    if (slot < 0) return false;
    std::string value = Trim(StripTags(p.substr(k)));
    if (slot == kColAddress) {
      value = NormalizeWidth(RemoveTextIgnoreCase(value, t.routeLink));
      const std::size_t cut = PostalCut(value);
      slots[kColPostalCode] = value.substr(0, cut);
      value = From(value, cut);
    }
    slots[static_cast<std::size_t>(slot)] = Trim(value);
    return slot == kLastLabelColumn;  // the scan of pieces ends after it
  }
  // The address row as the first row of its table: the piece begins with
  // the markup before the row.
  if (const std::size_t tr = FindText(p, "<tr"); tr != std::string::npos) {
    const std::string_view rest = p.substr(tr);
    const std::size_t li = FindText(rest, "</li>");
    if (FindText(rest, t.addressLabel) != std::string::npos && li != std::string::npos) {
      std::string q = Trim(StripTags(rest.substr(0, li)));
      q = NormalizeWidth(RemoveTextIgnoreCase(q, t.addressLabel));
      const std::size_t cut = PostalCut(q);
      slots[kColPostalCode] = Trim(q.substr(0, cut));
      slots[kColAddress] = Trim(From(q, cut));
    }
  }
  return false;
}

}  // namespace

int ProfileLabelSlot(const std::string& label) {
  // The row labels are the header names of the label columns.
  static const StringList kLabels = [] {
    StringList labels;
    for (int c = kFirstLabelColumn; c <= kLastLabelColumn; ++c)
      labels.push_back(detail::Sjis(kRecordColumns[static_cast<std::size_t>(c)].headerUtf8));
    return labels;
  }();
  for (std::size_t i = 0; i < kLabels.size(); ++i)
    if (SameTextIgnoreCase(kLabels[i], label)) return static_cast<int>(i) + kFirstLabelColumn;
  return -1;
}

void ExtractProfilePage(const StringList& lines) {
  // The page text: the lines trimmed, in Shift-JIS, joined.
  std::string page;
  std::size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size();
  page.reserve(bytes);  // Shift-JIS is never longer than the UTF-8 it comes from
  for (const std::string& line : lines) {
    page += Utf8ToCp932(TrimView(line));
    if (detail::Terminated()) break;
  }
  ExtractProfileText(page);
}

std::string JoinedProfileText(std::string_view data) {
  std::string page;
  page.reserve(data.size());
  ForEachLine(data, [&](std::string_view line) {
    page += Utf8ToCp932(TrimView(line));
    return !detail::Terminated();
  });
  return page;
}

void ExtractProfileText(std::string_view page) {
  // The pieces between "</tr>" markers, read in place.
  ForEachPiece(page, "</tr>", [](std::string_view piece) { return !ExtractPiece(piece) && !detail::Terminated(); });
}

PageOutcome ReadCompanyProfile(const std::string& quoteAddress) {
  auto& slots = Job().fieldSlots;
  const std::string profileAddress = quoteAddress + "/profile";
  PageOutcome outcome = detail::FetchToScratch(profileAddress);
  detail::TakeSearchLimitsReached();
  Pause(1000);
  detail::NotifyCrawl("extract");
  bool readable = true;
  // The page is held once as it came and once joined, never more: the bytes
  // as they came are let go before the pieces are read.
  std::string page;
  {
    const std::string data = detail::ReadScratchFile(&readable);
    page = JoinedProfileText(data);
  }
  if (!readable && outcome.outcome != Outcome::kLocalError)
    outcome = MakeOutcome(Outcome::kLocalError, profileAddress, outcome.httpStatus);
  ExtractProfileText(page);
  // A page that answered but gave none of its columns has another layout.
  if (outcome.outcome == Outcome::kOk) {
    bool any = false;
    for (int c = kFirstPageColumn; c <= kLastPageColumn && !any; ++c)
      any = !slots[static_cast<std::size_t>(c)].empty();
    if (!any) outcome = MakeOutcome(Outcome::kLayoutChanged, profileAddress, outcome.httpStatus);
  }
  // A search the engine gave up on found nothing; the report says so.
  if (const int limits = detail::TakeSearchLimitsReached(); limits > 0) {
    const std::string note =
        detail::Sjis("照合の上限に達したため読み取れなかった値があります (" + std::to_string(limits) + " 件)");
    outcome.detail = outcome.detail.empty() ? note : outcome.detail + " / " + note;
  }

  // The address read, and the stock code taken from the quote address.
  slots[kColSourceUrl] = profileAddress;
  slots[kColCode] = StockCodeOf(quoteAddress);
  return outcome;
}

std::string StockCodeOf(const std::string& quoteAddress) {
  std::string code = RemoveTextIgnoreCase(quoteAddress, QuotePagePrefix());
  if (const std::size_t dot = FindText(code, "."); dot != std::string::npos) code.resize(dot);
  return Trim(code);
}

}  // namespace vantora
