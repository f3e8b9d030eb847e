// The settings checks read the file with their own scan and the values with
// the launcher's own readers, and run its RunSetup on the recording platform.
#include "checker/lint_settings.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "checker/edit_distance.h"
#include "checker/lint_encoding.h"
#include "checker/recorder.h"
#include "config/keys.h"
#include "config/readers.h"
#include "config/text.h"
#include "launcher/launcher.h"
#include "platform/seam.h"
#include "portable/ascii.h"
#include "portable/emulation/paths.h"

namespace check {

namespace {

// An integer as the profile functions write it plainly: an optional sign
// and decimal digits.
bool IsPlainInteger(const char* text) {
  if (*text == '+' || *text == '-') ++text;
  if (*text == '\0') return false;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

// A name that the launcher does not resolve beside itself, and that Windows
// takes from the current folder: ".\x" or "a\x".
bool RelativeToCurrentFolder(const char* name) {
  return name[0] != '\0' && name[0] != '\\' && name[1] == '\\';
}

// "D:x": a drive without a folder, taken from that drive's current folder.
bool DriveWithoutFolder(const char* name) {
  return name[0] != '\0' && name[1] == ':' && name[2] != '\\' && name[2] != '/';
}

// The known setting key nearest the unknown `key`.
std::string NearestSettingKey(const std::string& key) {
  std::vector<const char*> names;
  for (SettingIndex index : kLauncherSettingKeys)
    names.push_back(SettingKey[index]);
  return NearestName(key, names.data(), names.size());
}

// The settings file: [Auto], and [Auto.Linux] under Linux rules.
class SettingsScan final : public FileScan {
 public:
  SettingsScan(const std::string& shown, bool linuxRules,
               const WarningSink& warn)
      : shown_(shown), linuxRules_(linuxRules), warn_(warn) {}

  // Where the value that the launcher reads for `index` stands; the
  // [Auto] header when there is none, nowhere without [Auto].
  Place Where(SettingIndex index) const {
    if (linuxRules_ && seenLinux_[index]) return placeLinux_[index];
    if (seenAuto_[index]) return placeAuto_[index];
    return {autoLine_, autoColumn_};
  }

  void Finish() {
    const bool read = sawAuto_ || (linuxRules_ && sawLinux_);
    if (!read) {
      warn_({Code::kNoSettingsSection, shown_, 0, 0,
             "has no [Auto] section: every setting takes its default "
             "(Verbose and SetupOnly on, Version -1)"});
      return;
    }
    for (SettingIndex index : {kVerbose, kSetupOnly}) {
      if (Set(index)) continue;
      const std::string key = SettingKey[index];
      warn_({Code::kSwitchMissing, shown_, autoLine_, autoColumn_,
             key + " is missing, so it counts as on (" +
                 (index == kVerbose
                      ? "diagnostic boxes for every user"
                      : "the installed application is never offered") +
                 "); write " + key + "=0 or " + key + "=1"});
    }
  }

 private:
  enum class Part { kOutside, kAuto, kLinux, kIgnored };

  void Section(const ini::Line& line) override {
    const std::string name = line.name;
    const std::string linuxSection =
        std::string(SettingKey[kSettingsSection]) + kLinuxSectionSuffix;
    part_ = Part::kIgnored;
    if (ascii::SameIgnoringCase(name.c_str(), SettingKey[kSettingsSection])) {
      if (!sawAuto_) {
        autoLine_ = line.number;
        autoColumn_ = line.column;
      }
      if (!Repeated(&sawAuto_, line)) part_ = Part::kAuto;
    } else if (ascii::SameIgnoringCase(name.c_str(), linuxSection.c_str())) {
      if (!Repeated(&sawLinux_, line)) part_ = Part::kLinux;
    } else {
      warn_({Code::kSectionNeverRead, shown_, line.number, line.column,
             "section [" + name +
                 "] is never read: the launcher reads only [Auto] here, and "
                 "[Auto.Linux] on Linux (messages belong in pellomar.dat)"});
    }
  }

  bool Repeated(bool* seen, const ini::Line& line) {
    if (!*seen) {
      *seen = true;
      return false;
    }
    warn_({Code::kSettingsSectionAgain, shown_, line.number, line.column,
           std::string("section [") + line.name +
               "] again: only the first section of a name is read, so its "
               "keys are not"});
    return true;
  }

  void Key(const ini::Line& line) override {
    if (part_ == Part::kIgnored) return;
    if (part_ == Part::kOutside) {
      warn_({Code::kKeyBeforeSection, shown_, line.number, line.column,
             Quoted(line.name) +
                 " stands before any section header and is never read"});
      return;
    }
    int index = -1;
    for (SettingIndex i : kLauncherSettingKeys) {
      if (ascii::SameIgnoringCase(line.name, SettingKey[i])) index = i;
    }
    if (index < 0) {
      warn_({Code::kUnknownSettingKey, shown_, line.number, line.column,
             "unknown key " + Quoted(line.name) + " (did you mean " +
                 NearestSettingKey(line.name) + "?)"});
      return;
    }
    bool* seen = (part_ == Part::kAuto ? seenAuto_ : seenLinux_) + index;
    if (*seen) {
      warn_({Code::kSettingKeyAgain, shown_, line.number, line.column,
             std::string(line.name) +
                 " again in this section: only the first is read"});
      return;
    }
    *seen = true;
    Value(static_cast<SettingIndex>(index), line);
  }

  void Value(SettingIndex index, const ini::Line& line) {
    const std::string key = SettingKey[index];
    (part_ == Part::kAuto ? placeAuto_ : placeLinux_)[index] = {
        line.number, line.valueColumn};
    bool* set = (part_ == Part::kAuto ? setAuto_ : setLinux_) + index;
    *set = line.hasValue && line.valueLength > 0;
    const std::string cut =
        DoesNotFit(key, line, encoding_,
                   HoldsPath(index) ? text::kLongestPath : text::kLongestValue);
    if (!cut.empty())
      warn_({Code::kSettingCut, shown_, line.number, line.valueColumn, cut});
    if (std::strstr(line.value, " ;") != nullptr)
      warn_({Code::kCommentInValue, shown_, line.number, line.valueColumn,
             key + " " + Quoted(line.value) +
                 " holds \" ;\": a comment on the line of a value is part of "
                 "the value (every box would show it); put comments on "
                 "their own lines"});
    const bool integer = std::find(std::begin(kIntegerSettingKeys),
                                   std::end(kIntegerSettingKeys),
                                   index) != std::end(kIntegerSettingKeys);
    if (integer && *set && !IsPlainInteger(line.value))
      warn_({Code::kNotWholeNumber, shown_, line.number, line.valueColumn,
             key + " " + Quoted(line.value) +
                 " is not a plain whole number: the launcher reads it as " +
                 std::to_string(ini::ParseInt(line.value))});
    if (index != kSetupName) return;
    if (RelativeToCurrentFolder(line.value))
      warn_({Code::kSetupFromCurrentFolder, shown_, line.number,
             line.valueColumn,
             "SetupName " + Quoted(line.value) +
                 " is taken from the current folder, which is wherever the "
                 "launcher was started from, not from its own folder (a name "
                 "such as setup.exe or sub\\setup.exe is found beside the "
                 "launcher)"});
    else if (DriveWithoutFolder(line.value))
      warn_({Code::kSetupDriveWithoutFolder, shown_, line.number,
             line.valueColumn,
             "SetupName " + Quoted(line.value) +
                 " names a drive but no folder: Windows takes it from that "
                 "drive's current folder (the Linux launcher from the root), "
                 "not from the launcher's own folder"});
  }

  bool Set(SettingIndex index) const {
    return (sawAuto_ && setAuto_[index]) ||
           (linuxRules_ && sawLinux_ && setLinux_[index]);
  }

  std::string shown_;
  bool linuxRules_;
  const WarningSink& warn_;
  Part part_ = Part::kOutside;
  bool sawAuto_ = false;
  bool sawLinux_ = false;
  unsigned long autoLine_ = 0;
  unsigned long autoColumn_ = 0;
  Place placeAuto_[kSettingCount] = {};
  Place placeLinux_[kSettingCount] = {};
  bool seenAuto_[kSettingCount] = {};
  bool seenLinux_[kSettingCount] = {};
  bool setAuto_[kSettingCount] = {};
  bool setLinux_[kSettingCount] = {};
};

// Where the first key `key` of the first section `section` stands.
class KeyFinder final : public ini::LineVisitor {
 public:
  KeyFinder(const char* section, const char* key)
      : section_(section), key_(key) {}
  void Visit(const ini::Line& line) override {
    if (line.kind == ini::Line::kSection) {
      inSection_ = !sawSection_ && ascii::SameIgnoringCase(line.name, section_);
      sawSection_ |= inSection_;
    } else if (inSection_ && place.line == 0 &&
               ascii::SameIgnoringCase(line.name, key_)) {
      place = {line.number, line.valueColumn};
    }
  }
  Place place = {0, 0};

 private:
  const char* section_;
  const char* key_;
  bool inSection_ = false;
  bool sawSection_ = false;
};

}  // namespace

SettingsFile LintSettingsFile(const emulation::Windows& windows,
                              const std::string& codePage,
                              const std::string& folder,
                              const WarningSink& warn) {
  const std::string found = FindFile(windows, folder, kSettingsFileName);
  const std::string shown = emulation::NameOf(found);
  SettingsScan scan(shown, windows.rules() == emulation::Rules::kLinux, warn);
  if (ScanFile(windows, codePage, found, shown, &scan, warn))
    scan.Finish();
  else
    warn({Code::kSettingsUnreadable, kSettingsFileName, 0, 0,
          "exists but cannot be read: every setting takes its default "
          "(Verbose and SetupOnly on, nothing is ever offered)"});
  return {shown, scan.Where(kSetupName), scan.Where(kIniFile)};
}

void LintSetup(const SettingsFile& settings, const WarningSink& warn) {
  const Place where = settings.setupName;
  Prepare(Situation());
  RunSetup();
  const std::vector<Event> run = Recorded();  // reads below add to the record
  const bool started = std::any_of(run.begin(), run.end(), [](const Event& e) {
    return e.kind == Event::kStart;
  });
  if (!started)
    warn({Code::kSetupPathTooLong, settings.shown, where.line, where.column,
          "SetupName " + Quoted(Setting(kSetupName)) +
              " gives a path longer than the system allows: the launcher "
              "names it in a notice and starts nothing"});
  for (const Event& e : run) {
    if (e.kind != Event::kStart || platform::Started(e.start.result)) continue;
    const bool missing = e.start.result == platform::kFileNotFound ||
                         e.start.result == platform::kPathNotFound;
    warn({missing ? Code::kSetupMissing : Code::kSetupCannotStart,
          settings.shown, where.line, where.column,
          "SetupName " + Quoted(Setting(kSetupName)) +
              (missing ? " names no file beside the launcher ("
                       : " cannot be started (") +
              e.text + ": " + e.start.why + ")"});
  }
}

void LintInstalled(const emulation::Windows& windows,
                   const SettingsFile& settings, const WarningSink& warn) {
  const Place where = settings.iniFile;
  const std::string iniFile = Setting(kIniFile);
  if (iniFile.empty()) return;
  const std::string found = windows.Locate(windows.ProfileFile(iniFile));
  if (found.empty()) return;  // not installed yet: no mistake
  const emulation::Entry entry = windows.system().Inspect(found);
  if (entry.kind != emulation::Entry::kFile || !entry.readable) {
    warn({Code::kInstalledUnreadable, settings.shown, where.line, where.column,
          "IniFile " + Quoted(iniFile) +
              " exists but cannot be read as a file"});
    return;
  }
  char value[text::kPathSize];
  if (ReadInstalledCommand(value, sizeof value) == 0) return;
  const std::string command = value;
  if (command[0] == '"') return;
  const std::size_t exe = LowerCase(command).find(".exe");
  const std::string program = exe != std::string::npos
                                  ? command.substr(0, exe)
                                  : command.substr(0, command.rfind('\\') + 1);
  if (program.find(' ') == std::string::npos) return;
  KeyFinder finder(SettingKey[kSettingsSection], SettingKey[kCommand]);
  char buffer[text::kBufferSize];
  windows.system().Read(found, [&](ini::Source& source) {
    ini::Scan(&source, buffer, text::kReadSize, &finder);
  });
  warn({Code::kCommandUnquoted, found, finder.place.line, finder.place.column,
        "Command " + Quoted(value) +
            " has blanks in its program path and no quotes as the launcher "
            "reads it (quotes around the whole value are removed): Windows "
            "may start another program (such as C:\\Program.exe); quote "
            "the program path and let something follow it, such as an "
            "argument"});
}

}  // namespace check
