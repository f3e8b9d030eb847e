// pellomar-check: tells what the launcher would do with a folder, and warns
// about mistakes in its files, without showing, starting or writing anything.
// It runs the launcher's own code on a platform that records (recorder.h)
// over the Windows emulation of the folder, and reports from the record.
#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "checker/host.h"
#include "checker/lint.h"
#include "checker/recorder.h"
#include "checker/report.h"
#include "config/keys.h"
#include "config/readers.h"
#include "config/text.h"
#include "launcher/launcher.h"
#include "launcher/reporter.h"
#include "platform/emulation/paths.h"

namespace {

// How many languages `--lang all` runs.
constexpr std::size_t kMostLanguages = 100;
const char kAllLanguages[] = "all";

const char kUsage[] =
    "usage: pellomar-check [OPTION]... FOLDER\n"
    "Shows what the launcher in FOLDER would do, and warns about mistakes in\n"
    "its files. Nothing is shown, started or written.\n"
    "  -t, --target=windows|linux  the launcher predicted: pellomar.exe on\n"
    "                              Windows (the default) or the Linux one\n"
    "  -l, --lang=CODE             the user's language code (default ENU;\n"
    "                              for Linux, what the Linux launcher finds);\n"
    "                              'all' runs every language of pellomar.dat\n"
    "      --installed-version=N   the installed version, instead of reading\n"
    "                              IniFile\n"
    "      --running               the application is running (ClassName)\n"
    "  -a, --answer=yes|no         the answer to the questions; repeat it to\n"
    "                              answer them one by one (default yes)\n"
    "  -q, --quiet                 print the warnings only\n"
    "  -h, --help                  print this help\n"
    "      --version               print the version\n"
    "Exit status: 0 clean, 1 warnings, 2 the folder cannot be checked (or the\n"
    "options are wrong).\n";

struct Options {
  emulation::Rules rules = emulation::Rules::kWindows;
  std::string language;  // empty: the target's default
  check::Situation situation;
  bool quiet = false;
  std::string folder;
};

int Fail(const std::string& message) {
  check::PrintError(
      "pellomar-check: %s\nTry 'pellomar-check --help' for more "
      "information.\n",
      message.c_str());
  return 2;
}

bool ParseInt(const char* text, int* value) {
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || n < -2147483647L - 1 || n > 2147483647L)
    return false;
  *value = static_cast<int>(n);
  return true;
}

// Reads the command line into `options`; returns an exit status when the
// program is to end at once (help, version, a mistake), else -1.
int ParseOptions(int argc, char** argv, Options* options) {
  enum { kInstalledVersion = 256, kRunning, kVersion };
  const option longOptions[] = {
      {"target", required_argument, nullptr, 't'},
      {"lang", required_argument, nullptr, 'l'},
      {"installed-version", required_argument, nullptr, kInstalledVersion},
      {"running", no_argument, nullptr, kRunning},
      {"answer", required_argument, nullptr, 'a'},
      {"quiet", no_argument, nullptr, 'q'},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, kVersion},
      {nullptr, 0, nullptr, 0}};
  bool answered = false;
  check::Situation& s = options->situation;
  for (;;) {
    const int c = getopt_long(argc, argv, "t:l:a:qh", longOptions, nullptr);
    if (c == -1) break;
    const std::string value = optarg != nullptr ? optarg : "";
    switch (c) {
      case 't':
        if (value != "windows" && value != "linux")
          return Fail("--target takes windows or linux, not '" + value + "'");
        options->rules = value == "linux" ? emulation::Rules::kLinux
                                          : emulation::Rules::kWindows;
        break;
      case 'l':
        if (value.empty()) return Fail("--lang takes a language code");
        options->language = value;
        break;
      case kInstalledVersion:
        s.overrideInstalled = true;
        if (!ParseInt(optarg, &s.installedVersion))
          return Fail("not a whole number: '" + value + "'");
        break;
      case kRunning:
        s.running = true;
        break;
      case 'a':
        if (value != "yes" && value != "no")
          return Fail("--answer takes yes or no, not '" + value + "'");
        if (!answered) s.answers.clear();
        answered = true;
        s.answers.push_back(value == "yes");
        s.answerAfterwards = value == "yes";
        break;
      case 'q':
        options->quiet = true;
        break;
      case 'h':
        check::Print("%s", kUsage);
        return 0;
      case kVersion:
        check::Print("pellomar-check %s\n", PELLOMAR_VERSION);
        return 0;
      default:  // getopt_long has said what was wrong
        return Fail("the options are wrong");
    }
  }
  if (optind >= argc) return Fail("no FOLDER given");
  if (optind + 1 < argc)
    return Fail(std::string("one FOLDER only, not also '") + argv[optind + 1] +
                "'");
  options->folder = argv[optind];
  return -1;
}

void PrintLanguages(const emulation::Windows& windows,
                    const std::string& folder) {
  check::Print("languages in %s:", kMessageFileName);
  const bool read =
      check::ForEachLanguage(windows, folder, [](const std::string& language) {
        check::Print(" %s", language.c_str());
        return false;
      });
  check::Print("%s\n", read ? "" : " none (the file cannot be read)");
  check::Print(
      "  any other language gets empty boxes (there is no fallback)\n");
}

