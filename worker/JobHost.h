// What the retrieval job needs from the window: its inputs, the
// window-owned flags IsRunning and ResultCode, and the visible changes the
// job's callbacks make on the GUI thread. The main window implements it; the
// tests and the CLI implement it without a GUI.
//
// Text encoding: code text, sector item texts and the status caption are
// Shift-JIS (code page 932) bytes, as everywhere in the worker; convert with
// common/Charset.h. The output file name is a native file-system path (UTF-8
// on Linux), passed to the C library unchanged.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "worker/CsvFile.h"
#include "worker/Outcome.h"

namespace vantora {

class TMyThread;

// The values of ResultCode (the outcome the window reports).
inline constexpr int kResultNothingFound = 0;      // no record line written
inline constexpr int kResultRecordsWritten = 1;    // at least one record line
inline constexpr int kResultOutputFileError = 8;   // output file could not be opened, written or closed
inline constexpr int kResultSiteUnreachable = 9;   // downloads were attempted, none got a response
inline constexpr int kResultLayoutChanged = 10;    // stopped: pages of another layout, several in a row
inline constexpr int kResultScratchFileError = 11; // stopped: the scratch file could not be written or read
inline constexpr int kResultSiteRefusing = 12;     // stopped: the site kept refusing requests

// One sector of the window's list lstCtgr, at its position (0..32).
struct SectorItem {
  bool ticked = false;
  std::string text;  // item text, Shift-JIS
};

// Where an interrupted run is taken up again: the output and its report are
// kept up to the given lengths and written on from there; the companies
// already there are not read again.
struct ResumeFrom {
  bool active = false;
  long long recordBytes = 0;
  long long reportBytes = 0;
  int companiesDone = 0;                  // code mode: the first entries of the code list
  std::vector<std::string> doneCodes;     // sector mode and retry: record codes (Shift-JIS) already
                                          // there, not read again from a listing
  std::vector<std::string> doneSectors;   // sector codes with a report line already there
  std::array<int, kOutcomeCount> outcomes{};  // of the kept companies
  int listingsNotOk = 0;
};

// A company asked for again: the code its record holds and its quote page.
struct RetryItem {
  std::string code;          // Shift-JIS, as the record holds it
  std::string quoteAddress;  // the profile address without "/profile"
};

// The inputs of one job, taken once as a snapshot at the start of RunJob.
struct JobInputs {
  bool codeMode = false;            // chkCode ticked
  std::string codeText;             // txtCode, Shift-JIS
  std::vector<SectorItem> sectors;  // lstCtgr in list order (33 items in the window)
  std::string outputFileName;       // OutputFileName, native path; the report goes beside it
  FileEncoding outputEncoding = FileEncoding::kShiftJis;  // of the output and its report
  bool createOutputExclusively = false;  // fail rather than open an existing output or report
  bool allListingPages = false;          // read every result page of a sector, not only the first
  ResumeFrom resume;                     // take up an interrupted run
  std::vector<RetryItem> retryItems;     // a retry: read these companies, then the sectors below
  std::vector<std::string> retrySectors; // a retry: sector codes whose listing failed, crawled
                                         // again for the companies not in resume.doneCodes
};

class JobHost {
 public:
  virtual ~JobHost() = default;

  // --- called on the GUI thread (through TThread::Synchronize) ---

  // The snapshot of the inputs; called once per job, at the start of RunJob.
  virtual JobInputs Inputs() = 0;

  // SyncResetProgress: prgBar position 0, minimum 0, maximum `maximum`, step 1.
  virtual void ResetProgress(int maximum) = 0;
  // SyncStepProgress, first half: prgBar advances by one step.
  virtual void StepProgress() = 0;
  // The bar's position and maximum after the step (read by SyncStepProgress).
  virtual int ProgressPosition() = 0;
  virtual int ProgressMaximum() = 0;
  // Whether taskbar progress may be shown (TaskbarReady of the window).
  virtual bool TaskbarReady() = 0;
  // SyncStepProgress, second half, only when TaskbarReady(): the taskbar
  // module's SetTaskbarProgressValue(completed = position, total = maximum).
  virtual void SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) = 0;
  // SyncShowStatus: lblStatus caption := `caption` (Shift-JIS), e.g.
  // "銘柄コード : [7203] 取得中 - 2/5件".
  virtual void ShowStatus(const std::string& caption) = 0;
  // The number of companies about to be read: all of them in code mode,
  // before the first; those of a sector once its listing is read. Nothing
  // by default.
  virtual void PlannedCompanies(int count) { (void)count; }
  // The completion callback: the window runs btnCancelClick(sender). Runs once
  // per job, after IsRunning has become false. When it returns, the thread
  // ends (and frees itself when free-on-terminate).
  virtual void JobCompleted(TMyThread* sender) = 0;

  // --- window-owned flags, written by the worker thread ---

  virtual std::atomic<bool>& IsRunning() = 0;
  virtual std::atomic<int>& ResultCode() = 0;
};

}  // namespace vantora
