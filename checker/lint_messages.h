// The linter's checks of the message file: one section per language with
// every question, known keys only, the conversions that take AppName, values
// that fit, and languages covered for some of their regions only. Left out:
// how the file's text is read (lint_encoding.h) and which language a user
// gets (the launcher's run tells that).
#pragma once

#include <string>
#include <vector>

#include "checker/lint.h"
#include "portable/emulation/windows.h"

namespace check {

// Warns about the message file of `folder` (native), `language`'s section
// among the rest (empty when every section is checked); `codePage` names the
// code page of 8-bit text. Returns the file's name as warnings give it.
std::string LintMessageFile(const emulation::Windows& windows,
                            const std::string& codePage,
                            const std::string& folder,
                            const std::string& language,
                            const WarningSink& warn);

// A language whose message sections (`sections`, their names in the file
// `shown`) cover some of its regional codes but not others: the users of the
// others get empty boxes on either system, as a code without a section has
// no fallback. Names the missing codes with the locales that have them.
void LintRegionalCoverage(const std::vector<std::string>& sections,
                          const std::string& shown, const WarningSink& warn);

}  // namespace check
