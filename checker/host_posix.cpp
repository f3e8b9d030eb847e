// The checker on a POSIX system: the Linux layer's own file facts
// (platform/posix/files.cpp), and realpath.
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

}  // namespace check
