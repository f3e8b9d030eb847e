// Finding the program file that a command line names, once, and how to run
// it, for the POSIX layer. Uses getenv (PATH), getcwd, stat, access, open,
// read and close, and opendir/readdir for a name of another letter case.
// Left out: Windows' search of the launcher's folder and of the system
// folders for a bare name (PATH is searched instead, never the current folder
// through an empty entry), adding ".exe", and file associations: a file runs
// only when the system can execute it, or with /bin/sh when it is named .sh.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_support.h"
#include "platform/seam.h"

namespace posix {

namespace {

// PATH as execvp takes it when the variable is not set.
const char kDefaultPath[] = "/bin:/usr/bin";

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The first executable file called `name` in a folder of PATH; "" when none.
std::string SearchPath(const std::string& name) {
  const char* variable = std::getenv("PATH");
  const std::string folders = variable != nullptr ? variable : kDefaultPath;
  for (std::size_t from = 0; from <= folders.size();) {
    std::size_t colon = folders.find(':', from);
    if (colon == std::string::npos) colon = folders.size();
    const std::string folder = folders.substr(from, colon - from);
    from = colon + 1;
    if (folder.empty()) continue;
    const std::string candidate = folder + "/" + name;
    if (IsRegularFile(candidate) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return "";
}

std::string CurrentFolder() {
  std::string folder(256, '\0');
  while (getcwd(&folder[0], folder.size()) == nullptr) {
    if (errno != ERANGE) return "";
    folder.resize(folder.size() * 2);
  }
  folder.resize(folder.find('\0'));
  return folder;
}

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.rfind('/');
  if (cut == std::string::npos) return ".";
  return path.substr(0, cut == 0 ? 1 : cut);
}

bool NamedSh(const std::string& path) {
  const std::size_t n = path.size();
  return n > 3 && path[n - 3] == '.' && (path[n - 2] | 0x20) == 's' &&
         (path[n - 1] | 0x20) == 'h';
}

bool StartsWithInterpreterLine(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  char start[2] = {};
  const ssize_t n = read(fd, start, sizeof start);
  close(fd);
  return n == 2 && start[0] == '#' && start[1] == '!';
}

// Why a file that is not there cannot be started: its folder is missing too,
// or only the file is (Windows tells the two apart).
unsigned MissingResult(const std::string& native) {
  struct stat folder;
  return stat(FolderOf(native).c_str(), &folder) == 0 && S_ISDIR(folder.st_mode)
             ? platform::kFileNotFound
             : platform::kPathNotFound;
}

}  // namespace

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
  ProgramFile program;
  const bool bare = name.find_first_of("\\/:") == std::string::npos;
  std::string native;
  if (bare) {
    // A bare name: one search of PATH, then that file and no other. It keeps
    // the current folder, as on Windows.
    native = SearchPath(name);
    if (native.empty()) {
      program.result = platform::kFileNotFound;
      return program;
    }
  } else {
    native = ToNativePath(name);
    // Absolute, since the program starts in its own folder.
    if (!native.empty() && native[0] != '/') {
      const std::string current = CurrentFolder();
      native = current.empty() ? "" : current + "/" + native;
    }
    if (native.empty()) {
      program.result = platform::kPathNotFound;
      return program;
    }
  }
  struct stat st;
  if (stat(native.c_str(), &st) != 0) {
    const int error = errno;
    const std::string other =
        error == ENOENT ? SameNameIgnoringCase(native) : "";
    if (other.empty() || stat(other.c_str(), &st) != 0) {
      program.result =
          error == ENOENT ? MissingResult(native) : ResultForError(error);
      return program;
    }
    native = other;
  }
  program.path = native;
  if (!bare) program.folder = FolderOf(native);
  if (S_ISDIR(st.st_mode)) {
    program.result = platform::kStartFailed;
  } else if (!S_ISREG(st.st_mode)) {
    program.result = platform::kNotExecutable;
  } else if (access(native.c_str(), X_OK) == 0) {
    // A .sh without "#!" would make execve fail; any other file in no format
    // the system knows is not started at all.
    program.result = platform::kStarted;
    program.withShell = NamedSh(native) && !StartsWithInterpreterLine(native);
  } else if (NamedSh(native) && access(native.c_str(), R_OK) == 0) {
    // Media are often mounted without execute bits.
    program.result = platform::kStarted;
    program.withShell = true;
  } else {
    program.result = platform::kNotExecutable;
  }
  return program;
}

}  // namespace posix
