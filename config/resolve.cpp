// Resolution of a file name against the launcher's own folder.
//
//  - A name whose second character is ':' or '\' is complete (D:\x, D:x,
//    \\server\share\x, and also .\x or a\x, which stay relative to the current
//    folder) and is copied unchanged.
//  - A name starting with one '\' is taken from the root of the launcher's
//    drive (C:\x), or of its share (\\SRV\SHARE\x) when the launcher was
//    started from a UNC path.
//  - Any other name is relative to the launcher's folder; each leading ".."
//    (with or without the backslash after it) climbs one folder. At the root
//    a ".." is absorbed once; further ones stay in the name.
//
// Nothing is ever cut: a result that would not fit, or a launcher path that is
// not known (or did not fit), leaves the empty string, so no program is ever
// started from a shortened path and no own file is read from the wrong place.
#include "config/readers.h"
#include "config/text.h"

bool IsCompleteName(const char* name) {
  return name[0] != '\0' && (name[1] == ':' || name[1] == '\\');
}

namespace {

// Length of the root that a root-relative name keeps from the launcher's
// path: "C:" for a drive path, "\\SRV\SHARE" for a UNC path; 0 when the path
// has no such root.
unsigned RootLength(const char* path, unsigned length) {
  if (length < 2) return 0;
  if (path[0] != '\\' || path[1] != '\\') return 2;
  unsigned separators = 0;
  for (unsigned i = 0; i < length; ++i) {
    if (path[i] == '\\' && ++separators == 4) return i;
  }
  return 0;
}

bool StartsWithParent(const char* name) {
  return name[0] == '.' && name[1] == '.';
}

}  // namespace

void ResolveBesideLauncher(char* buffer, unsigned size, const char* name) {
  if (size == 0) return;
  if (IsCompleteName(name)) {
    text::Copy(buffer, size, name);
    return;
  }

  const unsigned length =
      platform::GetModuleFileNameA(launcherInstance, buffer, size);
  if (length == 0 || length >= size) {
    buffer[0] = '\0';
    return;
  }
  buffer[length] = '\0';

  if (name[0] == '\\') {
    const unsigned root = RootLength(buffer, length);
    if (root == 0) {
      buffer[0] = '\0';
      return;
    }
    buffer[root] = '\0';
    text::Append(buffer, size, name);
    return;
  }

  bool foundFolder = false;
  for (unsigned i = length + 1; i-- > 0;) {
    if (buffer[i] != '\\') continue;
    foundFolder = true;
    buffer[i + 1] = '\0';
    if (!StartsWithParent(name)) break;
    name += 2;
    if (name[0] == '\\') ++name;
  }
  if (!foundFolder) {
    buffer[0] = '\0';
    return;
  }
  text::Append(buffer, size, name);
}
