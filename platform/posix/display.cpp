// Whether a graphical display answers, asked once per run with a bounded
// wait: Xlib, zenity and kdialog wait for ever on a server that accepts a
// connection and then stays silent. Uses socket, connect, send and poll on
// the display's socket (a Unix socket, abstract or in /tmp/.X11-unix, or TCP
// port 6000 + n through getaddrinfo), and sends the first request of the
// protocol: an X11 connection setup with the user's cookie from the
// authority file, as libX11 would send it, or a Wayland display sync. An X
// server is one whose reply starts with a status the protocol defines; one
// that refuses the connection is told once on standard error and counts as
// no display, so libX11 is never asked to open it (it would print its own
// complaint on every attempt). Left out: DECnet displays, a Wayland
// connection handed over as WAYLAND_SOCKET, and authorisation schemes other
// than the magic cookie (a server that wants one refuses the probe).
#include "platform/posix/display.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace posix {

namespace {

constexpr int kProbeMilliseconds = 2000;
constexpr int kX11TcpBasePort = 6000;
constexpr useconds_t kRetryMicroseconds = 10000;
constexpr const char* kX11SocketFolder = "/tmp/.X11-unix/X";
// The only authorisation the probe can send, and how much of an authority
// file it reads (a real one holds a few entries of some 50 bytes).
constexpr const char* kCookieName = "MIT-MAGIC-COOKIE-1";
constexpr std::streamsize kAuthorityFileLimit = 1 << 16;
// Address families of authority entries, as libXau numbers them.
constexpr unsigned kFamilyInternet = 0;
constexpr unsigned kFamilyInternet6 = 6;
constexpr unsigned kFamilyLocal = 256;
constexpr unsigned kFamilyWild = 65535;
// First byte of the server's reply to the connection setup.
constexpr unsigned char kSetupFailed = 0;
constexpr unsigned char kSetupSuccess = 1;
constexpr unsigned char kSetupAuthenticate = 2;
constexpr std::size_t kSetupReplyHeader = 8;
constexpr std::size_t kReasonShown = 200;

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

// Sends `request` and reads the reply until `wanted` says it has what it
// needs, the stream ends or the deadline passes; closes `fd`.
std::string Exchange(int fd, const void* request, std::size_t requestSize,
                     std::size_t (*wanted)(const std::string& reply),
                     Clock::time_point deadline) {
  std::string reply;
  if (fd < 0) return reply;
  if (send(fd, request, requestSize, MSG_NOSIGNAL) ==
      static_cast<ssize_t>(requestSize)) {
    char chunk[256];
    while (reply.size() < wanted(reply) && WaitFor(fd, POLLIN, deadline)) {
      const ssize_t n = recv(
          fd, chunk, std::min(sizeof chunk, wanted(reply) - reply.size()), 0);
      if (n <= 0) break;
      reply.append(chunk, static_cast<std::size_t>(n));
    }
  }
  close(fd);
  return reply;
}

std::size_t FirstByte(const std::string&) { return 1; }

// How much of an X11 setup reply the probe reads: its first byte, and for a
// refusal the header and the start of the reason.
std::size_t SetupReplyWanted(const std::string& reply) {
  if (reply.empty()) return 1;
  const auto status = static_cast<unsigned char>(reply[0]);
  if (status != kSetupFailed && status != kSetupAuthenticate) return 1;
  if (reply.size() < kSetupReplyHeader) return kSetupReplyHeader;
  std::uint16_t units;  // in the byte order the request asked for
  std::memcpy(&units, reply.data() + 6, sizeof units);
  return kSetupReplyHeader + std::min<std::size_t>(4u * units, kReasonShown);
}

// Reads a big-endian 16-bit length and that many bytes; false at the end.
bool ReadCounted(std::istream& in, std::string* out) {
  unsigned char size[2];
  if (!in.read(reinterpret_cast<char*>(size), 2)) return false;
  out->assign(static_cast<std::size_t>(size[0] << 8 | size[1]), '\0');
  return out->empty() ||
         static_cast<bool>(
             in.read(&(*out)[0], static_cast<std::streamsize>(out->size())));
}

// The cookie the user's authority file ($XAUTHORITY, else ~/.Xauthority)
// holds for display `number` at `address` of `family`, as libX11 picks it:
// the first entry of that address, or of any address, and of that display
// number or of any. Empty when there is none.
std::string CookieFor(unsigned family, const std::string& address,
                      const std::string& number) {
  std::string path;
  if (const char* file = std::getenv("XAUTHORITY"); file && file[0] != '\0') {
    path = file;
  } else if (const char* home = std::getenv("HOME"); home && home[0] != '\0') {
    path = std::string(home) + "/.Xauthority";
  } else {
    return "";
  }
  // Only a regular file: a FIFO named there would hold the probe for ever.
  struct stat entry;
  if (stat(path.c_str(), &entry) != 0 || !S_ISREG(entry.st_mode)) return "";
  std::ifstream in(path, std::ios::binary);
  std::string entryAddress, entryNumber, name, data;
  std::streamsize read = 0;
  unsigned char familyBytes[2];
  while (read < kAuthorityFileLimit &&
         in.read(reinterpret_cast<char*>(familyBytes), 2) &&
         ReadCounted(in, &entryAddress) && ReadCounted(in, &entryNumber) &&
         ReadCounted(in, &name) && ReadCounted(in, &data)) {
    read += 10 + static_cast<std::streamsize>(entryAddress.size() +
                                              entryNumber.size() + name.size() +
                                              data.size());
    const unsigned entryFamily =
        static_cast<unsigned>(familyBytes[0] << 8 | familyBytes[1]);
    const bool addressMatches =
        entryFamily == kFamilyWild ||
        (entryFamily == family && entryAddress == address);
    if (addressMatches && (entryNumber.empty() || entryNumber == number) &&
        name == kCookieName)
      return data;
  }
  return "";
}

// Where libX11 looks a connection's cookie up: a local connection (a Unix
// socket, or TCP to the loopback) under this machine's name, any other by
// the server's address.
std::string CookieForConnection(int fd, int number) {
  unsigned family = kFamilyLocal;
  std::string address;
  sockaddr_storage peer = {};
  socklen_t size = sizeof peer;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0)
    return "";
  if (peer.ss_family == AF_INET) {
    const in_addr& ip = reinterpret_cast<sockaddr_in*>(&peer)->sin_addr;
    if (ip.s_addr != htonl(INADDR_LOOPBACK)) {
      family = kFamilyInternet;
      address.assign(reinterpret_cast<const char*>(&ip), sizeof ip);
    }
  } else if (peer.ss_family == AF_INET6) {
    const in6_addr& ip = reinterpret_cast<sockaddr_in6*>(&peer)->sin6_addr;
    if (IN6_IS_ADDR_V4MAPPED(&ip)) {
      const char* v4 = reinterpret_cast<const char*>(&ip) + 12;
      if (std::memcmp(v4, "\x7f\0\0\x01", 4) != 0) {
        family = kFamilyInternet;
        address.assign(v4, 4);
      }
    } else if (!IN6_IS_ADDR_LOOPBACK(&ip)) {
      family = kFamilyInternet6;
      address.assign(reinterpret_cast<const char*>(&ip), sizeof ip);
    }
  }
  if (family == kFamilyLocal) {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return "";
    address = host;
  }
  return CookieFor(family, address, std::to_string(number));
}

