// Base address, pause factor and program folder as read from the
// environment and /proc: overrides, rejected values and the defaults.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "common/FileName.h"
#include "common/SiteConfig.h"
#include "tests/platform/TestPlatform.h"

namespace vantora {
namespace {

class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      testing::SetEnvironment(name, value);
    } else {
      testing::UnsetEnvironment(name);
    }
  }
  ~EnvVar() {
    if (old_) {
      testing::SetEnvironment(name_, *old_);
    } else {
      testing::UnsetEnvironment(name_);
    }
  }
  EnvVar(const EnvVar&) = delete;
  EnvVar& operator=(const EnvVar&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SiteConfigTest, BaseAddressDefaultsToAReservedHostAndCanBeOverridden) {
  const std::string fallback = kDefaultQuoteSiteBase;
  EXPECT_EQ(fallback.rfind("https://", 0), 0u);
  EXPECT_NE(fallback.back(), '/');
  EXPECT_EQ(fallback.substr(fallback.size() - 8), ".example") << "the default host must be a reserved name";

  {
    EnvVar unset("VANTORA_BASE_URL", nullptr);
    EXPECT_EQ(QuoteSiteBase(), fallback);
  }
  {
    EnvVar empty("VANTORA_BASE_URL", "");
    EXPECT_EQ(QuoteSiteBase(), fallback);
  }
  {
    EnvVar local("VANTORA_BASE_URL", "http://127.0.0.1:8080/");
    EXPECT_EQ(QuoteSiteBase(), "http://127.0.0.1:8080");
  }
  {
    EnvVar slashes("VANTORA_BASE_URL", "///");
    EXPECT_EQ(QuoteSiteBase(), fallback);
  }
}

TEST(SiteConfigTest, PauseScaleTakesOnlyFiniteNonNegativeNumbers) {
  const std::pair<const char*, double> cases[] = {
      {"0", 0.0}, {"0.25", 0.25}, {"3", 3.0}, {"1e-3", 0.001},
      {"-1", 1.0}, {"nan", 1.0}, {"inf", 1.0}, {"abc", 1.0}, {"0.5x", 1.0}, {"", 1.0},
  };
  for (const auto& [text, expected] : cases) {
    EnvVar scale("VANTORA_PAUSE_SCALE", text);
    EXPECT_DOUBLE_EQ(PauseScale(), expected) << "'" << text << "'";
  }
  EnvVar unset("VANTORA_PAUSE_SCALE", nullptr);
  EXPECT_DOUBLE_EQ(PauseScale(), 1.0);

  EnvVar zero("VANTORA_PAUSE_SCALE", "0");
  const auto start = std::chrono::steady_clock::now();
  Pause(60 * 1000);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(SiteConfigTest, ProgramFolderHoldsThisExecutable) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
#ifdef _WIN32
  EXPECT_TRUE(std::filesystem::is_regular_file(NativePath(folder + "common_test_site_config.exe")));
#else
  EXPECT_TRUE(std::filesystem::equivalent(folder + "common_test_site_config", "/proc/self/exe"));
#endif
  EXPECT_EQ(ScratchFilePath(), folder + "tmp.dat");
}

}  // namespace
}  // namespace vantora
