#include "worker/MyThread.h"

#include <cstdio>

#include "common/FileName.h"
#include "worker/Job.h"

namespace vantora {

TMyThread::TMyThread(bool createSuspended, JobHost& host) : TThread(createSuspended), host_(host) {
  if (!createSuspended) Start();
}

TMyThread::~TMyThread() { TerminateAndWait(); }

void TMyThread::Execute() {
  host_.IsRunning().store(true);
  host_.ResultCode().store(kResultNothingFound);
  // An exception anywhere in the run must not skip the clean-up and the
  // completion callback: the window leaves its running state only there.
  try {
    RunJob(host_);
  } catch (...) {
  }
  try {
    RemoveFile(JobScratchFilePath());  // nothing to do when it does not exist
  } catch (...) {
  }
  host_.IsRunning().store(false);
  Terminate();  // on itself, never through the window's pointer
  try {
    TThread::Synchronize([this] { host_.JobCompleted(this); });
  } catch (...) {
  }
}

}  // namespace vantora
