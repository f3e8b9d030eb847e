// The linter's checks of the launcher's settings: the settings file itself
// ([Auto], and [Auto.Linux] under Linux rules), the setup that SetupName
// starts, and the installed application's file that IniFile names. Left out:
// the message file (lint_messages.h) and how the files' text is read
// (lint_encoding.h).
#pragma once

#include <string>

#include "checker/lint.h"
#include "checker/lint_scan.h"
#include "portable/emulation/windows.h"

namespace check {

// The settings file as checked, and where the launcher's values of the
// settings that name files stand in it: the [Auto] header when there is no
// such key, nowhere without [Auto].
struct SettingsFile {
  std::string shown;  // its name, in the letter case found
  Place setupName;
  Place iniFile;
};

// Warns about the settings file of `folder` (native) under the rules of
// `windows`, whose code page `codePage` names.
SettingsFile LintSettingsFile(const emulation::Windows& windows,
                              const std::string& codePage,
                              const std::string& folder,
                              const WarningSink& warn);

// What the launcher's own RunSetup would start, and whether it could; told
// at the SetupName that it read.
void LintSetup(const SettingsFile& settings, const WarningSink& warn);

// The installed application's file, where IniFile names one that exists:
// whether it can be read, and whether its Command leaves a program path with
// blanks unquoted.
void LintInstalled(const emulation::Windows& windows,
                   const SettingsFile& settings, const WarningSink& warn);

}  // namespace check
