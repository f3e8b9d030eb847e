// Loads libX11 with dlopen and dlsym, once per run.
#include "platform/posix/x11_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include "platform/posix/display.h"
#include "platform/posix/library_symbol.h"

namespace posix {

namespace {

// An X server whose queue of connections to accept is full refuses a new one
// at once (EAGAIN) or resets it; seen on a busy Xvfb. Once the display has
// answered the probe, opening it is tried again for about as long as the
// probe may wait.
constexpr int kOpenAttempts = 40;
constexpr useconds_t kOpenRetryMicroseconds = 50000;

}  // namespace

const X11Library* LoadX11() {
  static X11Library x;
  static enum { kNotTried, kLoaded, kMissing } state = kNotTried;
  if (state == kNotTried) {
    state = kMissing;
    if (void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL)) {
      bool all = true;
#define PELLOMAR_X11_RESOLVE(name) \
  all = ResolveSymbol(library, #name, &x.name) && all;
      PELLOMAR_X11_FUNCTIONS(PELLOMAR_X11_RESOLVE)
#undef PELLOMAR_X11_RESOLVE
      ResolveSymbol(library, "XSetIOErrorExitHandler",
                    &x.XSetIOErrorExitHandler);
      if (all) {
        state = kLoaded;
      } else {
        dlclose(library);
      }
    }
  }
  return state == kLoaded ? &x : nullptr;
}

Display* SharedDisplay(const X11Library& x) {
  static Display* display = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    for (int attempt = 0; attempt < kOpenAttempts && X11DisplayAnswers();
         ++attempt) {
      display = x.XOpenDisplay(nullptr);
      if (display != nullptr) break;
      usleep(kOpenRetryMicroseconds);
    }
  }
  return display;
}

}  // namespace posix
