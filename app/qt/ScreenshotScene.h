// The pictures scripts/screenshot.sh takes of the window, steered by the
// environment: VANTORA_SCREENSHOT=<file.png> saves the window once it is shown
// and its settings are loaded, then ends the program; with
// VANTORA_SCREENSHOT_RUN=<file.csv> a run to that file is started first (the
// save dialog answered with it, message boxes answered with their default
// unseen) and the picture is taken while it is in progress.
#pragma once

#include <memory>

namespace vantora {

class DialogService;
class TFrmMain;

// The dialog service for a run picture, forwarding to `real` but for the save
// dialog and the message boxes; null when no run picture is asked for.
std::unique_ptr<DialogService> ScreenshotDialogs(DialogService& real);

// Schedules the picture (and the run) when VANTORA_SCREENSHOT is set.
void ScheduleScreenshot(TFrmMain& form);

}  // namespace vantora
