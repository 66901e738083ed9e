// The retrieval job's routines and its unit-level state (unit uniThread):
// job loops, sector crawl, profile extraction, CSV record. The window and the CLI need only MyThread.h and
// JobHost.h; this header is for the worker's own parts, the tests and the
// benchmark.
//
// All texts are Shift-JIS (code page 932) bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <string_view>

#include "common/TextUtil.h"
#include "worker/JobHost.h"
#include "worker/Outcome.h"
#include "worker/RecordColumns.h"

namespace vantora {

inline constexpr int kFieldSlotCount = 40;   // field slots of the record under construction
inline constexpr int kRecordSlotCount = kRecordColumnCount;  // slots 0..21 make up a record line
inline constexpr int kSectorCount = 33;
inline constexpr int kMaxListingPages = 100;  // result pages of one sector read at most

// The unit-level job state: alive for the whole process, used by one job at a
// time, written only by the worker thread (the callbacks read it while the
// worker waits for them).
struct JobState {
  std::array<std::string, kFieldSlotCount> fieldSlots;
  std::string currentItemText;    // first part of the status label
  std::int32_t progressMaximum = 0;
  std::int32_t itemTotal = 0;     // the number after the slash
  std::int32_t itemCountDone = 0; // the number before the slash
  bool allListingPages = false;   // read a sector's further result pages too
  std::unordered_set<std::string> doneCodes;  // a resumed sector run: companies written already
};
JobState& Job();

// Sets all 40 field slots to the empty text.
void ClearFieldSlots();

// The 4-digit sector code of list position 0..32 ("0050" .. "9050"); the
// empty text for any other position.
std::string SectorCode(int position);

// The item text of list position 0..32 in UTF-8 ("水産・農林業" ...), for the
// window's and the CLI's lists; empty for any other position.
const char* SectorNameUtf8(int position);

// The CSV header line (22 quoted column names), without its line end (Shift-JIS).
std::string HeaderLine();

// The record line of slots 0..21, without its line end: each value between
// double quotes, a '"' inside a value doubled, joined by ','.
std::string FormatRecord();

// The quote page prefix: QuoteSiteBase() + "/quote/".
std::string QuotePagePrefix();

// A typed stock code as one segment of a request path: every byte outside
// ASCII letters, digits, '-', '.', '_' and '~' as %XX, and a code of only
// "." or ".." wholly encoded, so that no typed text reaches another path.
std::string EncodePathSegment(std::string_view code);

// The stock code of a quote page address as the record holds it: the
// address without the quote page prefix, cut at its first '.', trimmed.
std::string StockCodeOf(const std::string& quoteAddress);

// The scratch file the job downloads into: ScratchFilePath() (program folder
// + "tmp.dat") unless a test has set another path (empty text: back to the
// default).
std::string JobScratchFilePath();
void SetJobScratchFilePath(const std::string& path);

// One retrieval run for `host`, on the calling thread: takes the
// input snapshot, writes the file and its outcome report, runs the code or
// the sector loop and sets ResultCode (1 per record; 8 output file failure;
// 9 site unreachable; 10 stopped for pages of another layout; 11 stopped for
// a scratch file failure). LastJobSummary() tells the rest.
// The termination request is that of TThread::CurrentThread() (none when
// called outside a TThread). Raises nothing the worker raises itself, but is
// not guarded against exceptions: Execute is.
void RunJob(JobHost& host);

// Fills field slots 0..21 from the profile page of `quoteAddress` and
// returns what became of the page: the download's outcome, or
// layout-changed for a page that gave none of the page's columns.
PageOutcome ReadCompanyProfile(const std::string& quoteAddress);

// The extraction's work on a page already read: `lines` are the page's
// lines as stored (UTF-8); fills slots 1..20 as found. ReadCompanyProfile is
// the download, this, and slots 21 and 0. (The benchmark times this part.)
void ExtractProfilePage(const StringList& lines);

// The same on the page's bytes as stored: its lines trimmed, converted to
// Shift-JIS and joined (JoinedProfileText), then read piece by piece
// (ExtractProfileText).
std::string JoinedProfileText(std::string_view data);
void ExtractProfileText(std::string_view page);

// The profile label table: position + 5 of the first label equal to `label`
// (ASCII letters compared without regard to case), 5..17; -1 when none.
int ProfileLabelSlot(const std::string& label);

// Processes one sector: listing, hit count, harvest, records.
void CrawlSector(const std::string& sectorCode);

// The three progress callbacks, each run on the GUI thread through
// TThread::Synchronize and read the job state above (no-ops outside a job).
void SyncResetProgress();
void SyncStepProgress();
void SyncShowStatus();

// Tells the host how many companies are about to be read.
void SyncPlannedCompanies(int count);

// Shows a wait in the status label: current item text + " " + `what` +
// " (残り N秒)", `what` being Shift-JIS.
void SyncShowWaiting(const std::string& what, int secondsLeft);

// The status caption SyncShowStatus shows: current item text + " 取得中 - " +
// item count done + "/" + item total + "件".
std::string StatusCaption();

}  // namespace vantora
