// What the window's behaviour asks of a view: the controls by their names in
// the design, read and set without running their handlers, the progress bar,
// the cursor, the taskbar progress, the event loop and the window itself.
// The Qt view and the Win32 view implement it; tests use a fake one. Texts
// are UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/TaskbarProgress.h"

namespace vantora {

// The window's controls, named as in the design.
enum class Ctl {
  chkCtgr,
  chkAllPages,
  lstCtgr,
  grp01,
  chkCode,
  txtCode,
  btnAction,
  btnCancel,
  lblStatus,
  prgBar,
  lblTotal,
  grpSite,
  txtSite,
  btnSite,
  lblSite,
  btnSampleSite,
};

class FrmMainView {
 public:
  virtual ~FrmMainView() = default;

  // Any control.
  virtual void SetEnabled(Ctl control, bool enabled) = 0;
  virtual bool Enabled(Ctl control) const = 0;
  virtual void SetVisible(Ctl control, bool visible) = 0;
  virtual void Focus(Ctl control) = 0;
  // Paints the control now rather than from the event loop.
  virtual void RepaintNow(Ctl control) = 0;
  // The check boxes (chkCtgr, chkCode, chkAllPages); setting one does not
  // run its handler.
  virtual bool Checked(Ctl box) const = 0;
  virtual void SetChecked(Ctl box, bool checked) = 0;
  // The edit fields' texts and the labels' texts. The status label keeps its
  // right edge and grows to the left with its text.
  virtual std::string Text(Ctl control) const = 0;
  virtual void SetText(Ctl control, const std::string& text) = 0;
  // A label's text in the warning colour (red) or in the normal one.
  virtual void SetWarningColour(Ctl label, bool warning) = 0;
  // Edit fields: read-only, all text selected, and the background of an
  // editable field (true) or of a disabled one (false).
  virtual void SetReadOnly(Ctl field, bool readOnly) = 0;
  virtual void SelectAllText(Ctl field) = 0;
  virtual void SetFieldLook(Ctl field, bool editable) = 0;

  // The sector list (lstCtgr): its ticks, without the list's handler, and
  // its current item.
  virtual int SectorCount() const = 0;
  virtual bool SectorTicked(int index) const = 0;
  virtual void SetSectorTicked(int index, bool ticked) = 0;
  virtual void SetCurrentSector(int index) = 0;

  // The progress bar (prgBar): range 0..maximum.
  virtual void SetBarRange(int maximum) = 0;
  virtual void SetBarPosition(int position) = 0;
  virtual int BarPosition() const = 0;
  virtual int BarMaximum() const = 0;

  // The application-starting cursor over the whole program, or the normal one.
  virtual void SetBusyCursor(bool busy) = 0;
  // The owner passed to the dialog service for boxes over this window.
  virtual void* DialogOwner() = 0;
  // Runs `call` from the event loop, after what is being handled now.
  virtual void PostToEventLoop(std::function<void()> call) = 0;
  // Closes the window as its close button does (FormCloseQuery decides);
  // false when the close was refused.
  virtual bool CloseWindow() = 0;
  // Ends the program's event loop.
  virtual void QuitApplication() = 0;
  // Makes the worker's synchronous call run its callbacks on this GUI thread.
  virtual void InstallSynchronizeHook() = 0;

  // Taskbar progress: whether it is available, its state and its value.
  virtual bool InitializeTaskbar() = 0;
  virtual void SetTaskbarState(TTaskBarProgressState state) = 0;
  virtual void SetTaskbarValue(std::uint64_t completed, std::uint64_t total) = 0;
  // The whole job's share done, in thousandths, each time it changes.
  virtual void OverallProgressChanged(int permille) = 0;
};

}  // namespace vantora
