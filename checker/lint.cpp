#include "checker/lint.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "checker/recorder.h"
#include "config/keys.h"
#include "config/readers.h"
#include "config/text.h"
#include "launcher/launcher.h"
#include "platform/seam.h"
#include "portable/ascii.h"
#include "portable/emulation/language_codes.h"
#include "portable/emulation/paths.h"
#include "portable/ini/ini_reader.h"
#include "portable/utf.h"

namespace check {

namespace {

// How many section names are remembered to find a repeated one: plenty for
// any real file, and a bound on memory for any other.
constexpr std::size_t kRememberedSections = 4096;
// How many first bytes of a file tell whether it is UTF-16 without a mark.
constexpr std::size_t kSniffedBytes = 4096;

bool Same(const std::string& a, const char* b) {
  return ascii::SameIgnoringCase(a.c_str(), b);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(ascii::Lower(c));
  return text;
}

std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = std::min(
          {row[j] + 1, row[j - 1] + 1,
           diagonal + (ascii::Lower(a[i - 1]) != ascii::Lower(b[j - 1]))});
      diagonal = up;
    }
  }
  return row[b.size()];
}

template <typename Names>
std::string Nearest(const std::string& key, const Names& names) {
  std::string best;
  for (const char* name : names) {
    if (best.empty() || Distance(key, name) < Distance(key, best)) best = name;
  }
  return best;
}

std::vector<const char*> SettingsKeyNames() {
  std::vector<const char*> names;
  for (SettingIndex index : kLauncherSettingKeys)
    names.push_back(SettingKey[index]);
  return names;
}

// Section names seen so far, without regard to case, up to a bound.
class NameSet {
 public:
  // False when `name` was seen before.
  bool Insert(const char* name) {
    const std::string key = Lower(name);
    if (names_.count(key) != 0) return false;
    if (names_.size() < kRememberedSections) names_.insert(key);
    return true;
  }

 private:
  std::unordered_set<std::string> names_;
};

// Passes a file's bytes on and counts the NUL bytes among the first ones.
class Sniffer final : public ini::Source {
 public:
  explicit Sniffer(ini::Source& source) : source_(source) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    const std::size_t n = source_.Read(buffer, capacity);
    for (std::size_t i = 0; i < n && seen_ < kSniffedBytes; ++i, ++seen_)
      nuls_ += buffer[i] == '\0';
    return n;
  }
  bool Rewind() override {
    seen_ = nuls_ = 0;
    return source_.Rewind();
  }
  // Enough bytes, and a quarter of them NUL.
  bool LooksLikeUtf16() const { return seen_ >= 4 && nuls_ * 4 > seen_; }

 private:
  ini::Source& source_;
  std::size_t seen_ = 0;
  std::size_t nuls_ = 0;
};

// Says how a file's text is read, before its lines: which code page turns
// an 8-bit file into UTF-8 (a note), and a file that looks like UTF-16
// without its mark, which every launcher reads as 8-bit text and finds
// nothing in (a warning).
class EncodingCheck final : public ini::LineVisitor {
 public:
  EncodingCheck(const std::string& shown, const std::string& codePage,
                Sniffer& sniffer, ini::LineVisitor& lines,
                const WarningSink& warn)
      : shown_(shown),
        codePage_(codePage),
        sniffer_(sniffer),
        lines_(lines),
        warn_(warn) {}

  void Begin(ini::Encoding encoding) override {
    const bool utf16 = encoding == ini::Encoding::kUtf16Le ||
                       encoding == ini::Encoding::kUtf16Be;
    if (!utf16 && sniffer_.LooksLikeUtf16())
      warn_({Code::kUtf16WithoutMark, shown_, 0, 0,
             "looks like UTF-16 without a byte-order mark: the launcher "
             "reads it as 8-bit text and finds nothing (save it with the "
             "mark)"});
    else if (encoding == ini::Encoding::kCodePage)
      warn_({Code::kCodePage, shown_, 0, 0,
             "is 8-bit text, not UTF-8: read in " + codePage_ +
                 " (save it as UTF-8 or UTF-16 to show the same on every "
                 "system)"});
    lines_.Begin(encoding);
  }
  void Visit(const ini::Line& line) override { lines_.Visit(line); }

