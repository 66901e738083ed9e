// The whole job's progress line: percentage and time left.
#include "app/ProgressText.h"

#include <algorithm>
#include <cmath>

#include "app/FrmMain.h"

namespace vantora {

QString OverallProgressText(double fraction, long long elapsedMs) {
  fraction = std::clamp(fraction, 0.0, 1.0);
  // The small term keeps shares such as 0.29 (28.999... in binary) whole.
  const int percent = static_cast<int>(std::floor(fraction * 100.0 + 1e-9));
  QString line = QString::fromUtf8(text::kTotalProgress).arg(percent);
  if (fraction <= 0.0 || fraction >= 1.0 || elapsedMs < 1000) return line;
  // Rounded up: an estimate that runs out early reads worse than one that
  // runs out late.
  const long long leftMs = std::llround(static_cast<double>(elapsedMs) * (1.0 - fraction) / fraction);
  const long long seconds = (leftMs + 999) / 1000;
  if (seconds < 60) return line + QString::fromUtf8(text::kTimeLeftSeconds).arg(seconds);
  const long long minutes = (seconds + 59) / 60;
  if (minutes < 60) return line + QString::fromUtf8(text::kTimeLeftMinutes).arg(minutes);
  return line + QString::fromUtf8(text::kTimeLeftHours).arg(minutes / 60).arg(minutes % 60);
}

}  // namespace vantora
