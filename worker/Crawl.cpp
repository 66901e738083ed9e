// The sector listing crawl: the search page of one sector, its hit count,
// the quote page addresses it links to, and a record per company.
#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>

#include "common/Charset.h"
#include "common/SiteConfig.h"
#include "common/TextUtil.h"
#include "worker/Job.h"
#include "worker/JobInternal.h"
#include "worker/Search.h"

namespace vantora {
namespace {

// The root line: its trimmed text begins with "<di" (case matters) and it
// contains id="root". Checked on the UTF-8 line; both texts are ASCII, which
// UTF-8 never hides inside a longer character.
bool IsRootLine(const std::string& line) {
  const std::string t = Trim(line);
  return t.compare(0, 3, "<di") == 0 && t.find("id=\"root\"") != std::string::npos;
}

// A decimal integer of digits only, or 0 when the text is not one (or does
// not fit in 32 bits).
std::int32_t ReadCount(const std::string& text) {
  if (text.empty() || text.size() > 10) return 0;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value > 2147483647LL ? 0 : static_cast<std::int32_t>(value);
}

// `text` as a pattern that matches exactly it: the characters the pattern
// syntax gives a meaning are escaped, so that the dots of a host name match
// only dots.
std::string LiteralPattern(const std::string& text) {
  std::string pattern;
  for (char c : text) {
    if (std::string_view("$()*+.?[\\^{|}]").find(c) != std::string_view::npos) pattern += '\\';
    pattern += c;
  }
  return pattern;
}

// The key under which a harvested address is known: ASCII letters in lower
// case, as the comparison of addresses ignores their case (the bytes of
// double-byte characters stay as they are).
std::string AddressKey(const std::string& address) {
  std::string key = address;
  for (std::size_t i = 0; i < key.size(); ++i) {
    const char c = key[i];
    if (IsSjisLeadByte(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      key[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return key;
}

// The quote page addresses of listing pages, each kept once, in the order
// first seen. Stock codes may carry letters (130A): a digit, then digits or
// letters, any one character, the market letter. The prefix is matched
// literally, so only links under the configured site are taken.
class Harvest {
 public:
  Harvest() : pattern_("<a href=\"" + LiteralPattern(QuotePagePrefix()) + "[0-9][0-9A-Z]*.[A-Z]\"") {}

  // Appends the new addresses of the first root line of `lines`.
  void Take(const StringList& lines, StringList& addresses) {
    for (const std::string& line : lines) {
      if (IsRootLine(line)) {
        const std::string t = Utf8ToCp932(Trim(line));
        detail::SearchAll(pattern_, detail::ShareSubject(Cp932ToUtf16(t)), [&](const std::string& match) {
          std::string a = RemoveTextIgnoreCase(match, "<a href=\"");
          a = RemoveTextIgnoreCase(a, "\"");
          if (known_.insert(AddressKey(a)).second) addresses.push_back(a);
          return !detail::Terminated();
        });
        return;
      }
      if (detail::Terminated()) return;
    }
  }

 private:
  const std::string pattern_;
  std::unordered_set<std::string> known_;
};

// The listing's further result pages ("&page=2", "&page=3", ...), read while
// fewer companies than the hit count are known and each page adds one at
// least, at most kMaxListingPages pages a sector in all. A page that cannot
// be read has its report line and ends the paging.
void ReadFurtherPages(const std::string& sectorCode, const std::string& listingAddress, Harvest& harvest,
                      StringList& addresses) {
  const auto total = static_cast<std::size_t>(Job().itemTotal);
  for (int page = 2; page <= kMaxListingPages && addresses.size() < total; ++page) {
    if (detail::Terminated() || detail::JobStopped()) return;
    const std::string address = listingAddress + "&page=" + std::to_string(page);
    PageOutcome outcome = detail::FetchToScratch(address);
    Pause(500);
    bool readable = true;
    const StringList lines = detail::LoadScratchLines(&readable);
    if (!readable && outcome.outcome != Outcome::kLocalError)
      outcome = MakeOutcome(Outcome::kLocalError, address, outcome.httpStatus);
    if (detail::Terminated()) return;
    // A further page without a root line has another layout: its companies
    // are not known, so the listing counts as not read (a retry reads it
    // again) rather than as ending there.
    if (outcome.outcome == Outcome::kOk && std::none_of(lines.begin(), lines.end(), IsRootLine)) {
      outcome = MakeOutcome(Outcome::kLayoutChanged, address, outcome.httpStatus);
      outcome.detail = detail::Sjis("一覧ページの続きを読み取れません (ページの形式が違います)");
    }
    if (outcome.outcome != Outcome::kOk) {
      detail::ReportListing(sectorCode, outcome);
      return;
    }
    const std::size_t before = addresses.size();
    harvest.Take(lines, addresses);
    if (addresses.size() == before) return;
  }
}

}  // namespace

void CrawlSector(const std::string& sectorCode) {
  static const std::string kHitPattern = detail::Sjis("<!-- -->[0-9]+<!-- -->件中</p>");
  static const std::string kHitUnit = detail::Sjis("件中");
  JobState& job = Job();

  // The listing page.
  job.itemTotal = 0;
  job.itemCountDone = 0;
  const std::string listingAddress = QuoteSiteBase() + "/search/qi/?ids=" + sectorCode;
  PageOutcome listing = detail::FetchToScratch(listingAddress);
  StringList lines;
  StringList addresses;
  Pause(500);
  bool readable = true;
  lines = detail::LoadScratchLines(&readable);
  if (!readable && listing.outcome != Outcome::kLocalError)
    listing = MakeOutcome(Outcome::kLocalError, listingAddress, listing.httpStatus);

  // Hit count, from the first root line only. A page that answered without
  // a root line or a readable count has another layout; a count of 0 is a
  // sector without companies.
  detail::NotifyCrawl("hit-count");
  bool countRead = false;
  for (const std::string& line : lines) {
    if (IsRootLine(line)) {
      const std::string t = Utf8ToCp932(Trim(line));
      const std::string m = detail::SearchFirst(kHitPattern, detail::ShareSubject(Cp932ToUtf16(t)));
      if (!m.empty()) {
        std::string value = Trim(StripTags(m));
        value = RemoveTextIgnoreCase(value, kHitUnit);
        value = RemoveTextIgnoreCase(value, "<!-- -->");
        value = Trim(value);
        job.itemTotal = ReadCount(value);
        countRead = job.itemTotal > 0 || value == "0";
      }
      break;
    }
    if (detail::Terminated()) break;
  }
  if (detail::Terminated()) {
    listing = MakeOutcome(Outcome::kCancelled, listingAddress, listing.httpStatus);
  } else if (listing.outcome == Outcome::kOk && !countRead) {
    listing = MakeOutcome(Outcome::kLayoutChanged, listingAddress, listing.httpStatus);
    listing.detail = detail::Sjis("一覧ページから件数を読み取れません (ページの形式が違います)");
  }
  detail::ReportListing(sectorCode, listing);

  // Nothing to process.
  if (job.itemTotal < 1 || detail::Terminated() || detail::JobStopped()) {
    SyncShowStatus();
    return;
  }

  detail::NotifyCrawl("harvest");
  Harvest harvest;
  harvest.Take(lines, addresses);
  lines.clear();
  if (job.allListingPages) ReadFurtherPages(sectorCode, listingAddress, harvest, addresses);

  // One record per address, at most the hit count. A stop during the
  // harvest leaves the sector unread.
  if (detail::Terminated()) {
    detail::ReportListing(sectorCode, MakeOutcome(Outcome::kCancelled, listingAddress, listing.httpStatus));
    return;
  }
  if (addresses.empty()) return;
  SyncPlannedCompanies(static_cast<int>(std::min(addresses.size(), static_cast<std::size_t>(job.itemTotal))));
  for (const std::string& address : addresses) {
    ++job.itemCountDone;
    // A run taken up again skips the companies it wrote already.
    if (job.doneCodes.count(StockCodeOf(address)) > 0) {
      if (job.itemCountDone >= job.itemTotal) return;
      continue;
    }
    ClearFieldSlots();
    SyncShowStatus();
    if (!detail::FinishCompany(ReadCompanyProfile(address))) return;
    if (job.itemCountDone >= job.itemTotal || detail::Terminated() || detail::JobStopped()) return;
  }
}

}  // namespace vantora
