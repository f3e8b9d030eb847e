// Start-up of the Linux launcher. Arguments have no effect.
//  - A closed standard output must not end the run in the middle of a
//    decision, so SIGPIPE is ignored (a box that cannot be written then
//    answers No).
//  - Standard input is read unbuffered, so that a console answer takes just
//    its own line and leaves the rest to whoever reads next.
#include <signal.h>

#include <cstdio>

#include "launcher/launcher.h"

int main(int, char**) {
  signal(SIGPIPE, SIG_IGN);
  std::setvbuf(stdin, nullptr, _IONBF, 0);
  return LauncherMain(nullptr, nullptr, "", 1);
}
