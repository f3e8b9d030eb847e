// The built-in message box, for a display where no dialog program works: one
// X11 window shaped after a Windows message box, drawn through libX11 loaded
// at run time. Left out: a mirrored layout for right-to-left languages and
// several monitors.
#pragma once

namespace posix {

// Shows the box and returns once it is answered, as MessageBoxA would;
// -1 when it cannot be shown (no display, no libX11, a build without X11,
// whose stand-in lives in windows_x11.cpp).
int X11MessageBox(const char* text, const char* caption, unsigned style);

}  // namespace posix
