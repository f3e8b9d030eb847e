// Owns an X11 top-level window whose WM_CLASS class is named on the command
// line, so that the Linux launcher sees its application as running. Prints
// "ready" once the window exists, then runs until it is ended or for a
// minute at the most.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display),
                                            0, 0, 100, 100, 0, 0, 0);
  XClassHint hint;
  hint.res_name = argv[1];
  hint.res_class = argv[1];
  XSetClassHint(display, window, &hint);
  XMapWindow(display, window);
  XSync(display, False);
  std::printf("ready\n");
  std::fflush(stdout);
  sleep(60);
  XCloseDisplay(display);
  return 0;
}
