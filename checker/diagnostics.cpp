// The catalogue's rows. Patterns are the texts that the checks (lint.h,
// medium.h) write, with <...> for the parts that vary; the tests hold every
// text to its pattern.
#include "checker/diagnostics.h"

#include "portable/ascii.h"

namespace check {

namespace {

constexpr Group S = Group::kSettings;
constexpr Group M = Group::kMessages;
constexpr Group A = Group::kInstalled;
constexpr Group D = Group::kMedium;
constexpr Severity W = Severity::kWarning;
constexpr Severity N = Severity::kNote;

constexpr Rule kRules[] = {
    {Code::kUnknownSettingKey, "S01", "unknown-key", S, W,
     "unknown key \"<key>\" (did you mean <key>?)",
     "a key the launcher does not know, which it never reads"},
    {Code::kKeyBeforeSection, "S02", "key-before-section", S, W,
     "\"<key>\" stands before any section header and is never read",
     "a key above the first section header, which belongs to no section"},
    {Code::kSectionNeverRead, "S03", "section-never-read", S, W,
     "section [<name>] is never read: the launcher reads only [Auto] here, "
     "and [Auto.Linux] on Linux (messages belong in pellomar.dat)",
     "a section other than [Auto] and [Auto.Linux] in the settings file"},
    {Code::kSettingsSectionAgain, "S04", "settings-section-again", S, W,
     "section [<name>] again: only the first section of a name is read, so "
     "its keys are not",
     "a settings section given twice: the keys of the second are never read"},
    {Code::kSettingKeyAgain, "S05", "setting-again", S, W,
     "<key> again in this section: only the first is read",
     "a key given twice in one section: the second is never read"},
    {Code::kSwitchMissing, "S06", "switch-missing", S, W,
     "<key> is missing, so it counts as on (<effect>); write <key>=0 or "
     "<key>=1",
     "Verbose or SetupOnly missing or empty, which counts as on"},
    {Code::kNoSettingsSection, "S07", "no-settings-section", S, W,
     "has no [Auto] section: every setting takes its default (Verbose and "
     "SetupOnly on, Version -1)",
     "a settings file without [Auto]: every setting takes its default"},
    {Code::kNotWholeNumber, "S08", "not-whole-number", S, W,
     "<key> \"<value>\" is not a plain whole number: the launcher reads it as "
     "<number>",
     "an integer setting that is not a plain whole number (3.1 reads as 3, "
     "v3 as 0)"},
    {Code::kCommentInValue, "S09", "comment-in-value", S, W,
     "<key> \"<value>\" holds \" ;\": a comment on the line of a value is "
     "part of the value (every box would show it); put comments on their own "
     "lines",
     "a value holding \" ;\": a comment after a value is part of the value"},
    {Code::kSettingCut, "S10", "setting-cut", S, W,
     "<key> is longer than 254 bytes<how> and is cut<fit>",
     "a setting longer than 254 bytes of UTF-8 once its quotes are removed "
     "(4095 for IniFile, SetupName and Command), which the launcher cuts"},
    {Code::kSetupFromCurrentFolder, "S11", "setup-from-current-folder", S, W,
     "SetupName \"<value>\" is taken from the current folder, which is "
     "wherever the launcher was started from, not from its own folder (a "
     "name such as setup.exe or sub\\setup.exe is found beside the launcher)",
     "a SetupName such as .\\setup.exe, which Windows takes from the current "
     "folder"},
    {Code::kSetupDriveWithoutFolder, "S12", "setup-drive-without-folder", S, W,
     "SetupName \"<value>\" names a drive but no folder: Windows takes it "
     "from that drive's current folder (the Linux launcher from the root), "
     "not from the launcher's own folder",
     "a SetupName such as D:setup.exe: a drive without a folder"},
    {Code::kSetupMissing, "S13", "setup-missing", S, W,
     "SetupName \"<value>\" names no file beside the launcher (<path>: <why>)",
     "a SetupName that names no file beside the launcher"},
    {Code::kSetupCannotStart, "S14", "setup-cannot-start", S, W,
     "SetupName \"<value>\" cannot be started (<path>: <why>)",
     "a setup that the predicted launcher cannot start under its rules"},
    {Code::kSettingsUnreadable, "S15", "settings-unreadable", S, W,
     "exists but cannot be read: every setting takes its default (Verbose "
     "and SetupOnly on, nothing is ever offered)",
     "a settings file that cannot be read"},
    {Code::kSetupPathTooLong, "S16", "setup-path-too-long", S, W,
     "SetupName \"<value>\" gives a path longer than the system allows: the "
     "launcher names it in a notice and starts nothing",
     "a SetupName whose full path is longer than the system takes"},
    {Code::kMessagesMissing, "M01", "messages-missing", M, W,
     "is missing: every question is an empty box",
     "no message file, or one that cannot be read"},
    {Code::kNoLanguageSection, "M02", "no-language-section", M, W,
     "has no section [<language>]: users of that language see empty "
     "questions (there is no fallback)",
     "the language checked has no section in the message file"},
    {Code::kMessageMissing, "M03", "message-missing", M, W,
     "section [<language>] has no <key>: that box is empty for its users",
     "a language section without one of the four messages"},
    {Code::kUnknownMessageKey, "M04", "unknown-message-key", M, W,
     "unknown key \"<key>\" in [<language>] (did you mean <key>?)",
     "a key in a language section that the launcher does not know"},
    {Code::kLanguageSectionAgain, "M05", "language-section-again", M, W,
     "section [<language>] again: only the first [<language>] is read",
     "a language section given twice: the second is never read"},
    {Code::kSettingsInMessages, "M06", "settings-in-messages", M, W,
     "section [<name>] is never read here: settings belong in pellomar.ini",
     "a settings section in the message file"},
    {Code::kMessageCut, "M07", "message-cut", M, W,
     "<key> is longer than 254 bytes<how> and is cut<fit>",
     "a message longer than 254 bytes of UTF-8 once its quotes are removed, "
     "which the launcher cuts"},
    {Code::kConversion, "M08", "conversion", M, W,
     "<key> holds the conversion \"<conversion>\", which is shown as written "
     "(only one %s takes AppName; write %% for a percent sign)",
     "a conversion other than %s or %% in a question"},
    {Code::kSeveralAppNames, "M09", "several-app-names", M, W,
     "<key> holds more than one %s: only the first takes AppName, the others "
     "are shown as written",
     "a question with more than one %s"},
    {Code::kPercentInSetupErr, "M10", "percent-in-setuperr", M, W,
     "SetupErr is shown exactly as written: its % appears literally and "
     "AppName is not inserted",
     "a % in SetupErr, a notice shown exactly as written"},
    {Code::kRegionsUncovered, "M11", "regions-uncovered", M, W,
     "covers the language <language> for some regions only (<codes>): no "
     "section <missing> (code and locales): their users get empty boxes",
     "a language with sections for some of its regional codes but not "
     "others, whose users get empty boxes"},
    {Code::kInstalledUnreadable, "A01", "installed-unreadable", A, W,
     "IniFile \"<value>\" exists but cannot be read as a file",
     "an IniFile that exists but cannot be read (a folder, no permission)"},
    {Code::kCommandUnquoted, "A02", "command-unquoted", A, W,
     "Command \"<value>\" has blanks in its program path and no quotes as "
     "the launcher reads it (quotes around the whole value are removed): "
     "Windows may start another program (such as C:\\Program.exe); quote the "
     "program path and let something follow it, such as an argument",
     "a Command whose program path reaches the launcher with blanks but no "
     "quotes"},
    {Code::kUtf16WithoutMark, "D03", "utf16-without-mark", D, W,
     "looks like UTF-16 without a byte-order mark: the launcher reads it as "
     "8-bit text and finds nothing (save it with the mark)",
     "a file in UTF-16 without a byte-order mark"},
    {Code::kAutorunOpenNotLauncher, "D04", "autorun-open-not-launcher", D, W,
     "open \"<value>\" <why>: Windows offers no launcher from the disc",
     "autorun.inf's open= does not name the launcher beside it"},
    {Code::kAutorunNoOpen, "D05", "autorun-no-open", D, W,
     "has no open= in [autorun]: Windows offers no launcher from the disc",
     "an autorun.inf whose [autorun] section names no program to open"},
    {Code::kAutorunIconMissing, "D06", "autorun-icon-missing", D, W,
     "icon \"<value>\" names no file beside autorun.inf: the disc shows no "
     "icon of its own",
     "autorun.inf's icon= names a file that is not there"},
    {Code::kHiddenStart, "D07", "hidden-start-file", D, W,
     "desktops start it before autorun and autorun.sh: the launcher would "
     "not start (remove it)",
     "a .autorun on the medium, which Linux desktops start instead of the "
     "launcher"},
    {Code::kNoStartScript, "D08", "no-start-script", D, W,
     "is missing: on media without execute bits (<media>) nothing starts the "
     "launcher; copy it from the package beside autorun",
     "autorun without autorun.sh beside it, so media without execute bits "
     "start nothing"},
    {Code::kSetupNeedsExecuteBits, "D09", "setup-needs-execute-bits", D, W,
     "SetupName \"<value>\" cannot start from a medium without execute bits "
     "(<media>): <path>: <why>; ship the setup as a script, or make the disc "
     "with Rock Ridge",
     "a setup that cannot start from a medium without execute bits (a "
     "program rather than a script)"},
    {Code::kCodePage, "D10", "code-page", D, N,
     "is 8-bit text, not UTF-8: read in <code page> (save it as UTF-8 or "
     "UTF-16 to show the same on every system)",
     "a note: the code page in which an 8-bit file is read into UTF-8"},
};

static_assert(sizeof kRules / sizeof kRules[0] == kRuleCount,
              "one row for every code");

constexpr bool InOrder() {
  for (std::size_t i = 0; i < kRuleCount; ++i) {
    if (static_cast<std::size_t>(kRules[i].id) != i) return false;
  }
  return true;
}
static_assert(InOrder(), "rows in the order of Code");

}  // namespace

const Rule& RuleOf(Code code) { return kRules[static_cast<std::size_t>(code)]; }

const Rule* Rules() { return kRules; }

const Rule* FindRule(const std::string& code) {
  for (const Rule& rule : kRules) {
    if (ascii::SameIgnoringCase(code.c_str(), rule.code)) return &rule;
  }
  return nullptr;
}

const char* GroupName(Group group) {
  switch (group) {
    case Group::kSettings:
      return "settings";
    case Group::kMessages:
      return "messages";
    case Group::kInstalled:
      return "installed application";
    case Group::kMedium:
      return "medium";
  }
  return "";
}

}  // namespace check