void AppendPadded(const std::string& bytes, std::string* out) {
  out->append(bytes);
  out->append((4 - bytes.size() % 4) % 4, '\0');
}

// The connection setup of X11 version 11.0, in this machine's byte order,
// with the cookie when there is one.
std::string X11SetupRequest(const std::string& cookie) {
  const std::uint16_t one = 1;
  const bool little = *reinterpret_cast<const unsigned char*>(&one) == 1;
  const std::string name = cookie.empty() ? "" : kCookieName;
  const std::uint16_t header[] = {11, 0,
                                  static_cast<std::uint16_t>(name.size()),
                                  static_cast<std::uint16_t>(cookie.size()), 0};
  std::string request = {little ? 'l' : 'B', '\0'};
  request.append(reinterpret_cast<const char*>(header), sizeof header);
  AppendPadded(name, &request);
  AppendPadded(cookie, &request);
  return request;
}

// What a setup reply says, with the server's reason for a refusal.
X11Probe ReadSetupReply(const std::string& reply) {
  X11Probe probe;
  if (reply.empty()) return probe;
  const auto status = static_cast<unsigned char>(reply[0]);
  if (status == kSetupSuccess) {
    probe.answer = X11Answer::kAccepted;
  } else if (status == kSetupFailed || status == kSetupAuthenticate) {
    probe.answer = X11Answer::kRefused;
    // A refusal's reason follows the header; its length is the second byte
    // (failed), or the whole rest (authenticate, padded with zeros).
    std::size_t length =
        reply.size() > kSetupReplyHeader ? reply.size() - kSetupReplyHeader : 0;
    if (status == kSetupFailed && reply.size() > 1)
      length = std::min(length, static_cast<std::size_t>(
                                    static_cast<unsigned char>(reply[1])));
    for (std::size_t i = 0; i < length; ++i) {
      const char c = reply[kSetupReplyHeader + i];
      if (c == '\0' || c == '\n') break;
      probe.reason += (c >= ' ' && c < 0x7f) ? c : '?';
    }
    while (!probe.reason.empty() && probe.reason.back() == ' ')
      probe.reason.pop_back();
    if (probe.reason.empty())
      probe.reason = status == kSetupFailed ? "refused" : "more authentication";
  }
  return probe;
}

