// Whether a graphical display answers, asked once per run with a bounded
// wait: Xlib, zenity and kdialog wait for ever on a server that accepts a
// connection and then stays silent. Uses socket, connect, send and poll on
// the display's socket (a Unix socket, abstract or in /tmp/.X11-unix, or TCP
// port 6000 + n through getaddrinfo), and sends the first request of the
// protocol: an X11 connection setup without authorisation (any reply, even a
// refusal, shows a live server), or a Wayland display sync. Left out: DECnet
// displays and a Wayland connection handed over as WAYLAND_SOCKET.
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/posix_support.h"

namespace posix {

namespace {

constexpr int kProbeMilliseconds = 2000;
constexpr int kX11TcpBasePort = 6000;
constexpr useconds_t kRetryMicroseconds = 10000;
constexpr const char* kX11SocketFolder = "/tmp/.X11-unix/X";

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd entry = {fd, events, 0};
    const int n = poll(&entry, 1, MillisecondsLeft(deadline));
    if (n > 0) return (entry.revents & events) != 0;
    if (n == 0 || errno != EINTR) return false;
  }
}

// A connected, non-blocking socket, or -1 once the deadline has passed. A
// Unix socket whose server has a full queue of connections to accept says
// EAGAIN at once: that is asked again until the deadline.
int ConnectBounded(int family, const sockaddr* address, socklen_t length,
                   Clock::time_point deadline) {
  for (;;) {
    const int fd =
        socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (connect(fd, address, length) == 0) return fd;
    const int error = errno;
    if (error == EINPROGRESS && WaitFor(fd, POLLOUT, deadline)) {
      int pending = 0;
      socklen_t size = sizeof pending;
      if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &size) == 0 &&
          pending == 0)
        return fd;
    }
    close(fd);
    if (error != EAGAIN || MillisecondsLeft(deadline) == 0) return -1;
    usleep(kRetryMicroseconds);
  }
}

int ConnectUnix(const std::string& path, bool abstract,
                Clock::time_point deadline) {
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (path.size() + offset >= sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const auto length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                             path.size() + (abstract ? 0 : 1));
  return ConnectBounded(AF_UNIX, reinterpret_cast<sockaddr*>(&address), length,
                        deadline);
}

int ConnectTcp(const std::string& host, int port, Clock::time_point deadline) {
  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) !=
      0)
    return -1;
  int fd = -1;
  for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next)
    fd = ConnectBounded(a->ai_family, a->ai_addr, a->ai_addrlen, deadline);
  freeaddrinfo(found);
  return fd;
}

// Sends `request` and waits for the first byte of any reply; closes `fd`.
bool Answers(int fd, const void* request, std::size_t size,
             Clock::time_point deadline) {
  bool answered = false;
  if (fd >= 0) {
    if (send(fd, request, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size) &&
        WaitFor(fd, POLLIN, deadline)) {
      char byte;
      answered = recv(fd, &byte, 1, 0) == 1;
    }
    close(fd);
  }
  return answered;
}

// The connection setup of X11 version 11.0, in this machine's byte order,
// with no authorisation.
struct X11SetupRequest {
  char byteOrder;
  char unused = 0;
  std::uint16_t major = 11;
  std::uint16_t minor = 0;
  std::uint16_t authNameLength = 0;
  std::uint16_t authDataLength = 0;
  std::uint16_t pad = 0;
};

// The sync request of the Wayland display (object 1, opcode 0, 12 bytes)
// with the new callback object 2.
struct WaylandSyncRequest {
  std::uint32_t object = 1;
  std::uint32_t sizeAndOpcode = 12u << 16;
  std::uint32_t callback = 2;
};

enum class Probe { kUnknown, kAnswers, kSilent };

// Whether the display that `variable` names answers, probed the first time.
bool AnswersOnce(Probe* known, const char* variable,
                 bool (*probe)(const std::string& name, int milliseconds)) {
  if (*known == Probe::kUnknown) {
    const char* name = std::getenv(variable);
    *known =
        name != nullptr && name[0] != '\0' && probe(name, kProbeMilliseconds)
            ? Probe::kAnswers
            : Probe::kSilent;
  }
  return *known == Probe::kAnswers;
}

}  // namespace

bool ProbeX11Display(const std::string& name, int milliseconds) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  // [protocol/]host:number[.screen], or a socket path ending in :number.
  const std::size_t colon = name.rfind(':');
  if (colon == std::string::npos) return false;
  std::string host = name.substr(0, colon);
  const std::string rest = name.substr(colon + 1);
  const int number = std::atoi(rest.c_str());
  if (rest.empty() || rest[0] < '0' || rest[0] > '9') return false;
  int fd = -1;
  if (!host.empty() && host[0] == '/') {
    fd = ConnectUnix(host, false, deadline);
  } else {
    std::string protocol;
    const std::size_t slash = host.find('/');
    if (slash != std::string::npos) {
      protocol = host.substr(0, slash);
      host = host.substr(slash + 1);
    }
    if (host.size() > 1 && host.front() == '[' && host.back() == ']')
      host = host.substr(1, host.size() - 2);
    if (!host.empty() && host.back() == ':') return false;  // DECnet
    if (protocol == "unix" ||
        (protocol.empty() && (host.empty() || host == "unix"))) {
      const std::string path = kX11SocketFolder + std::to_string(number);
      fd = ConnectUnix(path, true, deadline);
      if (fd < 0) fd = ConnectUnix(path, false, deadline);
    } else {
      fd = ConnectTcp(host.empty() ? "localhost" : host,
                      kX11TcpBasePort + number, deadline);
    }
  }
  X11SetupRequest request;
  const std::uint16_t probe = 1;
  request.byteOrder =
      *reinterpret_cast<const unsigned char*>(&probe) == 1 ? 'l' : 'B';
  return Answers(fd, &request, sizeof request, deadline);
}

bool ProbeWaylandDisplay(const std::string& name, int milliseconds) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  std::string path = name;
  if (path.empty()) return false;
  if (path[0] != '/') {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] == '\0') return false;
    path = std::string(runtime) + "/" + path;
  }
  const WaylandSyncRequest request;
  return Answers(ConnectUnix(path, false, deadline), &request, sizeof request,
                 deadline);
}

bool X11DisplayAnswers() {
  static Probe known = Probe::kUnknown;
  return AnswersOnce(&known, "DISPLAY", ProbeX11Display);
}

bool WaylandDisplayAnswers() {
  static Probe known = Probe::kUnknown;
  return AnswersOnce(&known, "WAYLAND_DISPLAY", ProbeWaylandDisplay);
}

}  // namespace posix
