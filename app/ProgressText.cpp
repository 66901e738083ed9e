// The whole job's progress line: percentage and time left.
#include "app/ProgressText.h"

#include <algorithm>
#include <cmath>

#include "app/FrmMainTexts.h"
#include "app/TextConversions.h"

namespace vantora {

std::string OverallProgressText(double fraction, long long elapsedMs) {
  fraction = std::clamp(fraction, 0.0, 1.0);
  // The small term keeps shares such as 0.29 (28.999... in binary) whole.
  const int percent = static_cast<int>(std::floor(fraction * 100.0 + 1e-9));
  const std::string line = FormatText(text::kTotalProgress, {std::to_string(percent)});
  if (fraction <= 0.0 || fraction >= 1.0 || elapsedMs < 1000) return line;
  // Rounded up: an estimate that runs out early reads worse than one that
  // runs out late.
  const long long leftMs = std::llround(static_cast<double>(elapsedMs) * (1.0 - fraction) / fraction);
  const long long seconds = (leftMs + 999) / 1000;
  if (seconds < 60) return line + FormatText(text::kTimeLeftSeconds, {std::to_string(seconds)});
  const long long minutes = (seconds + 59) / 60;
  if (minutes < 60) return line + FormatText(text::kTimeLeftMinutes, {std::to_string(minutes)});
  return line + FormatText(text::kTimeLeftHours,
                           {std::to_string(minutes / 60), std::to_string(minutes % 60)});
}

}  // namespace vantora
