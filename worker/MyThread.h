// The worker thread of a retrieval job (unit uniThread).
//
// The window creates it suspended, sets free-on-terminate and starts it:
//
//   Worker = new TMyThread(true, *this);   // *this implements JobHost
//   Worker->SetFreeOnTerminate(true);
//   Worker->Start();
//
// Cancel: Worker->Terminate(). At the end the worker calls
// host.JobCompleted(this) on the GUI thread; after that returns the object
// deletes itself, so the window drops its pointer in that callback.
#pragma once

#include "common/Thread.h"
#include "worker/JobHost.h"

namespace vantora {

class TMyThread final : public TThread {
 public:
  // createSuspended = false starts the thread at the end of this constructor.
  TMyThread(bool createSuspended, JobHost& host);
  ~TMyThread() override;

 protected:
  // Thread body: IsRunning := true, ResultCode := 0; RunJob; delete the
  // scratch file; IsRunning := false; Terminate on itself; run the completion
  // callback on the GUI thread. Never lets an exception escape.
  void Execute() override;

 private:
  JobHost& host_;
};

}  // namespace vantora