// The settings as the launcher's own options dump lists them.
void PrintSettings(const check::Situation& situation) {
  check::Situation dump = situation;
  dump.answers = {true};
  check::Prepare(dump);
  Reporter(1).DumpOptions();
  check::Print("settings (the launcher's options dump):\n");
  bool first = true;
  for (const check::Event& e : check::Recorded()) {
    if (e.kind != check::Event::kBox) continue;
    if (!first) check::Print("  %s\n", e.text.c_str());
    first = false;
  }
  check::Print("  Verbose=%d\n", ReadSettingInt(kVerbose));
  if (situation.overrideInstalled) {
    char iniFile[text::kBufferSize];
    const bool none = ReadSetting(kIniFile, iniFile, text::kReadSize) == 0;
    check::Print("  (%s)\n", none ? "--installed-version changes nothing: "
                                    "IniFile is empty, so nothing is installed"
                                  : "the installed version is the one given");
  }
}

void Run(const check::Situation& situation) {
  check::Prepare(situation);
  LauncherMain(nullptr, nullptr, "", 1);
  check::Print("language: %s\n", situation.language.c_str());
  check::Print("branch: %s\n", check::Branch(check::Recorded()));
  check::Print("run:\n");
  check::PrintRun(check::Recorded());
}

}  // namespace

int main(int argc, char** argv) {
  // The arguments in UTF-8, however the system hands them over; getopt
  // reorders the pointers, never the texts.
  std::vector<std::string> arguments = check::Arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(&argument[0]);
  pointers.push_back(nullptr);
  Options options;
  const int early = ParseOptions(static_cast<int>(arguments.size()),
                                 pointers.data(), &options);
  if (early >= 0) return early;

  emulation::System& host = check::HostSystem();
  std::string folder = check::FullPath(options.folder);
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
    folder.pop_back();
  if (folder.empty() ||
      host.Inspect(folder).kind != emulation::Entry::kFolder) {
    check::PrintError("pellomar-check: %s is not a folder\n",
                      options.folder.c_str());
    return 2;
  }
  const bool linuxTarget = options.rules == emulation::Rules::kLinux;
  const char separator = host.WindowsPaths() ? '\\' : '/';
  check::FolderSystem system(
      host, folder,
      emulation::Join(folder, linuxTarget ? "autorun" : "pellomar.exe",
                      separator));
  const emulation::Windows windows(system, options.rules);
  check::Attach(windows);
  if (windows.Locate(emulation::Join(folder, kSettingsFileName, separator))
          .empty()) {
    check::PrintError(
        "pellomar-check: %s is not a launcher folder: it has no %s "
        "(in any letter case)\n",
        options.folder.c_str(), kSettingsFileName);
    return 2;
  }

  std::string language = options.language;
  if (language.empty()) {
    // The Linux launcher's language is this user's; a Windows user's cannot
    // be known from here.
    char code[text::kBufferSize] = "ENU";
    if (linuxTarget)
      windows.GetProfileString("intl", "sLanguage", "ENU", code,
                               text::kReadSize);
    language = code;
  }
  const bool all = language == kAllLanguages;
  std::vector<std::string> languages;
  std::size_t more = 0;
  if (all) {
    check::ForEachLanguage(windows, folder, [&](const std::string& code) {
      if (languages.size() < kMostLanguages)
        languages.push_back(code);
      else
        ++more;
      return false;
    });
  } else {
    languages.push_back(language);
  }

  if (!options.quiet) {
    check::Print("target: %s\n",
                 linuxTarget ? "linux (the Linux launcher, autorun)"
                             : "windows (the Windows launcher, pellomar.exe)");
    check::Print("folder: %s (the launcher sees %s)\n", folder.c_str(),
                 windows.WindowsPath(folder).c_str());
    PrintLanguages(windows, folder);
    check::Situation first = options.situation;
    first.language = languages.empty() ? "ENU" : languages.front();
    PrintSettings(first);
  }
  for (const std::string& code : languages) {
    if (options.quiet) break;
    check::Situation situation = options.situation;
    situation.language = code;
    Run(situation);
  }
  if (!options.quiet && more > 0)
    check::Print("languages not run: %lu more (only the first %lu are)\n",
                 static_cast<unsigned long>(more),
                 static_cast<unsigned long>(kMostLanguages));

  unsigned long warnings = 0;
  check::Lint(windows, folder, all ? "" : language,
              [&warnings](const check::Warning& w) {
                ++warnings;
                if (w.line > 0)
                  check::Print("%s:%lu: warning: %s\n", w.file.c_str(), w.line,
                               w.text.c_str());
                else
                  check::Print("%s: warning: %s\n", w.file.c_str(),
                               w.text.c_str());
              });
  if (!options.quiet) check::Print("warnings: %lu\n", warnings);
  return warnings == 0 ? 0 : 1;
}
