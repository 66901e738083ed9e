// The first program's listening socket and the second's call to it.
#include "app/qt/InstanceBeacon.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <cstring>
#include <string_view>


namespace vantora {

std::string InstanceBeacon::SocketPath(const std::string& lockFile) {
  std::string_view path = lockFile;
  if (path.ends_with(".lock")) path.remove_suffix(std::string_view(".lock").size());
  return std::string(path) + ".sock";
}

InstanceBeacon::InstanceBeacon(const std::string& lockFile, std::function<void()> onCall,
                               QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)), onCall_(std::move(onCall)) {
  const QString path = QString::fromStdString(SocketPath(lockFile));
  QLocalServer::removeServer(path);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  server_->listen(path);
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* caller = server_->nextPendingConnection()) {
      caller->disconnectFromServer();
      caller->deleteLater();
      if (onCall_) onCall_();
    }
  });
}

InstanceBeacon::~InstanceBeacon() { server_->close(); }

bool InstanceBeacon::Listening() const { return server_->isListening(); }

bool InstanceBeacon::Call(const std::string& lockFile) {
  const std::string path = SocketPath(lockFile);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool connected =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  ::close(fd);
  return connected;
}

}  // namespace vantora
