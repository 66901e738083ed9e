// Progress of a run on standard error: on a terminal one line redrawn in
// place (bar, status text, count, time left); otherwise one plain line per
// status change, so a log file holds one line per record.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace vantora::cli {

class ProgressView {
 public:
  // `interactive`: draw the one-line bar (standard error is a terminal).
  ProgressView(std::FILE* out, bool interactive);

  // The progress bar: the job's steps (codes or sectors).
  void Reset(int maximum);
  void Step();
  int Position() const;
  int Maximum() const;

  // A new status caption (UTF-8) and the share of the whole run done (0..1),
  // from which the time left is estimated.
  void Status(const std::string& captionUtf8, double fractionDone);
  void SetFraction(double fractionDone);

  // A message line of its own (the bar, if any, is ended first).
  void Message(const std::string& text);

  // Ends the bar line, if one is drawn; later messages are plain lines.
  void Finish();

  // "1:05" or "1:02:03"; "--:--" for a negative value.
  static std::string FormatDuration(std::chrono::seconds seconds);
  // The estimated time left from the fraction done and the time spent;
  // negative while nothing is done yet.
  static std::chrono::seconds EstimateLeft(double fractionDone, std::chrono::steady_clock::duration elapsed);

 private:
  void DrawLocked();

  std::FILE* out_;
  const bool interactive_;
  mutable std::mutex mutex_;
  std::chrono::steady_clock::time_point start_;
  int position_ = 0;
  int maximum_ = 0;
  double fraction_ = 0.0;
  std::string caption_;
  bool lineOpen_ = false;
  bool finished_ = false;
};

}  // namespace vantora::cli
