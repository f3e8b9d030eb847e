// Start results for the POSIX layer's errno values. Which program a command
// line starts, and how, is the emulation's (Windows::LinuxStart in
// portable/emulation/start_rules.cpp), the same that pellomar-check
// predicts with.
#include <errno.h>

#include "platform/posix/posix_support.h"
#include "platform/seam.h"

namespace posix {

unsigned ResultForError(int error) {
  switch (error) {
    case ENOENT:
      return platform::kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return platform::kPathNotFound;
    case EACCES:
    case EPERM:
    case ENOEXEC:
      return platform::kNotExecutable;
    default:
      return platform::kStartFailed;
  }
}

}  // namespace posix
