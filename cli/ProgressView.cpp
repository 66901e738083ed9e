// Drawing of the progress line and the plain per-record lines on standard
// error, and the time-left estimate.
#include "cli/ProgressView.h"

#include <algorithm>
#include <cmath>

namespace vantora::cli {

ProgressView::ProgressView(std::FILE* out, bool interactive)
    : out_(out), interactive_(interactive), start_(std::chrono::steady_clock::now()) {}

void ProgressView::Reset(int maximum) {
  std::lock_guard lock(mutex_);
  maximum_ = std::max(maximum, 0);
  position_ = 0;
  start_ = std::chrono::steady_clock::now();
}

void ProgressView::Step() {
  std::lock_guard lock(mutex_);
  // Like the window's bar: a step past the end keeps it full.
  position_ = std::min(position_ + 1, maximum_);
  if (interactive_ && !finished_) DrawLocked();
}

int ProgressView::Position() const {
  std::lock_guard lock(mutex_);
  return position_;
}

int ProgressView::Maximum() const {
  std::lock_guard lock(mutex_);
  return maximum_;
}

void ProgressView::SetFraction(double fractionDone) {
  std::lock_guard lock(mutex_);
  fraction_ = std::clamp(fractionDone, 0.0, 1.0);
}

void ProgressView::Status(const std::string& captionUtf8, double fractionDone) {
  std::lock_guard lock(mutex_);
  caption_ = captionUtf8;
  fraction_ = std::clamp(fractionDone, 0.0, 1.0);
  if (interactive_ && !finished_) {
    DrawLocked();
  } else {
    std::fprintf(out_, "%s\n", caption_.c_str());
    std::fflush(out_);
  }
}

void ProgressView::Message(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (lineOpen_) std::fputs("\n", out_);
  lineOpen_ = false;
  std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
  if (interactive_ && !finished_ && maximum_ > 0) DrawLocked();
}

void ProgressView::Finish() {
  std::lock_guard lock(mutex_);
  if (lineOpen_) std::fputs("\n", out_);
  lineOpen_ = false;
  finished_ = true;
  std::fflush(out_);
}

std::string ProgressView::FormatDuration(std::chrono::seconds seconds) {
  const long long total = seconds.count();
  if (total < 0) return "--:--";
  const long long h = total / 3600;
  const long long m = (total / 60) % 60;
  const long long s = total % 60;
  char text[32];
  if (h > 0) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", h, m, s);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", m, s);
  }
  return text;
}

std::chrono::seconds ProgressView::EstimateLeft(double fractionDone, std::chrono::steady_clock::duration elapsed) {
  if (!(fractionDone > 0.0)) return std::chrono::seconds(-1);
  if (fractionDone >= 1.0) return std::chrono::seconds(0);
  const double spent = std::chrono::duration<double>(elapsed).count();
  return std::chrono::seconds(std::llround(spent * (1.0 - fractionDone) / fractionDone));
}

void ProgressView::DrawLocked() {
  constexpr int kWidth = 20;
  const double fraction = fraction_;
  const int filled = static_cast<int>(fraction * kWidth);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kWidth - filled), '-');
  const auto left = EstimateLeft(fraction, std::chrono::steady_clock::now() - start_);
  // \r back to the line start, \x1b[K clears what a longer line left behind.
  std::fprintf(out_, "\r[%s] %d/%d %s  left %s\x1b[K", bar.c_str(), position_, maximum_, caption_.c_str(),
               FormatDuration(left).c_str());
  std::fflush(out_);
  lineOpen_ = true;
}

}  // namespace vantora::cli