 private:
  const std::string& shown_;
  const std::string& codePage_;
  Sniffer& sniffer_;
  ini::LineVisitor& lines_;
  const WarningSink& warn_;
};

// A file of the folder scanned once: `visitor` sees its lines, `warn` the
// encoding problems first. False when the file cannot be read.
bool ScanFile(const emulation::Windows& windows, const std::string& codePage,
              const std::string& native, const std::string& shown,
              ini::LineVisitor* visitor, const WarningSink& warn) {
  char value[text::kPathSize];
  return windows.system().Read(native, [&](ini::Source& source) {
    Sniffer sniffer(source);
    EncodingCheck check(shown, codePage, sniffer, *visitor, warn);
    ini::Scan(&sniffer, value, sizeof value, &check, &windows.codePage());
  });
}

std::string Quoted(const char* text) { return std::string("\"") + text + "\""; }

// The warning for a value longer than `longest` bytes, with how many
// characters of its widest script would fit (in UTF-8 a Cyrillic letter
// takes 2 bytes, a Japanese one 3); empty when it fits. The value is UTF-8
// as read, cut to the scan's buffer.
std::string DoesNotFit(const std::string& key, const ini::Line& line,
                       ini::Encoding encoding,
                       std::size_t longest = text::kLongestValue) {
  if (!line.valueCut && line.valueLength <= longest) return "";
  std::size_t widest = 1;
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.value);
  for (std::size_t i = 0; i < line.valueLength;) {
    const std::size_t n = std::max<std::size_t>(
        1, utf::SequenceLength(bytes + i, line.valueLength - i));
    widest = std::max(widest, n);
    i += n;
  }
  std::string problem =
      key + " is longer than " + std::to_string(longest) + " bytes" +
      (encoding == ini::Encoding::kCodePage ? " once read into UTF-8" : "") +
      " and is cut";
  if (widest > 1)
    problem +=
        " (at " + std::to_string(widest) + " bytes a character in UTF-8, " +
        std::to_string(longest / widest) + " characters of that script fit)";
  return problem;
}

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

// A line and column of a file; 0 where there is none.
struct Place {
  unsigned long line;
  unsigned long column;
};

// A scan that takes section headers and key lines apart.
class FileScan : public ini::LineVisitor {
 public:
  void Begin(ini::Encoding encoding) override { encoding_ = encoding; }
  void Visit(const ini::Line& line) final {
    if (line.kind == ini::Line::kSection)
      Section(line);
    else
      Key(line);
  }

 protected:
  ~FileScan() = default;
  virtual void Section(const ini::Line& line) = 0;
  virtual void Key(const ini::Line& line) = 0;

  ini::Encoding encoding_ = ini::Encoding::kUtf8;
};

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
    if (Same(name, SettingKey[kSettingsSection])) {
      if (!sawAuto_) {
        autoLine_ = line.number;
        autoColumn_ = line.column;
      }
      if (!Repeated(&sawAuto_, line)) part_ = Part::kAuto;
    } else if (Same(name, linuxSection.c_str())) {
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
      if (Same(line.name, SettingKey[i])) index = i;
    }
    if (index < 0) {
      warn_({Code::kUnknownSettingKey, shown_, line.number, line.column,
             "unknown key " + Quoted(line.name) + " (did you mean " +
                 Nearest(line.name, SettingsKeyNames()) + "?)"});
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

// Conversions of a message text other than one "%s", and which they are.
std::string ConversionProblem(const std::string& text, Code* code) {
  *code = Code::kConversion;
  int texts = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (i + 1 < text.size() && text[i + 1] == '%') {
      ++i;
    } else if (i + 1 < text.size() && text[i + 1] == 's') {
      ++texts;
      ++i;
    } else {
      return "holds the conversion \"" + text.substr(i, 2) +
             "\", which is shown as written (only one %s takes AppName; "
             "write %% for a percent sign)";
    }
  }
  *code = Code::kSeveralAppNames;
  if (texts > 1)
    return "holds more than one %s: only the first takes AppName, the others "
           "are shown as written";
  return "";
}

