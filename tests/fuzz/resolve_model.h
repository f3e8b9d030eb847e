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

}  // namespace model
