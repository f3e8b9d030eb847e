// The one catalogue of the checker's diagnostics: a stable short code for
// each, its group, the form of its text and a one-line explanation. The
// outputs (output.h), `--disable`, `--list-codes` and the manual page's list
// of warnings all come from here. It holds no checks: those of lint.h and
// medium.h make them.
//
// A new diagnostic is a name in `Code`, its row in the catalogue
// (diagnostics.cpp, in the same order) and the call that makes it.
#pragma once

#include <cstddef>
#include <string>

namespace check {

// Codes are a group letter and two digits; a code, once given out, keeps
// its meaning. Room is left in every group.
enum class Code {
  // S: the settings file, pellomar.ini
  kUnknownSettingKey,        // S01
  kKeyBeforeSection,         // S02
  kSectionNeverRead,         // S03
  kSettingsSectionAgain,     // S04
  kSettingKeyAgain,          // S05
  kSwitchMissing,            // S06
  kNoSettingsSection,        // S07
  kNotWholeNumber,           // S08
  kCommentInValue,           // S09
  kSettingCut,               // S10
  kSetupFromCurrentFolder,   // S11
  kSetupDriveWithoutFolder,  // S12
  kSetupMissing,             // S13
  kSetupCannotStart,         // S14
  kSettingsUnreadable,       // S15
  kSetupPathTooLong,         // S16
  // M: the message file, pellomar.dat
  kMessagesMissing,       // M01
  kNoLanguageSection,     // M02
  kMessageMissing,        // M03
  kUnknownMessageKey,     // M04
  kLanguageSectionAgain,  // M05
  kSettingsInMessages,    // M06
  kMessageCut,            // M07
  kConversion,            // M08
  kSeveralAppNames,       // M09
  kPercentInSetupErr,     // M10
  kRegionsUncovered,      // M11
  // A: the installed application's file, named by IniFile
  kInstalledUnreadable,  // A01
  kCommandUnquoted,      // A02
  // D: the medium as a whole: how its files are written, autorun.inf
  kUtf16WithoutMark,        // D03
  kAutorunOpenNotLauncher,  // D04
  kAutorunNoOpen,           // D05
  kAutorunIconMissing,      // D06
  kHiddenStart,             // D07
  kNoStartScript,           // D08
  kSetupNeedsExecuteBits,   // D09
  kCodePage,                // D10 (a note)
  kCount
};
// Codes given out once and retired, never to be given again: D01 (a UTF-8
// byte-order mark) and D02 (UTF-16 in big-endian order), which every
// launcher now reads as it is meant.

enum class Group { kSettings, kMessages, kInstalled, kMedium };

// A note informs and never fails a run; a warning does.
enum class Severity { kWarning, kNote };

struct Rule {
  Code id;
  const char* code;  // "S01"
  const char* name;  // a short name in words: "unknown-key"
  Group group;
  Severity severity;
  const char* pattern;      // the text, with <...> where it varies
  const char* explanation;  // one line, for the manual and SARIF
};

// The row of `code`.
const Rule& RuleOf(Code code);

// Every row, in the order of `Code`.
const Rule* Rules();
constexpr std::size_t kRuleCount = static_cast<std::size_t>(Code::kCount);

// The row of a code as written ("s01" too); nullptr when there is none.
const Rule* FindRule(const std::string& code);

// "settings", "messages", "installed application", "medium".
const char* GroupName(Group group);

}  // namespace check
