// The sector listing crawl: the search page of one sector, its hit count,
// the quote page addresses it links to, and a record per company.
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
      const std::string m = detail::SearchFirst(kHitPattern, Cp932ToUtf16(t));
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

  // Harvest the quote page addresses of the root line. Stock codes may
  // carry letters (130A): a digit, then digits or letters, any one
  // character, the market letter.
  // The prefix is matched literally, so only links under the configured
  // site are taken. Each address is kept once, in the order first seen.
  const std::string prefix = QuotePagePrefix();
  const std::string pattern = "<a href=\"" + LiteralPattern(prefix) + "[0-9][0-9A-Z]*.[A-Z]\"";
  detail::NotifyCrawl("harvest");
  std::unordered_set<std::string> known;
  for (const std::string& line : lines) {
    if (IsRootLine(line)) {
      const std::string t = Utf8ToCp932(Trim(line));
      detail::SearchAll(pattern, Cp932ToUtf16(t), [&](const std::string& match) {
        std::string a = RemoveTextIgnoreCase(match, "<a href=\"");
        a = RemoveTextIgnoreCase(a, "\"");
        if (known.insert(AddressKey(a)).second) addresses.push_back(a);
        return !detail::Terminated();
      });
      break;
    }
    if (detail::Terminated()) break;
  }

  // One record per address, at most the hit count. A stop during the
  // harvest leaves the sector unread.
  if (detail::Terminated()) {
    detail::ReportListing(sectorCode, MakeOutcome(Outcome::kCancelled, listingAddress, listing.httpStatus));
    return;
  }
  if (addresses.empty()) return;
  for (const std::string& address : addresses) {
    ClearFieldSlots();
    ++job.itemCountDone;
    SyncShowStatus();
    if (!detail::FinishCompany(ReadCompanyProfile(address))) return;
    if (job.itemCountDone >= job.itemTotal || detail::Terminated() || detail::JobStopped()) return;
  }
}

}  // namespace vantora
