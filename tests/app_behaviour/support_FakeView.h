// Shared helpers of the behaviour tests, which need no toolkit: a fake view
// that keeps each control's state in plain members and records the calls it
// gets (and on which thread), a dialog double that records the boxes and
// answers from a script, and a wait that runs the fake event loop.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/DialogService.h"
#include "app/FrmMainBehaviour.h"
#include "app/FrmMainView.h"
#include "app/SynchronousCallQueue.h"

namespace vantora::test {

class FakeView final : public FrmMainView {
 public:
  struct Control {
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool warning = false;
    bool readOnly = false;
    bool editable = true;
    std::string text;
  };

  FakeView();
  ~FakeView() override;

  // The behaviour whose window this is (for the close button).
  FrmMainBehaviour* form = nullptr;
  std::map<Ctl, Control> controls;
  std::vector<bool> ticks;
  int current = -1;
  int barMaximum = 100;
  int barPosition = 0;
  bool busy = false;
  std::vector<Ctl> focused;
  std::deque<std::function<void()>> posted;
  int quits = 0;
  bool taskbarAvailable = true;
  std::vector<TTaskBarProgressState> taskbarStates;
  std::vector<int> permilles;
  // Calls that reached the view from another thread than the one that made it.
  int ForeignThreadCalls() const { return foreign_.load(); }

  // Runs what was posted and the worker's queued calls, like an event loop.
  void RunEvents();

  void SetEnabled(Ctl c, bool enabled) override { At(c).enabled = enabled; }
  bool Enabled(Ctl c) const override { return At(c).enabled; }
  void SetVisible(Ctl c, bool visible) override { At(c).visible = visible; }
  void Focus(Ctl c) override { Touch(), focused.push_back(c); }
  void RepaintNow(Ctl) override { Touch(); }
  bool Checked(Ctl c) const override { return At(c).checked; }
  void SetChecked(Ctl c, bool checked) override { At(c).checked = checked; }
  std::string Text(Ctl c) const override { return At(c).text; }
  void SetText(Ctl c, const std::string& text) override { At(c).text = text; }
  void SetWarningColour(Ctl c, bool warning) override { At(c).warning = warning; }
  void SetReadOnly(Ctl c, bool readOnly) override { At(c).readOnly = readOnly; }
  void SelectAllText(Ctl) override { Touch(); }
  void SetFieldLook(Ctl c, bool editable) override { At(c).editable = editable; }
  int SectorCount() const override { return static_cast<int>(ticks.size()); }
  bool SectorTicked(int index) const override;
  void SetSectorTicked(int index, bool ticked) override;
  void SetCurrentSector(int index) override { current = index; }
  void SetBarRange(int maximum) override { Touch(), barMaximum = maximum; }
  void SetBarPosition(int position) override { Touch(), barPosition = position; }
  int BarPosition() const override { return barPosition; }
  int BarMaximum() const override { return barMaximum; }
  void SetBusyCursor(bool on) override { busy = on; }
  void* DialogOwner() override { return this; }
  void PostToEventLoop(std::function<void()> call) override { posted.push_back(std::move(call)); }
  bool CloseWindow() override;
  void QuitApplication() override { ++quits; }
  void InstallSynchronizeHook() override { calls_.InstallHook(); }
  bool InitializeTaskbar() override { return taskbarAvailable; }
  void SetTaskbarState(TTaskBarProgressState state) override { taskbarStates.push_back(state); }
  void SetTaskbarValue(std::uint64_t, std::uint64_t) override { Touch(); }
  void OverallProgressChanged(int permille) override { Touch(), permilles.push_back(permille); }

 private:
  Control& At(Ctl c);
  const Control& At(Ctl c) const;
  void Touch() const;

  std::thread::id thread_;
  mutable std::atomic<int> foreign_{0};
  SynchronousCallQueue calls_;
};

// Records every box and dialog (with the owner it was given) and answers
// from a script: a box with no scripted answer gets its default button, a
// save dialog with no scripted answer is cancelled.
class RecordingDialogs final : public DialogService {
 public:
  struct Box {
    void* owner;
    std::string text;
    std::string caption;
    unsigned flags;
  };

  int MessageBox(void* owner, const std::string& text, const std::string& caption,
                 unsigned flags) override;
  void DismissMessageBox(void* owner) override { dismissedOwners.push_back(owner); }
  std::optional<std::string> ExecuteSaveDialog(void* owner, const SaveDialogRequest& request) override;
  void MessageBeep(unsigned type) override { beeps.push_back(type); }
  void FlashWindow(void* window, int, int) override { flashedOwners.push_back(window); }
  bool OpenDocument(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
  void ShowException(const std::string& message) override { exceptions.push_back(message); }

  std::vector<Box> boxes;
  std::vector<void*> dialogOwners;
  std::vector<void*> dismissedOwners;
  std::vector<void*> flashedOwners;
  std::vector<unsigned> beeps;
  std::vector<std::string> opened;
  std::vector<std::string> exceptions;
  std::deque<std::function<int()>> answers;
  std::deque<std::optional<std::string>> savePaths;
};

// Runs `view`'s events until `condition` holds; false if it still does not
// after a long while (a hang guard, not a speed check).
bool WaitUntil(FakeView& view, const std::function<bool()>& condition);

}  // namespace vantora::test
