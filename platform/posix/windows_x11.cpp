// The already-running check on X11: is there a top-level window whose
// WM_CLASS class matches, without regard to ASCII case? Uses XOpenDisplay,
// XQueryTree and XGetClassHint of libX11, loaded when a check needs it
// (x11_library.h), on the run's one connection once the display has
// answered a bounded probe. Top-level
// means a child of the root window, or a child of such a child (a window
// manager's frame holds the client one level down). Built without the X11
// headers, without libX11 at run time, or without a display that answers,
// no window exists.
#include "platform/posix/windows_x11.h"

#include "platform/posix/x11_box.h"
#include "portable/ascii.h"

#ifdef PELLOMAR_HAVE_X11
#include "platform/posix/display.h"
#include "platform/posix/x11_library.h"
#endif

namespace posix {

#ifdef PELLOMAR_HAVE_X11

namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

bool HasClass(const X11Library& x, Display* display, Window window,
              const char* className) {
  XClassHint hint = {nullptr, nullptr};
  if (x.XGetClassHint(display, window, &hint) == 0) return false;
  const bool match = hint.res_class != nullptr &&
                     ascii::SameIgnoringCase(hint.res_class, className);
  if (hint.res_name != nullptr) x.XFree(hint.res_name);
  if (hint.res_class != nullptr) x.XFree(hint.res_class);
  return match;
}

bool Search(const X11Library& x, Display* display, Window parent,
            const char* className, int depth) {
  Window root, up, *children = nullptr;
  unsigned count = 0;
  if (x.XQueryTree(display, parent, &root, &up, &children, &count) == 0)
    return false;
  bool found = false;
  for (unsigned i = 0; i < count && !found; ++i) {
    found =
        HasClass(x, display, children[i], className) ||
        (depth > 1 && Search(x, display, children[i], className, depth - 1));
  }
  if (children != nullptr) x.XFree(children);
  return found;
}

}  // namespace

bool WindowOfClassExists(const char* className) {
  if (className == nullptr || className[0] == '\0') return false;
  if (!X11DisplayAnswers()) return false;
  const X11Library* x = LoadX11();
  if (x == nullptr) return false;
  Display* display = SharedDisplay(*x);
  if (display == nullptr) return false;
  const XErrorHandler previous = x->XSetErrorHandler(IgnoreErrors);
  const bool found =
      Search(*x, display, x->XDefaultRootWindow(display), className, 2);
  x->XSync(display, False);  // errors still due go to IgnoreErrors
  x->XSetErrorHandler(previous);
  return found;
}

#else

bool WindowOfClassExists(const char*) { return false; }
// The built-in box's stand-in: x11_box.cpp is built only with X11.
int X11MessageBox(const char*, const char*, unsigned) { return -1; }

#endif

}  // namespace posix
