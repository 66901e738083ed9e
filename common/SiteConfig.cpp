// Where pages come from and how long the job waits between them: the base
// address of the quote site, the scaled pauses, the program's own folder and
// the user folders an installed program keeps its files in.
#include "common/SiteConfig.h"

#include "common/FileName.h"
#include "common/ProgramPlaces.h"
#include "common/Thread.h"

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

// The program's own folder of that kind, created when missing.
std::string UserFolder(UserFolderKind kind) {
  const std::filesystem::path folder = UserFolderRoot(kind) / "vantora";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return NameOf(folder) + "/";
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

bool FilesBesideProgram() {
  const std::string folder = ProgramFolder();
  const int forced = g_writableOverride.load();
  const bool writable = forced >= 0 ? forced == 1 : FolderWritable(folder);
  std::error_code ec;
  return writable && !std::filesystem::is_directory(NativePath(folder + "../share/vantora"), ec);
}

void SetProgramFolderWritableOverride(std::optional<bool> writable) {
  g_writableOverride.store(writable ? (*writable ? 1 : 0) : -1);
}

std::string SettingsFolder() {
  return FilesBesideProgram() ? ProgramFolder() : UserFolder(UserFolderKind::kSettings);
}

std::string ScratchFilePath() {
  return (FilesBesideProgram() ? ProgramFolder() : UserFolder(UserFolderKind::kCache)) +
         "tmp.dat";
}

}  // namespace vantora
