// What a Linux desktop starts from a medium: which of .autorun, autorun and
// autorun.sh it finds, and whether the launcher and its setup can start on a
// file system with execute bits (Rock Ridge discs, Linux file systems) and
// without (FAT sticks, Joliet and plain ISO 9660 discs). Left out: mount
// options, which only the user's machine knows (autorun.sh handles noexec).
#pragma once

#include <string>

#include "checker/lint.h"
#include "portable/emulation/windows.h"

namespace check {

// Prints the medium's part of the report when `print`, then hands its
// warnings to `warn`. `windows` imitates the Linux launcher over the checked
// folder (native), with the recording platform attached.
void CheckLinuxMedium(const emulation::Windows& windows,
                      const std::string& folder, bool print,
                      const WarningSink& warn);

}  // namespace check
