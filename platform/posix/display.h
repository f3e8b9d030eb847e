// Whether a graphical display answers, asked with a bounded wait: Xlib,
// zenity and kdialog wait for ever on a server that accepts a connection and
// then stays silent. The probe sends the first request of each protocol
// itself (no X or Wayland library is loaded for it). Left out: DECnet
// displays, a Wayland connection handed over as WAYLAND_SOCKET, and
// authorisation schemes other than the magic cookie.
#pragma once

#include <string>

namespace posix {

// Whether the display named by DISPLAY, or WAYLAND_DISPLAY, answers the
// first request of its protocol within about two seconds (an X server that
// refuses the connection is told once on standard error and does not
// count). Asked once a run; later calls give the first answer.
bool X11DisplayAnswers();
bool WaylandDisplayAnswers();

// What an X11 probe found: no X server (nothing, or a reply that is not the
// protocol's), one that accepts this user, or one that refuses, and why.
enum class X11Answer { kNone, kAccepted, kRefused };
struct X11Probe {
  X11Answer answer = X11Answer::kNone;
  std::string reason;  // the server's, printable ASCII, for a refusal
};
// The probes for a given display name and time limit, asked every call.
X11Probe ProbeX11Display(const std::string& name, int milliseconds);
bool ProbeWaylandDisplay(const std::string& name, int milliseconds);

}  // namespace posix
