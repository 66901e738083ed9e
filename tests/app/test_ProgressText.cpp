// The whole job's progress line: the share is cut down (never shows 100%
// early), the time left appears only once it can be told, and it reads in
// seconds, minutes, or hours and minutes.
#include <gtest/gtest.h>

#include "app/ProgressText.h"
#include "support_App.h"

namespace vantora {
namespace {

TEST(ProgressText, ShareAndTimeLeft) {
  const struct {
    double fraction;
    long long elapsedMs;
    const char* text;
  } cases[] = {
      {0.0, 5000, "全体 : 0%"},
      {0.5, 999, "全体 : 50%"},                      // under a second: no estimate yet
      {0.5, 10000, "全体 : 50%（残り約10秒）"},
      {1.0 / 3.0, 20000, "全体 : 33%（残り約40秒）"},
      {0.25, 30000, "全体 : 25%（残り約2分）"},         // 90 s left
      {0.1, 600000, "全体 : 10%（残り約1時間30分）"},    // 5400 s left
      {0.29, 10000, "全体 : 29%（残り約25秒）"},        // 0.29 is 28.999...% in binary
      {0.9995, 600000, "全体 : 99%（残り約1秒）"},
      {1.0, 600000, "全体 : 100%"},
      {1.5, 1000, "全体 : 100%"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QString::fromStdString(OverallProgressText(c.fraction, c.elapsedMs)), test::Utf8(c.text))
        << c.fraction << " after " << c.elapsedMs << " ms";
  }
}

}  // namespace
}  // namespace vantora
