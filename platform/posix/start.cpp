// Starting programs for the POSIX layer, as WinExec does on Windows. Uses
// stat, access, pipe2, fork, setsid, execvp and waitpid; no shell is ever
// involved. Left out: Windows' search of the launcher's folder for a bare
// program name (PATH is searched instead) and its guessing of program names
// with unquoted blanks.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/posix_support.h"

namespace posix {

namespace {

constexpr unsigned kStarted = 33;
constexpr unsigned kFileNotFound = 2;
constexpr unsigned kPathNotFound = 3;
constexpr unsigned kNotExecutable = 11;

unsigned ResultForError(int error) {
  switch (error) {
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case ENOEXEC:
      return kNotExecutable;
    default:
      return 0;
  }
}

bool EndsWithSh(const std::string& path) {
  return path.size() > 3 && path.compare(path.size() - 3, 3, ".sh") == 0;
}

// Checks the program file before anything is started, so that the result
// tells a missing file from a missing folder as Windows does.
unsigned CheckProgram(const std::string& native, bool* useShell) {
  *useShell = false;
  struct stat st;
  if (stat(native.c_str(), &st) != 0) {
    if (errno != ENOENT) return ResultForError(errno);
    const std::size_t cut = native.rfind('/');
    const std::string folder =
        cut == std::string::npos ? "." : native.substr(0, cut == 0 ? 1 : cut);
    struct stat dir;
    return stat(folder.c_str(), &dir) == 0 && S_ISDIR(dir.st_mode)
               ? kFileNotFound
               : kPathNotFound;
  }
  if (S_ISDIR(st.st_mode)) return 0;
  if (!S_ISREG(st.st_mode)) return kNotExecutable;
  if (access(native.c_str(), X_OK) != 0) {
    // Media are often mounted without execute permission.
    if (!EndsWithSh(native) || access(native.c_str(), R_OK) != 0)
      return kNotExecutable;
    *useShell = true;
  }
  return kStarted;
}

}  // namespace

unsigned StartProgram(const std::string& commandLine) {
  std::vector<std::string> args = SplitCommandLine(commandLine);
  if (args.empty() || args[0].empty()) return kFileNotFound;

  const bool bare = args[0].find_first_of("\\/:") == std::string::npos;
  if (!bare) {
    args[0] = ToNativePath(args[0]);
    if (args[0].empty()) return kPathNotFound;
    bool useShell = false;
    const unsigned checked = CheckProgram(args[0], &useShell);
    if (checked != kStarted) return checked;
    if (useShell) args.insert(args.begin(), "/bin/sh");
  }

  // Everything the child needs is prepared before it exists.
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  // The grandchild reports a failed exec through this pipe; a successful
  // exec closes it unwritten.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return 0;
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return 0;
  }
  if (child == 0) {
    // A session of its own, in a grandchild that init adopts: the program
    // outlives the launcher and never becomes our zombie.
    setsid();
    const pid_t grandchild = fork();
    if (grandchild != 0) {
      if (grandchild < 0) {
        const int error = errno;
        (void)!write(report[1], &error, sizeof error);
      }
      _exit(0);
    }
    signal(SIGPIPE, SIG_DFL);
    execvp(argv[0], argv.data());
    const int error = errno;
    (void)!write(report[1], &error, sizeof error);
    _exit(127);
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
  return kStarted;
}

}  // namespace posix
