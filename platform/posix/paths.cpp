// Path mapping, the launcher's own path, the Windows directory and profile
// file lookup for the POSIX layer. Uses readlink of /proc/self/exe (sysctl on
// FreeBSD, _NSGetExecutablePath on macOS), getenv, getpwuid, stat, opendir
// and readdir; keeps nothing open. A native path holding a backslash cannot be
// told apart from a folder separator and is not supported.
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#if defined(__APPLE__)
#include <mach-o/dyld.h>
#elif defined(__FreeBSD__)
#include <sys/sysctl.h>
#include <sys/types.h>
#endif

#include "platform/posix/posix_support.h"
#include "platform/seam.h"

namespace posix {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

}  // namespace

std::string ToWindowsPath(const std::string& native) {
  std::string out = "Z:";
  for (char c : native) out += c == '/' ? '\\' : c;
  return out;
}

std::string ToNativePath(const std::string& path) {
  std::string rest = path;
  if (rest.size() >= 2 && rest[1] == ':') {
    if (LowerAscii(rest[0]) != 'z') return "";
    rest = rest.substr(2);
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) rest = "/" + rest;
  } else if (rest.size() >= 2 && rest[0] == '\\' && rest[1] == '\\') {
    return "";  // \\server\share
  }
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  return rest;
}

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

std::string WindowsDirectory() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] == '\0') return "";
  return std::string(home) + "/.config";
}

std::string ProfilePath(const std::string& path) {
  if (path.find_first_of("\\/:") != std::string::npos)
    return ToNativePath(path);
  const std::string windows = WindowsDirectory();
  return windows.empty() ? "" : windows + "/" + path;
}

std::string SameNameIgnoringCase(const std::string& native) {
  const std::size_t cut = native.rfind('/');
  const std::string folder =
      cut == std::string::npos ? "." : native.substr(0, cut == 0 ? 1 : cut);
  const std::string name =
      cut == std::string::npos ? native : native.substr(cut + 1);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return "";
  std::string found;
  while (const dirent* entry = readdir(dir)) {
    if (SameIgnoringCase(entry->d_name, name)) {
      found = (folder == "/" ? "" : folder) + "/" + entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const std::size_t n = line.size();
  auto blank = [&](std::size_t at) {
    return at < n && (line[at] == ' ' || line[at] == '\t');
  };
  while (blank(i)) ++i;
  if (i == n) return args;

  // The program name: no backslash rules, quotes only group.
  std::string program;
  if (line[i] == '"') {
    ++i;
    while (i < n && line[i] != '"') program += line[i++];
    if (i < n) ++i;
  } else {
    while (i < n && !blank(i)) program += line[i++];
  }
  args.push_back(program);

  for (;;) {
    while (blank(i)) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !blank(i))) {
      if (line[i] == '\\') {
        std::size_t slashes = 0;
        while (i < n && line[i] == '\\') ++slashes, ++i;
        if (i < n && line[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

unsigned FileAttributes(const std::string& path) {
  std::string native = ToNativePath(path);
  if (native.empty()) return platform::kInvalidFileAttributes;
  struct stat st;
  if (stat(native.c_str(), &st) != 0) {
    native = SameNameIgnoringCase(native);
    if (native.empty() || stat(native.c_str(), &st) != 0)
      return platform::kInvalidFileAttributes;
  }
  return S_ISDIR(st.st_mode) ? platform::kAttributeDirectory
                             : platform::kAttributeNormal;
}

}  // namespace posix
