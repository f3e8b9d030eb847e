// This system's files as the imitation of Windows (portable/emulation/) asks
// for them, and that imitation over them for the whole run. Every Windows
// rule (drive Z:, names found without regard to letter case, where profile
// files live, which program a command line starts) is the emulation's; this
// unit answers only plain facts: entries, folder listings, the bytes of
// regular files, environment variables, the home folder, the current folder,
// the user's language and the launcher's own path. Nothing is ever written.
#pragma once

#include "portable/emulation/system.h"
#include "portable/emulation/windows.h"

namespace posix {

// The environment variable by which autorun.sh names the medium's folder
// when it runs a copy of the launcher from elsewhere.
constexpr char kMediumVariable[] = "PELLOMAR_MEDIUM";

// This system, one object for the whole run; the launcher's own path is
// worked out on the first question and kept.
emulation::System& FileSystem();

// The Windows that the Linux launcher imitates (Linux start rules) over
// FileSystem(), one object for the whole run.
emulation::Windows& Emulation();

}  // namespace posix