// The sync request of the Wayland display (object 1, opcode 0, 12 bytes)
// with the new callback object 2.
struct WaylandSyncRequest {
  std::uint32_t object = 1;
  std::uint32_t sizeAndOpcode = 12u << 16;
  std::uint32_t callback = 2;
};

enum class Probe { kUnknown, kAnswers, kSilent };

// Whether the Wayland display answers, probed the first time.
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

X11Probe ProbeX11Display(const std::string& name, int milliseconds) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  // [protocol/]host:number[.screen], or a socket path ending in :number.
  const std::size_t colon = name.rfind(':');
  if (colon == std::string::npos) return {};
  std::string host = name.substr(0, colon);
  const std::string rest = name.substr(colon + 1);
  const int number = std::atoi(rest.c_str());
  if (rest.empty() || rest[0] < '0' || rest[0] > '9') return {};
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
    if (!host.empty() && host.back() == ':') return {};  // DECnet
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
  if (fd < 0) return {};
  const std::string request = X11SetupRequest(CookieForConnection(fd, number));
  // The first byte decides; the rest of a refusal's header and its reason
  // are read only as far as they come before the deadline.
  return ReadSetupReply(
      Exchange(fd, request.data(), request.size(), SetupReplyWanted, deadline));
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
  return !Exchange(ConnectUnix(path, false, deadline), &request, sizeof request,
                   FirstByte, deadline)
              .empty();
}

bool X11DisplayAnswers() {
  static bool probed = false;
  static X11Probe known;
  if (!probed) {
    probed = true;
    const char* name = std::getenv("DISPLAY");
    if (name != nullptr && name[0] != '\0')
      known = ProbeX11Display(name, kProbeMilliseconds);
    if (known.answer == X11Answer::kRefused)
      std::fprintf(stderr,
                   "pellomar: the X display %s refused the connection (%s); "
                   "not using it\n",
                   name, known.reason.c_str());
  }
  return known.answer == X11Answer::kAccepted;
}

bool WaylandDisplayAnswers() {
  static Probe known = Probe::kUnknown;
  return AnswersOnce(&known, "WAYLAND_DISPLAY", ProbeWaylandDisplay);
}

}  // namespace posix
