// The already-running check on X11: is there a top-level window whose
// WM_CLASS class matches, without regard to ASCII case? Uses XOpenDisplay,
// XQueryTree and XGetClassHint. Top-level means a child of the root window,
// or a child of such a child (a window manager's frame holds the client one
// level down). Built without libX11, or without a display, no window exists.
#include <cstdlib>
#include <string>

#include "platform/posix/posix_support.h"

#ifdef PELLOMAR_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace posix {

#ifdef PELLOMAR_HAVE_X11

namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

bool SameIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a + 32) : *a;
    const char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b + 32) : *b;
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

bool HasClass(Display* display, Window window, const char* className) {
  XClassHint hint = {nullptr, nullptr};
  if (XGetClassHint(display, window, &hint) == 0) return false;
  const bool match =
      hint.res_class != nullptr && SameIgnoringCase(hint.res_class, className);
  if (hint.res_name != nullptr) XFree(hint.res_name);
  if (hint.res_class != nullptr) XFree(hint.res_class);
  return match;
}

bool Search(Display* display, Window parent, const char* className, int depth) {
  Window root, up, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, parent, &root, &up, &children, &count) == 0)
    return false;
  bool found = false;
  for (unsigned i = 0; i < count && !found; ++i) {
    found = HasClass(display, children[i], className) ||
            (depth > 1 && Search(display, children[i], className, depth - 1));
  }
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace

bool WindowOfClassExists(const char* className) {
  if (className == nullptr || className[0] == '\0') return false;
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') return false;
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return false;
  XErrorHandler previous = XSetErrorHandler(IgnoreErrors);
  const bool found = Search(display, DefaultRootWindow(display), className, 2);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return found;
}

#else

bool WindowOfClassExists(const char*) { return false; }

#endif

}  // namespace posix
