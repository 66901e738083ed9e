// The Win32 view's message boxes, save dialog, sound, taskbar flash and
// opening a file with its associated application.
#include "app/win32/Win32DialogService.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "app/FrmMainTexts.h"
#include "app/win32/WideText.h"

namespace vantora {

namespace {

// The innermost message box open over `owner`: the first (topmost) dialog
// window of this thread that `owner` owns.
struct BoxSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindOwnedBox(HWND window, LPARAM search) {
  auto* box = reinterpret_cast<BoxSearch*>(search);
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  if (std::wcscmp(className, L"#32770") == 0 && ::GetWindow(window, GW_OWNER) == box->owner &&
      ::IsWindowVisible(window)) {
    box->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::wstring ToDialogFilter(const std::string& filter) {
  std::wstring wide = Wide(filter);
  std::replace(wide.begin(), wide.end(), L'|', L'\0');
  wide.push_back(L'\0');
  wide.push_back(L'\0');
  return wide;
}

int Win32DialogService::MessageBox(void* owner, const std::string& text, const std::string& caption,
                                   unsigned flags) {
  return ::MessageBoxW(static_cast<HWND>(owner), Wide(text).c_str(), Wide(caption).c_str(), flags);
}

void Win32DialogService::DismissMessageBox(void* owner) {
  BoxSearch search{static_cast<HWND>(owner), nullptr};
  ::EnumThreadWindows(::GetCurrentThreadId(), FindOwnedBox, reinterpret_cast<LPARAM>(&search));
  // No button pressed: a Yes/No box reads as No, an OK box as OK.
  if (search.found != nullptr) ::EndDialog(search.found, IDNO);
}

std::optional<std::string> Win32DialogService::ExecuteSaveDialog(void* owner, const SaveDialogRequest& request) {
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring offered = Wide(request.fileName);
  std::copy_n(offered.begin(), std::min(offered.size(), file.size() - 1), file.begin());
  std::wstring folder = Wide(request.folder);
  std::replace(folder.begin(), folder.end(), L'/', L'\\');
  const std::wstring filter = ToDialogFilter(request.filter);
  const std::wstring title = Wide(request.title);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = static_cast<HWND>(owner);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (request.options & ofHideReadOnly) dialog.Flags |= OFN_HIDEREADONLY;
  if (request.options & ofOverwritePrompt) dialog.Flags |= OFN_OVERWRITEPROMPT;
  if (request.options & ofEnableSizing) dialog.Flags |= OFN_ENABLESIZING;
  if (!::GetSaveFileNameW(&dialog)) return std::nullopt;
  return Narrow(file.data());
}

void Win32DialogService::MessageBeep(unsigned type) { ::MessageBeep(type); }

void Win32DialogService::FlashWindow(void* window, int count, int intervalMs) {
  FLASHWINFO flash{};
  flash.cbSize = sizeof(flash);
  flash.hwnd = static_cast<HWND>(window);
  flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
  flash.uCount = static_cast<UINT>(count);
  flash.dwTimeout = static_cast<DWORD>(intervalMs);
  ::FlashWindowEx(&flash);
}

bool Win32DialogService::OpenDocument(const std::string& path) {
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

void Win32DialogService::ShowException(const std::string& message) {
  ::MessageBoxW(nullptr, Wide(message).c_str(), Wide(text::kTitle).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace vantora