// The message file: one section per language.
class MessageScan final : public FileScan {
 public:
  MessageScan(const std::string& shown, const std::string& language,
              const WarningSink& warn)
      : shown_(shown), language_(language), warn_(warn) {}

  void Finish() {
    EndSection();
    if (!language_.empty() && !haveLanguage_)
      warn_({Code::kNoLanguageSection, shown_, 0, 0,
             "has no section [" + language_ +
                 "]: users of that language see empty questions (there is "
                 "no fallback)"});
  }

 private:
  void Section(const ini::Line& line) override {
    EndSection();
    section_ = line.name;
    sectionLine_ = line.number;
    sectionColumn_ = line.column;
    inSection_ = false;
    if (Same(section_, SettingKey[kSettingsSection])) {
      warn_({Code::kSettingsInMessages, shown_, line.number, line.column,
             "section [" + section_ +
                 "] is never read here: settings belong in pellomar.ini"});
    } else if (!sections_.Insert(line.name)) {
      warn_({Code::kLanguageSectionAgain, shown_, line.number, line.column,
             "section [" + section_ + "] again: only the first [" + section_ +
                 "] is read"});
    } else {
      inSection_ = true;
      haveLanguage_ |= Same(section_, language_.c_str());
      std::fill(std::begin(present_), std::end(present_), false);
    }
  }

  void EndSection() {
    if (!inSection_) return;
    inSection_ = false;
    for (int i = 0; i < kMessageCount; ++i) {
      if (!present_[i])
        warn_({Code::kMessageMissing, shown_, sectionLine_, sectionColumn_,
               "section [" + section_ + "] has no " + MessageKey[i] +
                   ": that box is empty for its users"});
    }
  }

  void Key(const ini::Line& line) override {
    if (!inSection_) return;
    int index = -1;
    for (int i = 0; i < kMessageCount; ++i) {
      if (Same(line.name, MessageKey[i])) index = i;
    }
    if (index < 0) {
      warn_({Code::kUnknownMessageKey, shown_, line.number, line.column,
             "unknown key " + Quoted(line.name) + " in [" + section_ +
                 "] (did you mean " + Nearest(line.name, MessageKey) + "?)"});
      return;
    }
    if (present_[index]) return;
    present_[index] = line.hasValue;
    const std::string key = MessageKey[index];
    const std::string cut = DoesNotFit(key, line, encoding_);
    if (!cut.empty())
      warn_({Code::kMessageCut, shown_, line.number, line.valueColumn, cut});
    if (index == kSetupErr) {
      if (std::strchr(line.value, '%') != nullptr)
        warn_({Code::kPercentInSetupErr, shown_, line.number, line.valueColumn,
               "SetupErr is shown exactly as written: its % appears "
               "literally and AppName is not inserted"});
      return;
    }
    Code code;
    const std::string problem = ConversionProblem(line.value, &code);
    if (!problem.empty())
      warn_({code, shown_, line.number, line.valueColumn, key + " " + problem});
  }

  std::string shown_;
  std::string language_;
  const WarningSink& warn_;
  NameSet sections_;
  std::string section_;
  unsigned long sectionLine_ = 0;
  unsigned long sectionColumn_ = 0;
  bool inSection_ = false;
  bool haveLanguage_ = false;
  bool present_[kMessageCount] = {};
};

// The file of the folder named `name` in any letter case; empty when none.
std::string FindFile(const emulation::Windows& windows,
                     const std::string& folder, const char* name) {
  return windows.Locate(emulation::Join(
      folder, name, windows.system().WindowsPaths() ? '\\' : '/'));
}

