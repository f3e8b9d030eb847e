// pellomar-check: tells what the launcher would do with a folder, and warns
// about mistakes in its files, without showing, starting or writing anything.
// It runs the launcher's own code on a platform that records (recorder.h)
// over the Windows emulation of the folder, and reports from the record.
#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "checker/code_page.h"
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
    "      --codepage=N            the Windows code page of 8-bit files\n"
    "                              (default: the language's, 1252 for\n"
    "                              Western ones; Linux always reads 1252)\n"
    "  -a, --answer=yes|no         the answer to the questions; repeat it to\n"
    "                              answer them one by one (default yes)\n"
    "  -q, --quiet                 print the warnings only\n"
    "  -h, --help                  print this help\n"
    "      --version               print the version\n"
    "Exit status: 0 clean, 1 warnings, 2 the folder cannot be checked (or the\n"
    "options are wrong).\n";

struct Options {
  emulation::Rules rules = emulation::Rules::kWindows;
  std::string language;   // empty: the target's default
  unsigned codePage = 0;  // 0: the language's
  check::Situation situation;
  bool quiet = false;
  std::string folder;
};

int Fail(const std::string& message) {
  std::fprintf(stderr,
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
  enum { kInstalledVersion = 256, kRunning, kVersion, kCodePage };
  const option longOptions[] = {
      {"target", required_argument, nullptr, 't'},
      {"lang", required_argument, nullptr, 'l'},
      {"installed-version", required_argument, nullptr, kInstalledVersion},
      {"running", no_argument, nullptr, kRunning},
      {"codepage", required_argument, nullptr, kCodePage},
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
      case kCodePage: {
        int number = 0;
        if (!ParseInt(optarg, &number) || number <= 0 ||
            check::OpenCodePage(static_cast<unsigned>(number)) == nullptr)
          return Fail(
              "--codepage takes a code page this system can "
              "convert, not '" +
              value + "'");
        options->codePage = static_cast<unsigned>(number);
        break;
      }
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
        std::printf("%s", kUsage);
        return 0;
      case kVersion:
        std::printf("pellomar-check %s\n", PELLOMAR_VERSION);
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
  std::printf("languages in %s:", kMessageFileName);
  const bool read =
      check::ForEachLanguage(windows, folder, [](const std::string& language) {
        std::printf(" %s", language.c_str());
        return false;
      });
  std::printf("%s\n", read ? "" : " none (the file cannot be read)");
  std::printf("  any other language gets empty boxes (there is no fallback)\n");
}

// The settings as the launcher's own options dump lists them.
void PrintSettings(const check::Situation& situation) {
  check::Situation dump = situation;
  dump.answers = {true};
  check::Prepare(dump);
  Reporter(1).DumpOptions();
  std::printf("settings (the launcher's options dump):\n");
  bool first = true;
  for (const check::Event& e : check::Recorded()) {
    if (e.kind != check::Event::kBox) continue;
    if (!first) std::printf("  %s\n", e.text.c_str());
    first = false;
  }
  std::printf("  Verbose=%d\n", ReadSettingInt(kVerbose));
  if (situation.overrideInstalled) {
    char iniFile[text::kBufferSize];
    const bool none = ReadSetting(kIniFile, iniFile, text::kReadSize) == 0;
    std::printf("  (%s)\n", none ? "--installed-version changes nothing: "
                                   "IniFile is empty, so nothing is installed"
                                 : "the installed version is the one given");
  }
}

// The code page that 8-bit files are read in for a user of `language`.
unsigned CodePageFor(const Options& options, const std::string& language) {
  if (options.rules == emulation::Rules::kLinux) return check::kWesternCodePage;
  if (options.codePage != 0) return options.codePage;
  return check::CodePageOfLanguage(language);
}

// The emulation of the folder for a user of one code page.
class Emulation {
 public:
  Emulation(emulation::System& system, const Options& options,
            unsigned codePage)
      : codePage_(codePage),
        converter_(check::OpenCodePage(codePage)),
        windows_(system, options.rules, converter_.get()) {}
  const emulation::Windows& windows() const { return windows_; }
  // The code page's name, with what reads in it when this system has no
  // converter for it.
  std::string CodePageName() const {
    return check::CodePageName(codePage_) +
           (converter_ == nullptr && codePage_ != check::kWesternCodePage
                ? ", which this system cannot convert: read as 1252"
                : "");
  }

 private:
  unsigned codePage_;
  std::unique_ptr<check::Converter> converter_;
  emulation::Windows windows_;
};

void Run(const check::Situation& situation) {
  check::Prepare(situation);
  LauncherMain(nullptr, nullptr, "", 1);
  std::printf("language: %s\n", situation.language.c_str());
  std::printf("branch: %s\n", check::Branch(check::Recorded()));
  std::printf("run:\n");
  check::PrintRun(check::Recorded());
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int early = ParseOptions(argc, argv, &options);
  if (early >= 0) return early;

  emulation::System& host = check::HostSystem();
  std::string folder = check::FullPath(options.folder);
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
    folder.pop_back();
  if (folder.empty() ||
      host.Inspect(folder).kind != emulation::Entry::kFolder) {
    std::fprintf(stderr, "pellomar-check: %s is not a folder\n",
                 options.folder.c_str());
    return 2;
  }
  const bool linuxTarget = options.rules == emulation::Rules::kLinux;
  const char separator = host.WindowsPaths() ? '\\' : '/';
  check::FolderSystem system(
      host, folder,
      emulation::Join(folder, linuxTarget ? "autorun" : "pellomar.exe",
                      separator));
  const Emulation western(system, options, check::kWesternCodePage);
  const emulation::Windows& windows = western.windows();
  check::Attach(windows);
  if (windows.Locate(emulation::Join(folder, kSettingsFileName, separator))
          .empty()) {
    std::fprintf(stderr,
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
    std::printf("target: %s\n",
                linuxTarget ? "linux (the Linux launcher, autorun)"
                            : "windows (the Windows launcher, pellomar.exe)");
    std::printf("folder: %s (the launcher sees %s)\n", folder.c_str(),
                windows.WindowsPath(folder).c_str());
    PrintLanguages(windows, folder);
    const std::string first = languages.empty() ? "ENU" : languages.front();
    const Emulation emulation(system, options, CodePageFor(options, first));
    check::Attach(emulation.windows());
    std::printf(
        "files: %s and %s by the launcher's own reader (UTF-8 with or "
        "without its mark, UTF-16 with it, else 8-bit text in %s); IniFile's "
        "file by %s\n",
        kSettingsFileName, kMessageFileName, emulation.CodePageName().c_str(),
        linuxTarget ? "the same reader"
                    : "Windows' own profile functions (UTF-16 with its "
                      "little-endian mark, else 8-bit text)");
    check::Situation situation = options.situation;
    situation.language = first;
    PrintSettings(situation);
  }
  for (const std::string& code : languages) {
    if (options.quiet) break;
    check::Situation situation = options.situation;
    situation.language = code;
    const Emulation emulation(system, options, CodePageFor(options, code));
    check::Attach(emulation.windows());
    Run(situation);
  }
  if (!options.quiet && more > 0)
    std::printf("languages not run: %lu more (only the first %lu are)\n",
                static_cast<unsigned long>(more),
                static_cast<unsigned long>(kMostLanguages));

  unsigned long warnings = 0;
  const Emulation linted(system, options,
                         CodePageFor(options, all ? "" : language));
  check::Attach(linted.windows());
  const bool quiet = options.quiet;
  check::Lint(linted.windows(), linted.CodePageName(), folder,
              all ? "" : language, [&](const check::Warning& w) {
                if (w.note && quiet) return;
                warnings += w.note ? 0 : 1;
                const char* kind = w.note ? "note" : "warning";
                if (w.line > 0)
                  std::printf("%s:%lu: %s: %s\n", w.file.c_str(), w.line, kind,
                              w.text.c_str());
                else
                  std::printf("%s: %s: %s\n", w.file.c_str(), kind,
                              w.text.c_str());
              });
  if (!options.quiet) std::printf("warnings: %lu\n", warnings);
  return warnings == 0 ? 0 : 1;
}
