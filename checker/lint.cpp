#include "checker/lint.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "checker/recorder.h"
#include "codec/utf.h"
#include "config/keys.h"
#include "config/readers.h"
#include "config/text.h"
#include "launcher/launcher.h"
#include "platform/ascii.h"
#include "platform/emulation/paths.h"
#include "platform/ini/ini_reader.h"
#include "platform/seam.h"

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
      warn_({shown_, 0,
             "looks like UTF-16 without a byte-order mark: the launcher "
             "reads it as 8-bit text and finds nothing (save it with the "
             "mark)"});
    else if (encoding == ini::Encoding::kCodePage)
      warn_({shown_, 0,
             "is 8-bit text, not UTF-8: read in " + codePage_ +
                 " (save it as UTF-8 or UTF-16 to show the same on every "
                 "system)",
             true});
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
  char value[text::kBufferSize];
  return windows.system().Read(native, [&](ini::Source& source) {
    Sniffer sniffer(source);
    EncodingCheck check(shown, codePage, sniffer, *visitor, warn);
    ini::Scan(&sniffer, value, text::kReadSize, &check, &windows.codePage());
  });
}

std::string Quoted(const char* text) { return std::string("\"") + text + "\""; }

// The warning for a value that does not fit, with how many characters of
// its widest script would (in UTF-8 a Cyrillic letter takes 2 bytes, a
// Japanese one 3); empty when it fits. The value is UTF-8 as read, cut.
std::string DoesNotFit(const std::string& key, const ini::Line& line,
                       ini::Encoding encoding) {
  if (!line.valueCut) return "";
  std::size_t widest = 1;
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.value);
  for (std::size_t i = 0; i < line.valueLength;) {
    const std::size_t n = std::max<std::size_t>(
        1, utf::SequenceLength(bytes + i, line.valueLength - i));
    widest = std::max(widest, n);
    i += n;
  }
  std::string problem =
      key + " is longer than " + std::to_string(text::kLongestValue) +
      " bytes" +
      (encoding == ini::Encoding::kCodePage ? " once read into UTF-8" : "") +
      " and is cut";
  if (widest > 1)
    problem += " (at " + std::to_string(widest) +
               " bytes a character in UTF-8, " +
               std::to_string(text::kLongestValue / widest) +
               " characters of that script fit)";
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

  void Finish() {
    const bool read = sawAuto_ || (linuxRules_ && sawLinux_);
    if (!read) {
      warn_({shown_, 0,
             "has no [Auto] section: every setting takes its default "
             "(Verbose and SetupOnly on, Version -1)"});
      return;
    }
    for (SettingIndex index : {kVerbose, kSetupOnly}) {
      if (Set(index)) continue;
      const std::string key = SettingKey[index];
      warn_({shown_, autoLine_,
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
        emulation::Windows::LinuxSection(SettingKey[kSettingsSection]);
    part_ = Part::kIgnored;
    if (Same(name, SettingKey[kSettingsSection])) {
      if (!sawAuto_) autoLine_ = line.number;
      if (!Repeated(&sawAuto_, line)) part_ = Part::kAuto;
    } else if (Same(name, linuxSection.c_str())) {
      if (!Repeated(&sawLinux_, line)) part_ = Part::kLinux;
    } else {
      warn_({shown_, line.number,
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
    warn_({shown_, line.number,
           std::string("section [") + line.name +
               "] again: only the first section of a name is read, so its "
               "keys are not"});
    return true;
  }

  void Key(const ini::Line& line) override {
    if (part_ == Part::kIgnored) return;
    if (part_ == Part::kOutside) {
      warn_({shown_, line.number,
             Quoted(line.name) +
                 " stands before any section header and is never read"});
      return;
    }
    int index = -1;
    for (SettingIndex i : kLauncherSettingKeys) {
      if (Same(line.name, SettingKey[i])) index = i;
    }
    if (index < 0) {
      warn_({shown_, line.number,
             "unknown key " + Quoted(line.name) + " (did you mean " +
                 Nearest(line.name, SettingsKeyNames()) + "?)"});
      return;
    }
    bool* seen = (part_ == Part::kAuto ? seenAuto_ : seenLinux_) + index;
    if (*seen) {
      warn_({shown_, line.number,
             std::string(line.name) +
                 " again in this section: only the first is read"});
      return;
    }
    *seen = true;
    Value(static_cast<SettingIndex>(index), line);
  }

  void Value(SettingIndex index, const ini::Line& line) {
    const std::string key = SettingKey[index];
    bool* set = (part_ == Part::kAuto ? setAuto_ : setLinux_) + index;
    *set = line.hasValue && line.valueLength > 0;
    const std::string cut = DoesNotFit(key, line, encoding_);
    if (!cut.empty()) warn_({shown_, line.number, cut});
    if (std::strstr(line.value, " ;") != nullptr)
      warn_({shown_, line.number,
             key + " " + Quoted(line.value) +
                 " holds \" ;\": a comment on the line of a value is part of "
                 "the value (every box would show it); put comments on "
                 "their own lines"});
    const bool integer = std::find(std::begin(kIntegerSettingKeys),
                                   std::end(kIntegerSettingKeys),
                                   index) != std::end(kIntegerSettingKeys);
    if (integer && *set && !IsPlainInteger(line.value))
      warn_({shown_, line.number,
             key + " " + Quoted(line.value) +
                 " is not a plain whole number: the launcher reads it as " +
                 std::to_string(ini::ParseInt(line.value))});
    if (index != kSetupName) return;
    if (RelativeToCurrentFolder(line.value))
      warn_({shown_, line.number,
             "SetupName " + Quoted(line.value) +
                 " is taken from the current folder, which is wherever the "
                 "launcher was started from, not from its own folder (a name "
                 "such as setup.exe or sub\\setup.exe is found beside the "
                 "launcher)"});
    else if (DriveWithoutFolder(line.value))
      warn_({shown_, line.number,
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
  bool seenAuto_[kSettingCount] = {};
  bool seenLinux_[kSettingCount] = {};
  bool setAuto_[kSettingCount] = {};
  bool setLinux_[kSettingCount] = {};
};

// Conversions of a message text other than one "%s".
std::string ConversionProblem(const std::string& text) {
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
      warn_({shown_, 0,
             "has no section [" + language_ +
                 "]: users of that language see empty questions (there is "
                 "no fallback)"});
  }

 private:
  void Section(const ini::Line& line) override {
    EndSection();
    section_ = line.name;
    sectionLine_ = line.number;
    inSection_ = false;
    if (Same(section_, SettingKey[kSettingsSection])) {
      warn_({shown_, line.number,
             "section [" + section_ +
                 "] is never read here: settings belong in pellomar.ini"});
    } else if (!sections_.Insert(line.name)) {
      warn_({shown_, line.number,
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
        warn_({shown_, sectionLine_,
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
      warn_({shown_, line.number,
             "unknown key " + Quoted(line.name) + " in [" + section_ +
                 "] (did you mean " + Nearest(line.name, MessageKey) + "?)"});
      return;
    }
    if (present_[index]) return;
    present_[index] = line.hasValue;
    const std::string key = MessageKey[index];
    const std::string cut = DoesNotFit(key, line, encoding_);
    if (!cut.empty()) warn_({shown_, line.number, cut});
    if (index == kSetupErr) {
      if (std::strchr(line.value, '%') != nullptr)
        warn_({shown_, line.number,
               "SetupErr is shown exactly as written: its % appears "
               "literally and AppName is not inserted"});
      return;
    }
    const std::string problem = ConversionProblem(line.value);
    if (!problem.empty()) warn_({shown_, line.number, key + " " + problem});
  }

  std::string shown_;
  std::string language_;
  const WarningSink& warn_;
  NameSet sections_;
  std::string section_;
  unsigned long sectionLine_ = 0;
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
  char value[text::kBufferSize];
  ReadSetting(index, value, text::kReadSize);
  return value;
}

// What the launcher's own RunSetup would start, and whether it could.
void LintSetup(const WarningSink& warn) {
  Prepare(Situation());
  RunSetup();
  const std::vector<Event> run = Recorded();  // reads below add to the record
  for (const Event& e : run) {
    if (e.kind != Event::kStart || platform::Started(e.start.result)) continue;
    const bool missing = e.start.result == platform::kFileNotFound ||
                         e.start.result == platform::kPathNotFound;
    warn({kSettingsFileName, 0,
          "SetupName " + Quoted(Setting(kSetupName).c_str()) +
              (missing ? " names no file beside the launcher ("
                       : " cannot be started (") +
              e.text + ": " + e.start.why + ")"});
  }
}

void LintInstalled(const emulation::Windows& windows, const WarningSink& warn) {
  const std::string iniFile = Setting(kIniFile);
  if (iniFile.empty()) return;
  const std::string found = windows.Locate(windows.ProfileFile(iniFile));
  if (found.empty()) return;  // not installed yet: no mistake
  const emulation::Entry entry = windows.system().Inspect(found);
  if (entry.kind != emulation::Entry::kFile || !entry.readable) {
    warn({kSettingsFileName, 0,
          "IniFile " + Quoted(iniFile.c_str()) +
              " exists but cannot be read as a file"});
    return;
  }
  char value[text::kBufferSize];
  if (ReadInstalledCommand(value, text::kReadSize) == 0) return;
  const std::string command = value;
  if (command[0] == '"') return;
  const std::size_t exe = Lower(command).find(".exe");
  const std::string program = exe != std::string::npos
                                  ? command.substr(0, exe)
                                  : command.substr(0, command.rfind('\\') + 1);
  if (program.find(' ') != std::string::npos)
    warn({iniFile, 0,
          "Command " + Quoted(value) +
              " has blanks in its program path and no quotes as the launcher "
              "reads it (quotes around the whole value are removed): Windows "
              "may start another program (such as C:\\Program.exe); quote "
              "the program path and let something follow it, such as an "
              "argument"});
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
  SettingsScan settingsScan(emulation::NameOf(settings),
                            windows.rules() == emulation::Rules::kLinux, warn);
  if (ScanFile(windows, codePage, settings, emulation::NameOf(settings),
               &settingsScan, warn))
    settingsScan.Finish();
  else
    warn({kSettingsFileName, 0,
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
    warn({shown, 0, "is missing: every question is an empty box"});

  LintSetup(warn);
  LintInstalled(windows, warn);
}

}  // namespace check
