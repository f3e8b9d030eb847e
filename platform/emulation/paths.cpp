#include "platform/emulation/paths.h"

#include "platform/ascii.h"

namespace emulation {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

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