std::string Setting(SettingIndex index) {
  char value[text::kPathSize];
  ReadSetting(index, value,
              HoldsPath(index) ? text::kPathSize : text::kReadSize);
  return value;
}

// What the launcher's own RunSetup would start, and whether it could;
// told at the SetupName that it read (`where`, in `settings`).
void LintSetup(const std::string& settings, Place where,
               const WarningSink& warn) {
  Prepare(Situation());
  RunSetup();
  const std::vector<Event> run = Recorded();  // reads below add to the record
  const bool started = std::any_of(run.begin(), run.end(), [](const Event& e) {
    return e.kind == Event::kStart;
  });
  if (!started)
    warn({Code::kSetupPathTooLong, settings, where.line, where.column,
          "SetupName " + Quoted(Setting(kSetupName).c_str()) +
              " gives a path longer than the system allows: the launcher "
              "names it in a notice and starts nothing"});
  for (const Event& e : run) {
    if (e.kind != Event::kStart || platform::Started(e.start.result)) continue;
    const bool missing = e.start.result == platform::kFileNotFound ||
                         e.start.result == platform::kPathNotFound;
    warn({missing ? Code::kSetupMissing : Code::kSetupCannotStart, settings,
          where.line, where.column,
          "SetupName " + Quoted(Setting(kSetupName).c_str()) +
              (missing ? " names no file beside the launcher ("
                       : " cannot be started (") +
              e.text + ": " + e.start.why + ")"});
  }
}

