// Helpers of the download and quote-server tests: a temporary folder removed
// at the end of the test, whole-file reading, and a port nobody listens on.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "tests/platform/TestPlatform.h"

namespace vantora::testing {

class TempFolder {
 public:
  TempFolder() : path_(NewTempFolder("vantora-dl-")) {}
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline int ClosedPort() { return RefusingPort(); }

// Bytes `n` of a text of printable letters, without NUL bytes.
inline std::string Letters(std::size_t n) {
  std::string text(n, '\0');
  for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char>('A' + i % 26);
  return text;
}

}  // namespace vantora::testing
