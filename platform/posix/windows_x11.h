// The already-running check on X11: whether a top-level window of a class
// exists, found through libX11 loaded when a check needs it. Left out:
// Wayland, which lets no program see another's windows.
#pragma once

namespace posix {

// Whether a top-level window whose WM_CLASS class matches `className`,
// without regard to ASCII case, exists on the X display. False without a
// display that answers, without libX11, and in a build without X11.
bool WindowOfClassExists(const char* className);

}  // namespace posix
