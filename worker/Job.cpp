// The retrieval job: its unit-level state, the sector table, the CSV header
// and record line, the progress callbacks, and RunJob with its code-mode and
// sector-mode loops. The files it writes are JobOutput.cpp's.
#include "worker/Job.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <string_view>
#include <utility>

#include "common/Charset.h"
#include "common/SiteConfig.h"
#include "common/TextUtil.h"
#include "common/Thread.h"
#include "worker/JobInternal.h"
#include "worker/RecordColumns.h"
#include "worker/Search.h"

namespace vantora {
namespace {

struct SectorRow {
  const char* code;
  const char* nameUtf8;
};

constexpr SectorRow kSectors[kSectorCount] = {
    {"0050", "水産・農林業"}, {"1050", "鉱業"},         {"2050", "建設業"},
    {"3050", "食料品"},       {"3100", "繊維製品"},     {"3150", "パルプ・紙"},
    {"3200", "化学"},         {"3250", "医薬品"},       {"3300", "石油・石炭製品"},
    {"3350", "ゴム製品"},     {"3400", "ガラス・土石製品"}, {"3450", "鉄鋼"},
    {"3500", "非鉄金属"},     {"3550", "金属製品"},     {"3600", "機械"},
    {"3650", "電気機器"},     {"3700", "輸送用機器"},   {"3750", "精密機器"},
    {"3800", "その他製品"},   {"4050", "電気・ガス業"}, {"5050", "陸運業"},
    {"5100", "海運業"},       {"5150", "空運業"},       {"5200", "倉庫・運輸関連業"},
    {"5250", "情報・通信"},   {"6050", "卸売業"},       {"6100", "小売業"},
    {"7050", "銀行業"},       {"7100", "証券業"},       {"7150", "保険業"},
    {"7200", "その他金融業"}, {"8050", "不動産業"},     {"9050", "サービス業"},
};

// The running job (one at a time); the host is null outside a job.
JobHost* g_host = nullptr;

JobState g_job;

std::mutex g_scratchMutex;
std::string g_scratchOverride;

void RunOnGui(const std::function<void()>& method) {
  if (g_host == nullptr) return;
  TThread::Synchronize(method);
}

void CodeModeLoop(const JobInputs& in, StringList& work) {
  JobState& job = g_job;
  job.itemTotal = 0;
  job.itemCountDone = 0;
  work.clear();
  SplitText(Trim(in.codeText), ",", work);
  if (work.empty()) return;
  job.progressMaximum = static_cast<std::int32_t>(work.size());
  job.itemTotal = static_cast<std::int32_t>(work.size());
  SyncResetProgress();
  const int kept = in.resume.active ? std::min(in.resume.companiesDone, job.itemTotal) : 0;
  SyncPlannedCompanies(job.itemTotal - kept);
  static const std::string kCodeOpen = detail::Sjis("銘柄コード : [");
  const std::string prefix = QuotePagePrefix();
  // A run taken up again goes on after the companies it wrote already.
  std::size_t skip = in.resume.active ? static_cast<std::size_t>(in.resume.companiesDone) : 0;
  for (const std::string& entry : work) {
    const std::string code = Trim(entry);
    if (skip > 0) {
      --skip;
      ++job.itemCountDone;
      continue;
    }
    job.currentItemText = kCodeOpen + code + "]";
    SyncStepProgress();
    ClearFieldSlots();
    // The request carries the code encoded; the record holds it as typed.
    PageOutcome outcome = ReadCompanyProfile(prefix + EncodePathSegment(code));
    job.fieldSlots[kColCode] = StockCodeOf(prefix + code);
    if (!detail::FinishCompany(std::move(outcome))) break;
    ++job.itemCountDone;
    SyncShowStatus();
    if (detail::Terminated() || detail::JobStopped()) break;
  }
}

static const std::string& SectorOpen() {
  static const std::string kSectorOpen = detail::Sjis("業種 : [");
  return kSectorOpen;
}

// Whether `tail` can stand after the quote page prefix as one path segment
// as it is: letters, digits and . _ - only, and not a dot segment.
bool IsPlainSegment(std::string_view tail) {
  if (tail.empty() || tail == "." || tail == "..") return false;
  for (char ch : tail) {
    const auto c = static_cast<unsigned char>(ch);
    if (!std::isalnum(c) && c != '.' && c != '_' && c != '-' && c != '%') return false;
  }
  return true;
}

// The page a retry reads. The report names the address each company was
// read from, but it may come from a run against another site or have been
// edited: only an address of this run's quote pages is taken as it is;
// otherwise the same page is read from this run's site (by the address's
// last segment when it is plain, else by the stock code), so that a retry
// never sends a request to a host nobody chose.
std::string RetryAddress(const RetryItem& item) {
  const std::string prefix = QuotePagePrefix();
  const std::string& address = item.quoteAddress;
  if (address.size() > prefix.size() && address.compare(0, prefix.size(), prefix) == 0 &&
      IsPlainSegment(std::string_view(address).substr(prefix.size())))
    return address;
  static const std::string kQuote = "/quote/";
  const std::size_t at = address.rfind(kQuote);
  const std::string_view tail =
      at == std::string::npos ? std::string_view() : std::string_view(address).substr(at + kQuote.size());
  if (IsPlainSegment(tail) && tail.find('%') == std::string_view::npos) return prefix + std::string(tail);
  return prefix + EncodePathSegment(item.code);
}

// The companies of a retry, each read as in code mode (the record keeps the
// code it had), then the sectors whose listing failed, crawled again for the
// companies the file does not hold yet.
void RetryLoop(const JobInputs& in) {
  JobState& job = g_job;
  job.itemTotal = static_cast<std::int32_t>(in.retryItems.size());
  job.itemCountDone = 0;
  job.progressMaximum = static_cast<std::int32_t>(in.retryItems.size() + in.retrySectors.size());
  SyncResetProgress();
  SyncPlannedCompanies(job.itemTotal);
  static const std::string kCodeOpen = detail::Sjis("銘柄コード : [");
  for (const RetryItem& item : in.retryItems) {
    job.currentItemText = kCodeOpen + item.code + "]";
    SyncStepProgress();
    ClearFieldSlots();
    PageOutcome outcome = ReadCompanyProfile(RetryAddress(item));
    job.fieldSlots[kColCode] = item.code;
    if (!detail::FinishCompany(std::move(outcome))) return;
    ++job.itemCountDone;
    SyncShowStatus();
    if (detail::Terminated() || detail::JobStopped()) return;
  }
  for (const std::string& code : in.retrySectors) {
    SyncStepProgress();
    int position = 0;
    while (position < kSectorCount && SectorCode(position) != code) ++position;
    job.currentItemText = SectorOpen() + detail::Sjis(SectorNameUtf8(position)) + "]";
    CrawlSector(code);
    if (detail::Terminated() || detail::JobStopped()) return;
  }
}

void SectorModeLoop(const JobInputs& in) {
  JobState& job = g_job;
  std::vector<int> positions;
  for (std::size_t i = 0; i < in.sectors.size(); ++i)
    if (in.sectors[i].ticked) positions.push_back(static_cast<int>(i));
  job.progressMaximum = static_cast<std::int32_t>(positions.size());
  SyncResetProgress();
  for (int position : positions) {
    SyncStepProgress();
    const std::string code = SectorCode(position);
    job.currentItemText = SectorOpen() + Trim(in.sectors[static_cast<std::size_t>(position)].text) + "]";
    CrawlSector(code);
    if (detail::Terminated() || detail::JobStopped()) break;
  }
}

}  // namespace

// ---- unit-level state and small helpers ----

JobState& Job() { return g_job; }

void ClearFieldSlots() {
  for (std::string& slot : g_job.fieldSlots) slot.clear();
}

std::string SectorCode(int position) {
  if (position < 0 || position >= kSectorCount) return {};
  return kSectors[position].code;
}

const char* SectorNameUtf8(int position) {
  if (position < 0 || position >= kSectorCount) return "";
  return kSectors[position].nameUtf8;
}

std::string HeaderLine() {
  std::string line;
  for (const RecordColumnDef& column : kRecordColumns) AppendCsvValue(line, detail::Sjis(column.headerUtf8));
  return line;
}

std::string FormatRecord() {
  std::string line;
  for (const RecordColumnDef& column : kRecordColumns)
    AppendCsvValue(line, g_job.fieldSlots[static_cast<std::size_t>(column.column)]);
  return line;
}

std::string QuotePagePrefix() { return QuoteSiteBase() + "/quote/"; }

std::string EncodePathSegment(std::string_view code) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const bool dotsOnly = code == "." || code == "..";
  std::string out;
  for (char ch : code) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '~' || (c == '.' && !dotsOnly);
    if (plain) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string JobScratchFilePath() {
  {
    std::lock_guard lock(g_scratchMutex);
    if (!g_scratchOverride.empty()) return g_scratchOverride;
  }
  return ScratchFilePath();
}

void SetJobScratchFilePath(const std::string& path) {
  std::lock_guard lock(g_scratchMutex);
  g_scratchOverride = path;
}

std::string StatusCaption() {
  static const std::string kFetching = detail::Sjis(" 取得中 - ");
  static const std::string kUnit = detail::Sjis("件");
  return g_job.currentItemText + kFetching + std::to_string(g_job.itemCountDone) + "/" +
         std::to_string(g_job.itemTotal) + kUnit;
}

// ---- callbacks on the GUI thread ----

void SyncResetProgress() {
  RunOnGui([] { g_host->ResetProgress(g_job.progressMaximum); });
}

void SyncStepProgress() {
  RunOnGui([] {
    JobHost& host = *g_host;
    host.StepProgress();
    if (host.TaskbarReady()) {
      const int position = host.ProgressPosition();
      const int maximum = host.ProgressMaximum();
      host.SetTaskbarProgressValue(static_cast<std::uint64_t>(position < 0 ? 0 : position),
                                   static_cast<std::uint64_t>(maximum < 0 ? 0 : maximum));
    }
  });
}

void SyncShowStatus() {
  RunOnGui([] { g_host->ShowStatus(StatusCaption()); });
}

void SyncPlannedCompanies(int count) {
  RunOnGui([count] { g_host->PlannedCompanies(count); });
}

void SyncShowWaiting(const std::string& what, int secondsLeft) {
  static const std::string kLeft = detail::Sjis(" (残り ");
  static const std::string kSeconds = detail::Sjis("秒)");
  const std::string caption = g_job.currentItemText + " " + what + kLeft + std::to_string(secondsLeft) + kSeconds;
  RunOnGui([&caption] { g_host->ShowStatus(caption); });
}

// ---- the job ----

void RunJob(JobHost& host) {
  // Leaves the unit-level run state clean however the run ends.
  struct RunGuard {
    bool ended = false;
    ~RunGuard() {
      if (!ended) detail::EndOutputs(false);
      g_host = nullptr;
    }
  } guard;
  g_host = &host;

  JobInputs in;
  TThread::Synchronize([&] { in = host.Inputs(); });

  StringList work;
  g_job.allListingPages = in.allListingPages;
  detail::ResetSearches();
  g_job.doneCodes.clear();
  g_job.doneCodes.insert(in.resume.doneCodes.begin(), in.resume.doneCodes.end());
  if (detail::BeginOutputs(host, in)) {
    if (!in.retryItems.empty() || !in.retrySectors.empty()) {
      RetryLoop(in);
    } else if (in.codeMode) {
      CodeModeLoop(in, work);
    } else {
      SectorModeLoop(in);
    }
  }
  guard.ended = true;
  detail::EndOutputs(detail::Terminated());
}

namespace detail {

bool Terminated() {
  const TThread* thread = TThread::CurrentThread();
  return thread != nullptr && thread->Terminated();
}

namespace {
std::mutex g_observerMutex;
std::function<void(const std::string&)> g_crawlObserver;
}  // namespace

void SetCrawlObserver(std::function<void(const std::string& phase)> observer) {
  std::lock_guard lock(g_observerMutex);
  g_crawlObserver = std::move(observer);
}

void NotifyCrawl(const char* phase) {
  std::function<void(const std::string&)> observer;
  {
    std::lock_guard lock(g_observerMutex);
    observer = g_crawlObserver;
  }
  if (observer) observer(phase);
}

std::string Sjis(std::string_view utf8) { return Utf8ToCp932(utf8); }

}  // namespace detail
}  // namespace vantora
