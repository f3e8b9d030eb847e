// Facts about a POSIX system for the Windows emulation: entries (stat,
// access), folder listings (opendir, readdir), the bytes of regular files
// (open without blocking, fstat, read, close: nothing stays open past a
// read), environment variables, the password entry's home (getpwuid), the
// current folder (getcwd) and the launcher's own path (the medium that
// autorun.sh names, else the file its code is mapped from in
// /proc/self/maps, else /proc/self/exe; sysctl on FreeBSD,
// _NSGetExecutablePath on macOS). Every Windows rule is the emulation's.
// Nothing is ever written. A native path holding a backslash cannot be told
// apart from a folder separator and is not supported.
#include "platform/posix/files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__APPLE__)
#include <mach-o/dyld.h>
#elif defined(__FreeBSD__)
#include <sys/sysctl.h>
#include <sys/types.h>
#endif

#include "config/keys.h"
#include "platform/posix/locale.h"
#include "portable/emulation/paths.h"

namespace posix {

namespace {

#if !defined(__APPLE__) && !defined(__FreeBSD__)
// The file that the launcher's own code is mapped from. Unlike
// /proc/self/exe, it is the launcher and not the dynamic loader when the
// loader was asked to run it (as autorun.sh does where a medium has no
// execute bits). Empty when /proc/self/maps cannot tell.
std::string MappedExecutablePath() {
  std::FILE* maps = std::fopen("/proc/self/maps", "re");
  if (maps == nullptr) return "";
  const auto code = reinterpret_cast<std::uintptr_t>(&MappedExecutablePath);
  std::string path;
  char* line = nullptr;
  std::size_t capacity = 0;
  ssize_t length;
  while (path.empty() && (length = ::getline(&line, &capacity, maps)) > 0) {
    // start-end perms offset device inode   path
    unsigned long start = 0, end = 0;
    int pathAt = 0;
    if (std::sscanf(line, "%lx-%lx %*s %*s %*s %*s %n", &start, &end, &pathAt) <
            2 ||
        code < start || code >= end || pathAt <= 0 || line[pathAt] != '/')
      continue;
    path.assign(line + pathAt, static_cast<std::size_t>(length - pathAt));
    if (!path.empty() && path.back() == '\n') path.pop_back();
  }
  std::free(line);
  std::fclose(maps);
  return path;
}
#endif

// Full native path of the running executable (not of the dynamic loader
// that may run it); empty when unknown.
std::string OwnExecutablePath() {
#if defined(__APPLE__)
  char raw[PATH_MAX];
  uint32_t size = sizeof raw;
  if (_NSGetExecutablePath(raw, &size) != 0) return "";
  char resolved[PATH_MAX];
  return realpath(raw, resolved) != nullptr ? resolved : "";
#elif defined(__FreeBSD__)
  int query[4] = {CTL_KERN, KERN_PROC, KERN_PROC_PATHNAME, -1};
  char path[PATH_MAX];
  size_t size = sizeof path;
  if (sysctl(query, 4, path, &size, nullptr, 0) != 0) return "";
  return path;
#else
  const std::string mapped = MappedExecutablePath();
  if (!mapped.empty()) return mapped;
  std::string path(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", &path[0], path.size());
    if (n < 0) return "";
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      return path;
    }
    path.resize(path.size() * 2);
  }
#endif
}

// The launcher as it should see itself: in the medium's folder that
// autorun.sh names when it runs a copy from elsewhere (a medium mounted
// without the right to execute), provided that folder holds the settings
// file; else where it runs from.
std::string LauncherPath() {
  const std::string own = OwnExecutablePath();
  const char* medium = std::getenv(kMediumVariable);
  if (medium == nullptr || medium[0] == '\0' || own.empty()) return own;
  const emulation::Windows& windows = Emulation();
  const std::string folder = windows.Absolute(medium);
  if (windows.Locate(emulation::Join(folder, kSettingsFileName, '/')).empty())
    return own;
  return emulation::Join(folder, emulation::NameOf(own), '/');
}

class FileSource final : public ini::Source {
 public:
  // `size` is the file's size when it was opened: reading stops there, so
  // the end of a small file costs no extra read.
  FileSource(int fd, off_t size) : fd_(fd), size_(size), left_(size) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    if (left_ <= 0) return 0;
    if (static_cast<off_t>(capacity) > left_)
      capacity = static_cast<std::size_t>(left_);
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, capacity);
      if (n > 0) left_ -= n;
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) return 0;
    }
  }
  bool Rewind() override {
    if (::lseek(fd_, 0, SEEK_SET) != 0) return false;
    left_ = size_;
    return true;
  }

 private:
  int fd_;
  off_t size_;
  off_t left_;
};

class PosixSystem final : public emulation::System {
 public:
  bool WindowsPaths() const override { return false; }

  emulation::Entry Inspect(const std::string& native) override {
    emulation::Entry entry;
    struct stat st;
    if (native.empty() || ::stat(native.c_str(), &st) != 0) return entry;
    entry.kind = S_ISREG(st.st_mode)   ? emulation::Entry::kFile
                 : S_ISDIR(st.st_mode) ? emulation::Entry::kFolder
                                       : emulation::Entry::kOther;
    entry.readable = ::access(native.c_str(), R_OK) == 0;
    entry.executable = entry.kind == emulation::Entry::kFile &&
                       ::access(native.c_str(), X_OK) == 0;
    return entry;
  }

  void ForEachName(
      const std::string& folder,
      const std::function<bool(const std::string&)>& visit) override {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
      if (visit(entry->d_name)) break;
    }
    ::closedir(dir);
  }

  bool Read(const std::string& native,
            const std::function<void(ini::Source&)>& use) override {
    // O_NONBLOCK keeps a fifo from blocking the open.
    const int fd =
        ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st;
    const bool file = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (file) {
      FileSource source(fd, st.st_size);
      use(source);
    }
    ::close(fd);
    return file;
  }

  std::string Variable(const char* name) override {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
  }

  std::string PasswordHome() override {
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
  }

  std::string CurrentFolder() override {
    char path[PATH_MAX];
    return ::getcwd(path, sizeof path) != nullptr ? path : "";
  }

  std::string OwnPath() override {
    // The launcher's own path cannot change while it runs: it is worked out
    // once, into plain storage (nothing to destroy when the process ends).
    static char path[PATH_MAX];
    static bool known = false;
    if (!known) {
      known = true;
      const std::string own = LauncherPath();
      if (own.size() < sizeof path)
        std::memcpy(path, own.c_str(), own.size() + 1);
    }
    return path;
  }

  std::string UserLanguage() override { return LanguageFromLocale(); }
};

}  // namespace

emulation::System& FileSystem() {
  static PosixSystem system;
  return system;
}

emulation::Windows& Emulation() {
  static emulation::Windows windows(
      FileSystem(), emulation::Rules::kLinux,
      {kSettingsFileName, kMessageFileName, kLinuxSectionSuffix});
  return windows;
}

}  // namespace posix
