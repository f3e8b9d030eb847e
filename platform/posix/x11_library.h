// libX11, loaded at run time: the launcher itself links no X library, so a
// run that needs no window check and no box of its own does not pay for
// loading it, and a machine without it still runs the launcher.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace posix {

// One line a function, kept as written.
// clang-format off
#define PELLOMAR_X11_FUNCTIONS(F) \
  F(XOpenDisplay) \
  F(XDefaultRootWindow) \
  F(XQueryTree) \
  F(XGetClassHint) \
  F(XFree) \
  F(XSetErrorHandler) \
  F(XSetIOErrorHandler) \
  F(XDefaultScreen) \
  F(XDisplayWidth) \
  F(XDisplayHeight) \
  F(XRootWindow) \
  F(XDefaultVisual) \
  F(XDefaultColormap) \
  F(XCreateSimpleWindow) \
  F(XDestroyWindow) \
  F(XMapSubwindows) \
  F(XMapRaised) \
  F(XInternAtom) \
  F(XChangeProperty) \
  F(XSetWMProtocols) \
  F(XAllocSizeHints) \
  F(XSetWMNormalHints) \
  F(XSetClassHint) \
  F(XAllocWMHints) \
  F(XSetWMHints) \
  F(XSelectInput) \
  F(XNextEvent) \
  F(XPending) \
  F(XLookupKeysym) \
  F(XSetInputFocus) \
  F(XCreateGC) \
  F(XFreeGC) \
  F(XSetForeground) \
  F(XFillRectangle) \
  F(XDrawRectangle) \
  F(XFillArc) \
  F(XDrawArc) \
  F(XSetLineAttributes) \
  F(XAllocColor) \
  F(XFlush) \
  F(XLoadQueryFont) \
  F(XFreeFont) \
  F(XSetFont) \
  F(XDrawString16) \
  F(XTextWidth16) \
  F(XConnectionNumber) \
  F(XSync)
// clang-format on

struct X11Library {
#define PELLOMAR_X11_MEMBER(name) decltype(&::name) name;
  PELLOMAR_X11_FUNCTIONS(PELLOMAR_X11_MEMBER)
#undef PELLOMAR_X11_MEMBER
  // Only in libX11 1.7 and later: lets a lost server end the box, not the
  // process. Null where missing.
  void (*XSetIOErrorExitHandler)(Display*, void (*)(Display*, void*), void*);
};

// libX11 with every function above, loaded on first use and kept; null when
// it cannot be loaded.
const X11Library* LoadX11();

// One connection to the display for the whole run, opened on first use once
// the display has answered the probe; null without one. Every window check
// and box shares it (a second connection in one process can trip Xlib's
// extension bookkeeping), and the process's end closes it.
Display* SharedDisplay(const X11Library& x);

}  // namespace posix
