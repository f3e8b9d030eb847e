#include "portable/emulation/paths.h"

#include "portable/ascii.h"

namespace emulation {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Length of the root of a full Windows path (with '\' only): "C:" or
// "\\server\share"; 0 when it has none.
std::size_t RootLength(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return 2;
  if (path.compare(0, 2, "\\\\") != 0) return 0;
  std::size_t at = path.find('\\', 2);
  if (at != std::string::npos) at = path.find('\\', at + 1);
  return at == std::string::npos ? path.size() : at;
}

}  // namespace

std::string FullWindowsPath(const std::string& path,
                            const std::string& current) {
  std::string name = path;
  for (char& c : name) {
    if (c == '/') c = '\\';
  }
  if (name.compare(0, 4, "\\\\?\\") == 0 || name.compare(0, 4, "\\\\.\\") == 0)
    return path;
  std::string full;
  const std::size_t currentRoot = RootLength(current);
  const bool drive = name.size() >= 2 && name[1] == ':';
  if (name.compare(0, 2, "\\\\") == 0 ||
      (drive && name.size() > 2 && name[2] == '\\')) {
    full = name;
  } else if (drive) {
    const bool currentDrive =
        currentRoot == 2 &&
        ascii::Lower(static_cast<unsigned char>(current[0])) ==
            ascii::Lower(static_cast<unsigned char>(name[0]));
    full = currentDrive ? current + "\\" + name.substr(2)
                        : name.substr(0, 2) + "\\" + name.substr(2);
  } else if (currentRoot == 0) {
    return path;
  } else if (!name.empty() && name[0] == '\\') {
    full = current.substr(0, currentRoot) + name;
  } else {
    full = current + "\\" + name;
  }

  const std::size_t root = RootLength(full);
  std::vector<std::string> parts;
  const bool endsInSeparator = full.size() > root && full.back() == '\\';
  for (std::size_t from = root; from < full.size();) {
    std::size_t to = full.find('\\', from);
    if (to == std::string::npos) to = full.size();
    std::string part = full.substr(from, to - from);
    from = to + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    if (part.size() >= 2 && part.back() == '.' && part[part.size() - 2] != '.')
      part.pop_back();
    parts.push_back(part);
  }
  if (!endsInSeparator && !parts.empty()) {
    std::string& last = parts.back();
    while (!last.empty() && (last.back() == '.' || last.back() == ' '))
      last.pop_back();
  }
  std::string out = full.substr(0, root);
  for (const std::string& part : parts) out += "\\" + part;
  if (parts.empty() || endsInSeparator) out += "\\";
  return out;
}

std::string ToWindowsPath(const std::string& native) {
  std::string out = "Z:";
  for (char c : native) out += c == '/' ? '\\' : c;
  return out;
}

std::string ToNativePath(const std::string& path) {
  std::string rest = path;
  if (rest.size() >= 2 && rest[1] == ':') {
    if (ascii::Lower(static_cast<unsigned char>(rest[0])) != 'z') return "";
    rest = rest.substr(2);
    if (rest.empty() || !IsSeparator(rest[0])) rest = "/" + rest;
  } else if (rest.size() >= 2 && rest[0] == '\\' && rest[1] == '\\') {
    return "";  // \\server\share
  }
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  return rest;
}

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return ".";
  const bool root = cut == 0 || path[cut - 1] == ':';
  return path.substr(0, root ? cut + 1 : cut);
}

std::string NameOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WithProgramExtension(const std::string& path) {
  return NameOf(path).find('.') == std::string::npos ? path + ".exe" : path;
}

std::string Join(const std::string& folder, const std::string& name,
                 char separator) {
  if (folder.empty() || IsSeparator(folder.back())) return folder + name;
  return folder + separator + name;
}

bool IsBareName(const std::string& name) {
  return name.find_first_of("\\/:") == std::string::npos;
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

}  // namespace emulation
