// The window's platform operations behind one interface: message boxes with
// the Windows MessageBox flags (and closing one whose question has lapsed),
// the save dialog, the system sound, flashing the taskbar button and opening
// a file with its associated application. Texts and paths are UTF-8; the
// owner of a box or dialog is the view's own window (a QWidget* for the Qt
// view, an HWND for the Win32 view), passed through untyped.
// Each view has its implementation; tests use a scripted double that records
// what was shown and answers from a script.
#pragma once

#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
// The service's MessageBox is its own name, not the system's A/W macro.
#undef MessageBox
#endif

namespace vantora {

#ifndef _WIN32
// MessageBox flags and results, with the values Windows gives them.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_TOPMOST = 0x40000;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
#endif

inline constexpr unsigned kMbTypeMask = 0xF;
inline constexpr unsigned kMbIconMask = 0xF0;
inline constexpr unsigned kMbDefMask = 0xF00;

// What a box answers when its default button is pressed: Yes, or No with
// MB_DEFBUTTON2, for a Yes/No box; OK for any other.
constexpr int DefaultButtonResult(unsigned flags) {
  if ((flags & kMbTypeMask) == MB_YESNO) return (flags & kMbDefMask) == MB_DEFBUTTON2 ? IDNO : IDYES;
  return IDOK;
}

// Options of the save dialog, named after the framework's dialog options.
enum SaveDialogOption : unsigned {
  ofHideReadOnly = 1u << 0,
  ofOverwritePrompt = 1u << 1,
  ofEnableSizing = 1u << 2,
};

// What the save dialog is asked to show.
struct SaveDialogRequest {
  std::string title;
  std::string filter;    // "description|pattern" pairs joined by '|'
  std::string fileName;  // the file name offered
  std::string folder;    // the folder the dialog opens in; empty: the current one
  unsigned options = 0;
};

class DialogService {
 public:
  virtual ~DialogService() = default;

  // A modal message box over `owner`; returns IDOK, IDYES or IDNO.
  virtual int MessageBox(void* owner, const std::string& text, const std::string& caption,
                         unsigned flags) = 0;
  // Closes the innermost message box open over `owner`, as if answered No
  // (or OK); nothing when none is open.
  virtual void DismissMessageBox(void* owner) = 0;
  // The save dialog; the chosen full path, or nothing when cancelled.
  virtual std::optional<std::string> ExecuteSaveDialog(void* owner,
                                                       const SaveDialogRequest& request) = 0;
  // The system sound of a message type (MB_ICONQUESTION, ...).
  virtual void MessageBeep(unsigned type) = 0;
  // Flashes the taskbar button of `window` `count` times, `intervalMs` apart,
  // and on until the window comes to the foreground.
  virtual void FlashWindow(void* window, int count, int intervalMs) = 0;
  // Opens `path` with the application associated with its type; false when
  // no application is set up to open files of that type.
  virtual bool OpenDocument(const std::string& path) = 0;
  // The standard box for an error that escaped the event loop.
  virtual void ShowException(const std::string& message) = 0;
};

}  // namespace vantora
