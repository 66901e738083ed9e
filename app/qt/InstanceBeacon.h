// How a second start of the program reaches the first: the first listens on a
// local socket beside its single-instance lock file ("<name>.sock" for the
// lock file "<name>.lock", wherever the guard found room for it); the second
// connects, which asks the first to bring
// its window to the front, and ends.
#pragma once

#include <QObject>
#include <functional>
#include <string>

class QLocalServer;

namespace vantora {

class InstanceBeacon final : public QObject {
  Q_OBJECT

 public:
  // Listens beside `lockFile` (call only while holding the single-instance
  // guard on that file, so that any socket left there is stale); `onCall`
  // runs on the GUI thread for every later Call.
  InstanceBeacon(const std::string& lockFile, std::function<void()> onCall,
                 QObject* parent = nullptr);
  ~InstanceBeacon() override;

  bool Listening() const;

  // Asks the program listening beside `lockFile` to come to the front; false
  // when none listens. Needs no application object.
  static bool Call(const std::string& lockFile);

  static std::string SocketPath(const std::string& lockFile);

 private:
  QLocalServer* server_;
  std::function<void()> onCall_;
};

}  // namespace vantora
