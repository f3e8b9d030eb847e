// The checker's warnings about a launcher folder: mistakes that the launcher
// itself passes over in silence, and notes on how its files are read. This
// composes the checks of the settings (lint_settings.h), the messages
// (lint_messages.h) and autorun.inf (lint_autorun.h), each of which reads its
// file with the reader's own rules (lint_encoding.h); values are what the
// launcher's reads would give. What a Linux desktop starts from a medium is
// medium.h's.
#pragma once

#include <functional>
#include <string>

#include "checker/diagnostics.h"
#include "portable/emulation/windows.h"

namespace check {

// The Windows launcher's name, as the checker takes it to be in the folder
// (and autorun.inf should open it).
constexpr char kWindowsLauncherName[] = "pellomar.exe";

struct Warning {
  Code code;
  // A file of the folder by its name ("pellomar.ini", in the letter case
  // found), or any other file by its full path.
  std::string file;
  unsigned long line;    // 0 when it concerns the whole file
  unsigned long column;  // 0 when it concerns the whole line
  std::string text;
};

using WarningSink = std::function<void(const Warning&)>;

// Hands each language section of the message file in `folder` (native) to
// `visit`, in file order, until it returns true; the first section of a name
// only. False when there is no message file to read.
bool ForEachLanguage(const emulation::Windows& windows,
                     const std::string& folder,
                     const std::function<bool(const std::string&)>& visit);

// Warns about the files of the launcher in `folder` (native) under the rules
// of `windows`, whose code page `codePage` names ("code page 1252 (Western)").
// `language` is the language code being checked (its section should exist);
// empty when every section is.
void Lint(const emulation::Windows& windows, const std::string& codePage,
          const std::string& folder, const std::string& language,
          const WarningSink& warn);

}  // namespace check
