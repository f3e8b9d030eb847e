// Starting programs for the POSIX layer, as WinExec does on Windows. Uses
// pipe2, fork, setsid, sigaction, sigprocmask, close_range (else fcntl on
// each descriptor), chdir, execve, write, read and waitpid. What runs is
// exactly the argument list of the emulation's Linux rules
// (Windows::LinuxStart): no shell is involved unless that list begins with
// one. Left out: a show state (there is no window to show), priorities and
// resource limits, which the program inherits.
#include "platform/posix/start.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/posix/files.h"
#include "platform/seam.h"

extern char** environ;

namespace posix {

namespace {

// The start result for an errno of stat, chdir or execve.
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

// Marks every descriptor above 2 to close when the program is executed: the
// launcher's own, and any its caller left open. The report pipe stays usable
// until then.
void CloseOnExecAboveStandard() {
#if defined(CLOSE_RANGE_CLOEXEC)
  if (close_range(3, ~0u, CLOSE_RANGE_CLOEXEC) == 0) return;
#endif
  long last = sysconf(_SC_OPEN_MAX);
  if (last < 0 || last > INT_MAX) last = INT_MAX;
  for (int fd = 3; fd < last; ++fd) {
    const int flags = fcntl(fd, F_GETFD);
    if (flags >= 0) fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
  }
}

// Everything a signal handler or mask of the launcher or its caller could
// leave behind: the program starts with the defaults.
void DefaultSignals() {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int number = 1; number < NSIG; ++number)
    sigaction(number, &action, nullptr);  // fails harmlessly for KILL, STOP
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

// In the started process: prepares it and executes the program; on failure
// reports errno through `report` and ends.
[[noreturn]] void Execute(const std::string& folder, char* const* argv,
                          int report) {
  DefaultSignals();
  CloseOnExecAboveStandard();
  if (folder.empty() || chdir(folder.c_str()) == 0)
    execve(argv[0], argv, environ);
  const int error = errno;
  (void)!write(report, &error, sizeof error);
  _exit(127);
}

}  // namespace

unsigned StartProgram(const std::string& commandLine) {
  emulation::Start start = Emulation().LinuxStart(commandLine);
  if (!platform::Started(start.result)) return start.result;

  // Everything the child needs is prepared before it exists.
  std::vector<char*> argv;
  for (std::string& a : start.argv) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  // The grandchild reports a failed exec through this pipe; a successful
  // exec closes it unwritten.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return platform::kStartFailed;
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return platform::kStartFailed;
  }
  if (child == 0) {
    // A session of its own, in a grandchild that init adopts: the program
    // outlives the launcher and never becomes our zombie.
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0) Execute(start.folder, argv.data(), report[1]);
    if (grandchild < 0) {
      const int error = errno;
      (void)!write(report[1], &error, sizeof error);
    }
    _exit(0);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  if (got == static_cast<ssize_t>(sizeof error)) return ResultForError(error);
  return platform::kStarted;
}

}  // namespace posix