// Where the first key `key` of the first section `section` stands.
class KeyFinder final : public ini::LineVisitor {
 public:
  KeyFinder(const char* section, const char* key)
      : section_(section), key_(key) {}
  void Visit(const ini::Line& line) override {
    if (line.kind == ini::Line::kSection) {
      inSection_ = !sawSection_ && Same(line.name, section_);
      sawSection_ |= inSection_;
    } else if (inSection_ && place.line == 0 && Same(line.name, key_)) {
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

// The installed application's file, where IniFile (`where`, in `settings`)
// names one that exists.
void LintInstalled(const emulation::Windows& windows,
                   const std::string& settings, Place where,
                   const WarningSink& warn) {
  const std::string iniFile = Setting(kIniFile);
  if (iniFile.empty()) return;
  const std::string found = windows.Locate(windows.ProfileFile(iniFile));
  if (found.empty()) return;  // not installed yet: no mistake
  const emulation::Entry entry = windows.system().Inspect(found);
  if (entry.kind != emulation::Entry::kFile || !entry.readable) {
    warn({Code::kInstalledUnreadable, settings, where.line, where.column,
          "IniFile " + Quoted(iniFile.c_str()) +
              " exists but cannot be read as a file"});
    return;
  }
  char value[text::kPathSize];
  if (ReadInstalledCommand(value, sizeof value) == 0) return;
  const std::string command = value;
  if (command[0] == '"') return;
  const std::size_t exe = Lower(command).find(".exe");
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

// The file that autorun.inf names, relative to its folder as Windows takes
// it (either slash, any letter case); empty when there is none.
std::string FindBeside(const emulation::Windows& windows,
                       const std::string& folder, std::string name) {
  const char separator = windows.system().WindowsPaths() ? '\\' : '/';
  for (char& c : name) {
    if (c == '\\' || c == '/') c = separator;
  }
  return name.empty()
             ? ""
             : windows.Locate(emulation::Join(folder, name, separator));
}

// The program of a command line: its leading quoted part, else what comes
// before the first blank.
std::string ProgramOf(const std::string& command) {
  if (!command.empty() && command[0] == '"')
    return command.substr(1, command.find('"', 1) - 1);
  return command.substr(0, command.find(' '));
}

// autorun.inf, which tells Windows what to offer for a disc: [autorun],
// with open= (or shellexecute=) and icon=, the first of each.
class AutorunScan final : public FileScan {
 public:
  void Section(const ini::Line& line) override {
    inAutorun_ = !sawAutorun_ && Same(line.name, "autorun");
    sawAutorun_ |= inAutorun_;
  }
  void Key(const ini::Line& line) override {
    if (!inAutorun_ || !line.hasValue) return;
    const bool open =
        Same(line.name, "open") || Same(line.name, "shellexecute");
    Entry* entry = open ? &program : Same(line.name, "icon") ? &icon : nullptr;
    if (entry != nullptr && entry->place.line == 0)
      *entry = {line.value, {line.number, line.valueColumn}};
  }

  struct Entry {
    std::string value;
    Place place;
  };
  Entry program = {"", {0, 0}};  // open= or shellexecute=
  Entry icon = {"", {0, 0}};

 private:
  bool sawAutorun_ = false;
  bool inAutorun_ = false;
};

// autorun.inf beside the Windows launcher: it must open the launcher, and
// its icon must be there. Only Windows reads it.
void LintAutorun(const emulation::Windows& windows, const std::string& codePage,
                 const std::string& folder, const WarningSink& warn) {
  if (windows.rules() != emulation::Rules::kWindows) return;
  const std::string found = FindFile(windows, folder, "autorun.inf");
  if (found.empty()) return;
  const std::string shown = emulation::NameOf(found);
  AutorunScan scan;
  if (!ScanFile(windows, codePage, found, shown, &scan, warn)) return;
  // The launcher is taken as being beside autorun.inf, as everywhere in the
  // checker, under its own name when it is not there yet.
  const std::string launcher = FindFile(windows, folder, kWindowsLauncherName);
  const auto isLauncher = [&](const std::string& name) {
    return Same(name, kWindowsLauncherName) ||
           (!launcher.empty() && FindBeside(windows, folder, name) == launcher);
  };
  const AutorunScan::Entry& open = scan.program;
  if (open.place.line == 0) {
    warn({Code::kAutorunNoOpen, shown, 0, 0,
          "has no open= in [autorun]: Windows offers no launcher from the "
          "disc"});
  } else {
    const std::string program = ProgramOf(open.value);
    std::string named = FindBeside(windows, folder, program);
    if (named.empty() && program.find('.') == std::string::npos)
      named = FindBeside(windows, folder, program + ".exe");
    std::string why;
    if (program.find_first_of("\\/:") != std::string::npos)
      why =
          "names a program in another folder, not the launcher beside "
          "autorun.inf";
    else if (isLauncher(program) || isLauncher(program + ".exe"))
      why = "";
    else if (named.empty())
      why = "names no file beside autorun.inf";
    else if (!launcher.empty())
      why = "names " + emulation::NameOf(named) + ", not the launcher " +
            emulation::NameOf(launcher);
    if (!why.empty())
      warn({Code::kAutorunOpenNotLauncher, shown, open.place.line,
            open.place.column,
            "open " + Quoted(open.value.c_str()) + " " + why +
                ": Windows offers no launcher from the disc"});
  }
  const AutorunScan::Entry& icon = scan.icon;
  const std::string iconFile = icon.value.substr(0, icon.value.rfind(','));
  if (icon.place.line != 0 && !isLauncher(iconFile) &&
      FindBeside(windows, folder, iconFile).empty())
    warn({Code::kAutorunIconMissing, shown, icon.place.line, icon.place.column,
          "icon " + Quoted(icon.value.c_str()) +
              " names no file beside autorun.inf: the disc shows no icon of "
              "its own"});
}

// Hands each section name of a scan to a callback.
class SectionLister final : public ini::LineVisitor {
 public:
  explicit SectionLister(const std::function<bool(const std::string&)>& visit)
      : visit_(visit) {}
  void Visit(const ini::Line& line) override {
    if (line.kind != ini::Line::kSection || done_) return;
    if (Same(line.name, SettingKey[kSettingsSection])) return;
    if (sections_.Insert(line.name)) done_ = visit_(line.name);
  }

 private:
  const std::function<bool(const std::string&)>& visit_;
  NameSet sections_;
  bool done_ = false;
};

// A language whose message sections cover some of its regional codes but
// not others: the users of the others get empty boxes on either system (a
// code without a section has no fallback). Names the missing codes with the
// locales that have them.
void LintRegionalCoverage(const std::vector<std::string>& sections,
                          const std::string& shown, const WarningSink& warn) {
  const auto has = [&](const char* code) {
    return std::any_of(sections.begin(), sections.end(),
                       [&](const std::string& s) { return Same(s, code); });
  };
  std::vector<std::string> languages;
  for (auto e = emulation::LanguageCodesBegin();
       e != emulation::LanguageCodesEnd(); ++e) {
    const std::string language = emulation::LanguageOfLocale(e->locale);
    if (std::find(languages.begin(), languages.end(), language) ==
        languages.end())
      languages.push_back(language);
  }
  for (const std::string& language : languages) {
    std::vector<std::string> covered, missing;  // codes in table order
    std::string missingText;
    for (auto e = emulation::LanguageCodesBegin();
         e != emulation::LanguageCodesEnd(); ++e) {
      if (!emulation::LocaleHasRegion(e->locale) ||
          emulation::LanguageOfLocale(e->locale) != language)
        continue;
      std::vector<std::string>& list = has(e->code) ? covered : missing;
      const bool first =
          std::find(list.begin(), list.end(), e->code) == list.end();
      if (first) list.push_back(e->code);
      if (&list != &missing) continue;
      missingText += first ? std::string(missingText.empty() ? "" : ", ") +
                                 "[" + e->code + "] " + e->locale
                           : std::string(" ") + e->locale;
    }
    if (covered.empty() || missing.empty()) continue;
    std::string coveredText;
    for (const std::string& code : covered) coveredText += " [" + code + "]";
    warn({Code::kRegionsUncovered, shown, 0, 0,
          "covers the language " + language + " for some regions only (" +
              coveredText.substr(1) + "): no section " + missingText +
              " (code and locales): their users get empty boxes"});
  }
}

}  // namespace

bool ForEachLanguage(const emulation::Windows& windows,
                     const std::string& folder,
                     const std::function<bool(const std::string&)>& visit) {
  const std::string messages = FindFile(windows, folder, kMessageFileName);
  if (messages.empty()) return false;
  SectionLister lister(visit);
  char value[text::kBufferSize];
  return windows.system().Read(messages, [&](ini::Source& source) {
    ini::Scan(&source, value, text::kReadSize, &lister);
  });
}

void Lint(const emulation::Windows& windows, const std::string& codePage,
          const std::string& folder, const std::string& language,
          const WarningSink& warn) {
  const std::string settings = FindFile(windows, folder, kSettingsFileName);
  const std::string settingsName = emulation::NameOf(settings);
  SettingsScan settingsScan(settingsName,
                            windows.rules() == emulation::Rules::kLinux, warn);
  if (ScanFile(windows, codePage, settings, settingsName, &settingsScan, warn))
    settingsScan.Finish();
  else
    warn({Code::kSettingsUnreadable, kSettingsFileName, 0, 0,
          "exists but cannot be read: every setting takes its default "
          "(Verbose and SetupOnly on, nothing is ever offered)"});

  const std::string messages = FindFile(windows, folder, kMessageFileName);
  const std::string shown =
      messages.empty() ? kMessageFileName : emulation::NameOf(messages);
  MessageScan messageScan(shown, language, warn);
  if (!messages.empty() &&
      ScanFile(windows, codePage, messages, shown, &messageScan, warn))
    messageScan.Finish();
  else
    warn({Code::kMessagesMissing, shown, 0, 0,
          "is missing: every question is an empty box"});
  std::vector<std::string> sections;
  ForEachLanguage(windows, folder, [&](const std::string& code) {
    sections.push_back(code);
    return false;
  });
  LintRegionalCoverage(sections, shown, warn);

  LintSetup(settingsName, settingsScan.Where(kSetupName), warn);
  LintInstalled(windows, settingsName, settingsScan.Where(kIniFile), warn);
  LintAutorun(windows, codePage, folder, warn);
}

}  // namespace check
