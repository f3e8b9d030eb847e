// The linter's check of autorun.inf, which tells Windows what to offer from a
// disc: its [autorun] section must open the Windows launcher beside it, and
// its icon must be there. Only Windows reads it; what a Linux desktop starts
// from a medium is medium.h's.
#pragma once

#include <string>

#include "checker/lint.h"
#include "portable/emulation/windows.h"

namespace check {

// Warns about autorun.inf in `folder` (native), when `windows` imitates
// Windows; `codePage` names the code page of 8-bit text.
void LintAutorun(const emulation::Windows& windows, const std::string& codePage,
                 const std::string& folder, const WarningSink& warn);

}  // namespace check
