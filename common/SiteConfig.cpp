// Where pages come from and how long the job waits between them: the base
// address of the quote site, the scaled pauses, the program's own folder and
// the user folders an installed program keeps its files in.
#include "common/SiteConfig.h"

#include "common/Thread.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace vantora {

// A host under the reserved ".example" name: a build that was never pointed
// at a chosen site sends nothing to anybody.
const char* const kDefaultQuoteSiteBase = "https://quote.vantora.example";

namespace {

std::mutex g_configuredMutex;
std::string g_configuredBase;

// -1: look at the folder; 0 or 1: the test seam's answer.
std::atomic<int> g_writableOverride{-1};

std::string EnvironmentBase() {
  const char* env = std::getenv("VANTORA_BASE_URL");
  if (env == nullptr) return {};
  std::string base(env);
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

// $<variable>/vantora/, or ~/<fallback>/vantora/ when the variable is unset
// or not absolute (as the XDG rules say); created when missing.
std::string UserFolder(const char* variable, const char* fallback) {
  namespace fs = std::filesystem;
  fs::path root;
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') {
    root = value;
  } else {
    const char* home = std::getenv("HOME");
    root = fs::path(home != nullptr && *home != '\0' ? home : "/tmp") / fallback;
  }
  const fs::path folder = root / "vantora";
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  return folder.string() + "/";
}

}  // namespace

std::string QuoteSiteBase() {
  std::string base = EnvironmentBase();
  if (!base.empty()) return base;
  base = ConfiguredQuoteSiteBase();
  return base.empty() ? kDefaultQuoteSiteBase : base;
}

bool QuoteSiteBaseFromEnvironment() { return !EnvironmentBase().empty(); }

void SetConfiguredQuoteSiteBase(const std::string& base) {
  std::lock_guard lock(g_configuredMutex);
  g_configuredBase = base;
  while (!g_configuredBase.empty() && g_configuredBase.back() == '/') g_configuredBase.pop_back();
}

std::string ConfiguredQuoteSiteBase() {
  std::lock_guard lock(g_configuredMutex);
  return g_configuredBase;
}

bool IsPlaceholderQuoteSiteBase(const std::string& base) { return base == kDefaultQuoteSiteBase; }

double PauseScale() {
  const char* env = std::getenv("VANTORA_PAUSE_SCALE");
  if (env == nullptr || *env == '\0') return 1.0;
  char* end = nullptr;
  const double value = std::strtod(env, &end);
  // The whole text must be the number ("0.5", not "0.5x").
  while (end != nullptr && (*end == ' ' || *end == '\t')) ++end;
  if (end == env || end == nullptr || *end != '\0') return 1.0;
  if (!std::isfinite(value) || value < 0.0) return 1.0;
  return value;
}

void Pause(int milliseconds) {
  if (milliseconds <= 0) return;
  const double scaled = static_cast<double>(milliseconds) * PauseScale();
  if (!(scaled > 0.0)) return;
  // Bound the sleep so that a huge factor cannot overflow the duration type.
  constexpr double kLongest = 24.0 * 3600.0 * 1000.0;
  const double ms = scaled < kLongest ? scaled : kLongest;
  // A TThread asked to terminate ends its pause at once: the sleep goes in
  // short slices that look at the request.
  const TThread* thread = TThread::CurrentThread();
  const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(static_cast<long long>(ms * 1000.0));
  constexpr auto kSlice = std::chrono::milliseconds(20);
  for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
    if (thread != nullptr && thread->Terminated()) return;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(end - now, kSlice));
  }
}

std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return "./";
    if (static_cast<std::size_t>(n) < buffer.size()) {
      std::string_view path(buffer.data(), static_cast<std::size_t>(n));
      const auto slash = path.rfind('/');
      if (slash == std::string_view::npos) return "./";
      return std::string(path.substr(0, slash + 1));
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool FilesBesideProgram() {
  const std::string folder = ProgramFolder();
  const int forced = g_writableOverride.load();
  const bool writable = forced >= 0 ? forced == 1 : ::access(folder.c_str(), W_OK) == 0;
  std::error_code ec;
  return writable && !std::filesystem::is_directory(folder + "../share/vantora", ec);
}

void SetProgramFolderWritableOverride(std::optional<bool> writable) {
  g_writableOverride.store(writable ? (*writable ? 1 : 0) : -1);
}

std::string SettingsFolder() {
  return FilesBesideProgram() ? ProgramFolder() : UserFolder("XDG_CONFIG_HOME", ".config");
}

std::string ScratchFilePath() {
  return (FilesBesideProgram() ? ProgramFolder() : UserFolder("XDG_CACHE_HOME", ".cache")) +
         "tmp.dat";
}

}  // namespace vantora
