// Finding the program file that a command line names, once, and how to run
// it, for the POSIX layer: the rules are the emulation's
// (Windows::LinuxProgram in platform/emulation/start_rules.cpp), the same
// that pellomar-check predicts with; errno values become start results here.
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

ProgramFile FindProgram(const std::string& name) {
  const emulation::Start start = Emulation().LinuxProgram(name);
  ProgramFile program;
  program.result = start.result;
  if (platform::Started(start.result)) {
    program.path = start.program;
    program.folder = start.folder;
    program.withShell = start.withShell;
  }
  return program;
}

}  // namespace posix
