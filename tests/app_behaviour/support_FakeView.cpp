// The fake view, the recording dialogs and the fake event loop's wait.
#include "support_FakeView.h"

#include <chrono>

#include "worker/Job.h"

namespace vantora::test {

FakeView::FakeView() : ticks(kSectorCount, false), thread_(std::this_thread::get_id()), calls_(nullptr) {
  for (Ctl c : {Ctl::txtCode, Ctl::btnCancel}) controls[c].enabled = false;
}

FakeView::~FakeView() { SynchronousCallQueue::RemoveHook(); }

void FakeView::Touch() const {
  if (std::this_thread::get_id() != thread_) ++foreign_;
}

FakeView::Control& FakeView::At(Ctl c) {
  Touch();
  return controls[c];
}

const FakeView::Control& FakeView::At(Ctl c) const {
  Touch();
  static const Control kUnset;
  const auto it = controls.find(c);
  return it == controls.end() ? kUnset : it->second;
}

bool FakeView::SectorTicked(int index) const {
  Touch();
  return ticks.at(static_cast<std::size_t>(index));
}

void FakeView::SetSectorTicked(int index, bool ticked) {
  Touch();
  ticks.at(static_cast<std::size_t>(index)) = ticked;
}

bool FakeView::CloseWindow() {
  bool canClose = true;
  if (form != nullptr) form->FormCloseQuery(canClose);
  return canClose;
}

void FakeView::RunEvents() {
  calls_.RunQueued();
  while (!posted.empty()) {
    auto call = std::move(posted.front());
    posted.pop_front();
    call();
  }
}

int RecordingDialogs::MessageBox(void* owner, const std::string& text, const std::string& caption,
                                 unsigned flags) {
  boxes.push_back({owner, text, caption, flags});
  if (!answers.empty()) {
    auto answer = std::move(answers.front());
    answers.pop_front();
    return answer();
  }
  return DefaultButtonResult(flags);
}

std::optional<std::string> RecordingDialogs::ExecuteSaveDialog(void* owner, const SaveDialogRequest&) {
  dialogOwners.push_back(owner);
  if (savePaths.empty()) return std::nullopt;
  std::optional<std::string> path = savePaths.front();
  savePaths.pop_front();
  return path;
}

bool WaitUntil(FakeView& view, const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    view.RunEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace vantora::test
