// Connects the worker's synchronous call to the Qt GUI thread: the hook runs
// a callback on the GUI thread through a blocking queued call and returns
// once it has run (directly when already on the GUI thread).
#pragma once

namespace vantora {

// Installs the hook for this process (needs a QCoreApplication).
void InstallGuiSynchronizeHook();
// Removes it again (callbacks then run on the calling thread).
void RemoveGuiSynchronizeHook();

}  // namespace vantora
