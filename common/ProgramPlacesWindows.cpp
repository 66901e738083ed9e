// The program's places on Windows: GetModuleFileNameW, a probe file for the
// right to write, and the roaming (settings) and local (cache) application
// data folders.
#include "common/ProgramPlaces.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "common/FileName.h"

namespace vantora {

std::string ProgramFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "./";
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  for (wchar_t& c : buffer) {
    if (c == L'\\') c = L'/';
  }
  const auto slash = buffer.rfind(L'/');
  if (slash == std::wstring::npos) return "./";
  return NameOf(std::filesystem::path(buffer.substr(0, slash + 1)));
}

// A folder's read-only attribute says nothing on Windows: the right to
// write shows only by creating a file, which goes again on closing.
bool FolderWritable(const std::string& folder) {
  const std::wstring probe = (NativePath(folder) / L"vantora-write-probe.tmp").wstring();
  const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

std::filesystem::path UserFolderRoot(UserFolderKind kind) {
  const wchar_t* variable = kind == UserFolderKind::kSettings ? L"APPDATA" : L"LOCALAPPDATA";
  const wchar_t* value = ::_wgetenv(variable);
  if (value != nullptr && *value != L'\0') return std::filesystem::path(value);
  std::error_code ignored;
  return std::filesystem::temp_directory_path(ignored);
}

}  // namespace vantora
