// The already-running check on X11: is there a top-level window whose
// WM_CLASS class matches, without regard to ASCII case? Uses XOpenDisplay,
// XQueryTree and XGetClassHint of libX11, loaded with dlopen when a check
// needs it. Top-level means a child of the root window, or a child of such a
// child (a window manager's frame holds the client one level down). Built
// without the X11 headers, without libX11 at run time, or without a display,
// no window exists.
#include <cstdlib>
#include <string>

#include "platform/posix/posix_support.h"

#ifdef PELLOMAR_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#endif

namespace posix {

#ifdef PELLOMAR_HAVE_X11

namespace {

// libX11 is loaded only for a check that needs it, so that runs without a
// display, or without a ClassName, do not pay for loading it.
struct X11 {
  decltype(&XOpenDisplay) openDisplay;
  decltype(&XCloseDisplay) closeDisplay;
  decltype(&XDefaultRootWindow) defaultRootWindow;
  decltype(&XQueryTree) queryTree;
  decltype(&XGetClassHint) getClassHint;
  decltype(&XFree) free;
  decltype(&XSetErrorHandler) setErrorHandler;
};

template <typename Function>
bool Resolve(void* library, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(dlsym(library, name));
  return *function != nullptr;
}

bool Load(void* library, X11* x) {
  return Resolve(library, "XOpenDisplay", &x->openDisplay) &&
         Resolve(library, "XCloseDisplay", &x->closeDisplay) &&
         Resolve(library, "XDefaultRootWindow", &x->defaultRootWindow) &&
         Resolve(library, "XQueryTree", &x->queryTree) &&
         Resolve(library, "XGetClassHint", &x->getClassHint) &&
         Resolve(library, "XFree", &x->free) &&
         Resolve(library, "XSetErrorHandler", &x->setErrorHandler);
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

bool SameIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a + 32) : *a;
    const char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b + 32) : *b;
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

bool HasClass(const X11& x, Display* display, Window window,
              const char* className) {
  XClassHint hint = {nullptr, nullptr};
  if (x.getClassHint(display, window, &hint) == 0) return false;
  const bool match =
      hint.res_class != nullptr && SameIgnoringCase(hint.res_class, className);
  if (hint.res_name != nullptr) x.free(hint.res_name);
  if (hint.res_class != nullptr) x.free(hint.res_class);
  return match;
}

bool Search(const X11& x, Display* display, Window parent,
            const char* className, int depth) {
  Window root, up, *children = nullptr;
  unsigned count = 0;
  if (x.queryTree(display, parent, &root, &up, &children, &count) == 0)
    return false;
  bool found = false;
  for (unsigned i = 0; i < count && !found; ++i) {
    found =
        HasClass(x, display, children[i], className) ||
        (depth > 1 && Search(x, display, children[i], className, depth - 1));
  }
  if (children != nullptr) x.free(children);
  return found;
}

}  // namespace

bool WindowOfClassExists(const char* className) {
  if (className == nullptr || className[0] == '\0') return false;
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') return false;
  void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
  if (library == nullptr) return false;
  X11 x;
  bool found = false;
  if (Load(library, &x)) {
    if (Display* display = x.openDisplay(name)) {
      const XErrorHandler previous = x.setErrorHandler(IgnoreErrors);
      found = Search(x, display, x.defaultRootWindow(display), className, 2);
      x.setErrorHandler(previous);
      x.closeDisplay(display);
    }
  }
  dlclose(library);
  return found;
}

#else

bool WindowOfClassExists(const char*) { return false; }

#endif

}  // namespace posix
