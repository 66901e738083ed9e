// The dialog service of the Win32 view: MessageBoxW with the flags as given,
// GetSaveFileNameW, MessageBeep, FlashWindowEx and ShellExecuteW "open". The
// owner of a box is the view's HWND.
#pragma once

#include "app/DialogService.h"

namespace vantora {

class Win32DialogService final : public DialogService {
 public:
  int MessageBox(void* owner, const std::string& text, const std::string& caption, unsigned flags) override;
  void DismissMessageBox(void* owner) override;
  std::optional<std::string> ExecuteSaveDialog(void* owner, const SaveDialogRequest& request) override;
  void MessageBeep(unsigned type) override;
  void FlashWindow(void* window, int count, int intervalMs) override;
  bool OpenDocument(const std::string& path) override;
  void ShowException(const std::string& message) override;
};

// "CSVファイル (*.csv)|*.csv" -> the dialog's filter: each '|' a NUL, and two
// NULs at the end.
std::wstring ToDialogFilter(const std::string& filter);

}  // namespace vantora
