// Start-up of the Linux launcher. Arguments have no effect.
//  - A closed standard output must not end the run in the middle of a
//    decision, so SIGPIPE is ignored (a box that cannot be written then
//    answers No).
//  - Standard input is read unbuffered, so that a console answer takes just
//    its own line and leaves the rest to whoever reads next.
//  - The medium's folder that autorun.sh may name is the launcher's alone:
//    its own path is fixed first, and the programs it starts never see it.
#include <signal.h>
#include <stdlib.h>

#include <cstdio>

#include "launcher/launcher.h"
#include "platform/posix/files.h"

int main(int, char**) {
  signal(SIGPIPE, SIG_IGN);
  std::setvbuf(stdin, nullptr, _IONBF, 0);
  posix::FileSystem().OwnPath();
  unsetenv(posix::kMediumVariable);
  return LauncherMain(nullptr, nullptr, "", 1);
}
