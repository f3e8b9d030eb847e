// The locale a dialog program (zenity, kdialog) runs under. GTK and Qt
// programs refuse text unless their locale is installed and UTF-8; this unit
// works out an environment in which they take it. The launcher's own locale
// is never changed.
#pragma once

#include <string>
#include <vector>

namespace posix {

enum class LocaleState { kMissing, kOtherCharset, kUtf8 };
// Whether a locale of that name is installed, and with which character set.
LocaleState InstalledLocale(const std::string& name);

// `environment` (NAME=value entries) for a dialog program: unchanged when the
// user's locale is installed and UTF-8; else with LC_ALL set to the same
// language in UTF-8, or to C.UTF-8 with the language kept in LANGUAGE.
// `installed` answers as InstalledLocale does (tests give their own).
std::vector<std::string> DialogEnvironment(
    std::vector<std::string> environment,
    LocaleState (*installed)(const std::string& name));

}  // namespace posix
