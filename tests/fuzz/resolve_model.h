// An independent model of how a name is resolved beside the launcher,
// written plainly with std::string for the fuzz targets to compare against:
// the same rules as the core, none of its buffer handling.
#pragma once

#include <string>

namespace model {

// The launcher's path as the seam reports it with a buffer of `size`: empty
// when unknown or too long.
inline std::string KnownLauncherPath(const std::string& path, unsigned size) {
  const std::string upToNul = path.substr(0, path.find('\0'));
  if (upToNul.empty() || upToNul.size() >= size) return "";
  return upToNul;
}

inline std::string Resolve(const std::string& launcher, std::string name,
                           unsigned size) {
  std::string result;
  if (!name.empty() && name.size() >= 2 &&
      (name[1] == ':' || name[1] == '\\')) {
    result = name;
  } else {
    const std::string path = KnownLauncherPath(launcher, size);
    if (path.empty()) return "";
    if (!name.empty() && name[0] == '\\') {
      if (path.size() < 2) return "";
      std::string root;
      if (path[0] == '\\' && path[1] == '\\') {
        std::size_t separators = 0, i = 0;
        for (; i < path.size(); ++i)
          if (path[i] == '\\' && ++separators == 4) break;
        if (separators < 4) return "";
        root = path.substr(0, i);
      } else {
        root = path.substr(0, 2);
      }
      result = root + name;
    } else {
      const std::size_t last = path.rfind('\\');
      if (last == std::string::npos) return "";
      std::string folder = path.substr(0, last + 1);
      // Each leading ".." climbs one folder while there is one to climb.
      while (name.compare(0, 2, "..") == 0) {
        const std::size_t up = folder.size() >= 2
                                   ? folder.rfind('\\', folder.size() - 2)
                                   : std::string::npos;
        name.erase(0, 2);
        if (!name.empty() && name[0] == '\\') name.erase(0, 1);
        if (up == std::string::npos) break;
        folder.erase(up + 1);
      }
      result = folder + name;
    }
  }
  return result.size() <= size - 1 ? result : "";
}

inline bool HasBlank(const std::string& text) {
  return text.find_first_of(" \t") != std::string::npos;
}

// The command line that starts the setup named `name`, or "" when it would
// not fit in size - 1 characters. `isFile` tells whether a resolved path is
// an existing file. The program part is the leading quoted part; else the
// longest of the whole name and its parts before a blank that names a file
// (as written, then with ".exe"); else the whole name. Its resolved path is
// quoted when it has a blank, and then names the file found.
template <typename IsFile>
std::string SetupCommand(const std::string& launcher, const std::string& name,
                         IsFile isFile, unsigned size) {
  const bool quoted = !name.empty() && name[0] == '"';
  const std::string inner = quoted ? name.substr(1) : name;
  if (inner.size() >= 2 && (inner[1] == ':' || inner[1] == '\\'))
    return name.size() <= size - 1 ? name : "";
  std::string program = inner, arguments, file;
  if (quoted) {
    const std::size_t close = inner.find('"');
    program = inner.substr(0, close);
    if (close != std::string::npos) arguments = inner.substr(close + 1);
  } else {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    for (std::size_t end = inner.size(); end > 0 && file.empty(); --end) {
      if (end < inner.size() && !(blank(inner[end]) && !blank(inner[end - 1])))
        continue;
      for (const char* extension : {"", ".exe"}) {
        const std::string candidate = inner.substr(0, end) + extension;
        const std::string path =
            candidate.size() < 256 ? Resolve(launcher, candidate, size) : "";
        if (path.empty() || !isFile(path)) continue;
        program = inner.substr(0, end);
        arguments = inner.substr(end);
        file = path;
        break;
      }
    }
  }
  if (!HasBlank(file)) file = Resolve(launcher, program, size);
  if (file.empty()) return "";
  const std::string line =
      HasBlank(file) ? "\"" + file + "\"" + arguments : file + arguments;
  return line.size() <= size - 1 ? line : "";
}

}  // namespace model
