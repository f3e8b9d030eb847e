// The checker on a POSIX system: the Linux layer's own file facts
// (platform/posix/files.cpp), realpath, and arguments and output as bytes.
#include <climits>
#include <cstdlib>

#include "checker/host.h"
#include "platform/posix/posix_support.h"

namespace check {

emulation::System& HostSystem() { return posix::FileSystem(); }

std::string FullPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void Write(std::FILE* stream, const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace check
