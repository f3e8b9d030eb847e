// pellomar-check: tells what the launcher would do with a folder, and warns
// about mistakes in its files, without showing, starting or writing anything.
// It runs the launcher's own code on a platform that records (recorder.h)
// over the Windows emulation of the folder, and reports from the record.
#include <getopt.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "checker/code_page.h"
#include "checker/diagnostics.h"
#include "checker/host.h"
#include "checker/lint.h"
#include "checker/lint_scan.h"
#include "checker/medium.h"
#include "checker/output.h"
#include "checker/recorder.h"
#include "checker/report.h"
#include "config/keys.h"
#include "config/readers.h"
#include "config/text.h"
#include "launcher/launcher.h"
#include "launcher/reporter.h"
#include "portable/emulation/paths.h"

namespace {

// How many languages `--lang all` runs.
constexpr std::size_t kMostLanguages = 100;
const char kAllLanguages[] = "all";

// The environment variable that holds codes to leave out, as --disable does.
const char kDisableVariable[] = "PELLOMAR_CHECK_DISABLE";

const char kUsage[] =
    "usage: pellomar-check [OPTION]... FOLDER\n"
    "Shows what the launcher in FOLDER would do, and warns about mistakes in\n"
    "its files. Nothing is shown, started or written.\n"
    "  -t, --target=windows|linux|all  the launcher predicted: pellomar.exe\n"
    "                              on Windows (the default), the Linux one,\n"
    "                              or both in one run\n"
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
    "  -f, --format=text|gcc|json|sarif  the report (default text), the\n"
    "                              warnings one a line, a JSON object, or a\n"
    "                              SARIF 2.1.0 log\n"
    "  -q, --quiet                 the same as --format=gcc\n"
    "  -d, --disable=CODE[,CODE]   leave these warnings out (also from\n"
    "                              PELLOMAR_CHECK_DISABLE)\n"
    "      --list-codes            list the codes of every warning\n"
    "  -h, --help                  print this help\n"
    "      --version               print the version\n"
    "Exit status: 0 clean, 1 warnings (disabled ones do not count), 2 the\n"
    "folder cannot be checked (or the options are wrong).\n";

const char kVersionText[] =
    "pellomar-check " PELLOMAR_VERSION
    "\n"
    "Copyright (c) 2026 The Pellomar developers\n"
    "License MIT: <https://opensource.org/licenses/MIT>\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

enum class Format { kText, kGcc, kJson, kSarif };

struct Options {
  unsigned targets = check::kWindowsTarget;
  std::string language;   // empty: the target's default
  unsigned codePage = 0;  // 0: the language's
  check::Situation situation;
  Format format = Format::kText;
  std::vector<bool> disabled = std::vector<bool>(check::kRuleCount);
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

// Marks the codes of `list` (separated by commas or blanks) as disabled;
// false, with the unknown code in `bad`, when one is not in the catalogue.
bool Disable(const std::string& list, std::vector<bool>* disabled,
             std::string* bad) {
  std::size_t at = 0;
  while (at < list.size()) {
    const std::size_t end = list.find_first_of(", ", at);
    const std::string code = list.substr(at, end - at);
    at = end == std::string::npos ? list.size() : end + 1;
    if (code.empty()) continue;
    const check::Rule* rule = check::FindRule(code);
    if (rule == nullptr) {
      *bad = code;
      return false;
    }
    (*disabled)[static_cast<std::size_t>(rule->id)] = true;
  }
  return true;
}

void ListCodes() {
  for (std::size_t i = 0; i < check::kRuleCount; ++i) {
    const check::Rule& rule = check::Rules()[i];
    check::Print("%s %s (%s): %s\n", rule.code, rule.name,
                 check::GroupName(rule.group), rule.explanation);
  }
}

// Reads the command line into `options`; returns an exit status when the
// program is to end at once (help, version, a mistake), else -1.
int ParseOptions(int argc, char** argv, Options* options) {
  enum { kInstalledVersion = 256, kRunning, kVersion, kListCodes, kCodePage };
  const option longOptions[] = {
      {"target", required_argument, nullptr, 't'},
      {"lang", required_argument, nullptr, 'l'},
      {"installed-version", required_argument, nullptr, kInstalledVersion},
      {"running", no_argument, nullptr, kRunning},
      {"codepage", required_argument, nullptr, kCodePage},
      {"answer", required_argument, nullptr, 'a'},
      {"format", required_argument, nullptr, 'f'},
      {"quiet", no_argument, nullptr, 'q'},
      {"disable", required_argument, nullptr, 'd'},
      {"list-codes", no_argument, nullptr, kListCodes},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, kVersion},
      {nullptr, 0, nullptr, 0}};
  bool answered = false;
  check::Situation& s = options->situation;
  std::string bad;
  const char* environment = std::getenv(kDisableVariable);
  if (environment != nullptr && !Disable(environment, &options->disabled, &bad))
    return Fail("unknown warning code '" + bad + "' in " + kDisableVariable);
  opterr = 0;  // the mistakes are told below, in one line each
  for (;;) {
    const int c =
        getopt_long(argc, argv, ":t:l:a:f:qd:h", longOptions, nullptr);
    if (c == -1) break;
    const std::string value = optarg != nullptr ? optarg : "";
    const std::string given = argv[optind - 1];
    switch (c) {
      case 't':
        if (value != "windows" && value != "linux" && value != "all")
          return Fail("--target takes windows, linux or all, not '" + value +
                      "'");
        options->targets = value == "all"     ? check::kBothTargets
                           : value == "linux" ? check::kLinuxTarget
                                              : check::kWindowsTarget;
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
      case 'f':
        if (value == "text")
          options->format = Format::kText;
        else if (value == "gcc")
          options->format = Format::kGcc;
        else if (value == "json")
          options->format = Format::kJson;
        else if (value == "sarif")
          options->format = Format::kSarif;
        else
          return Fail("--format takes text, gcc, json or sarif, not '" + value +
                      "'");
        break;
      case 'q':
        options->format = Format::kGcc;
        break;
      case 'd':
        if (!Disable(value, &options->disabled, &bad))
          return Fail("unknown warning code '" + bad +
                      "' (pellomar-check --list-codes lists them)");
        break;
      case kListCodes:
        ListCodes();
        return 0;
      case 'h':
        check::Print("%s", kUsage);
        return 0;
      case kVersion:
        check::Print("%s", kVersionText);
        return 0;
      case ':':
        return Fail(given.compare(0, 2, "--") != 0
                        ? std::string("option requires an argument -- '") +
                              static_cast<char>(optopt) + "'"
                        : "option '" + given + "' requires an argument");
      default:
        if (given.compare(0, 2, "--") != 0)
          return Fail(std::string("invalid option -- '") +
                      static_cast<char>(optopt) + "'");
        return Fail("unrecognized option '" + given + "'");
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
    const bool none = check::Setting(kIniFile).empty();
    check::Print("  (%s)\n", none ? "--installed-version changes nothing: "
                                    "IniFile is empty, so nothing is installed"
                                  : "the installed version is the one given");
  }
}

// The code page that 8-bit files are read in for a user of `language`.
unsigned CodePageFor(const Options& options, emulation::Rules rules,
                     const std::string& language) {
  if (rules == emulation::Rules::kLinux) return check::kWesternCodePage;
  if (options.codePage != 0) return options.codePage;
  return check::CodePageOfLanguage(language);
}

// The emulation of the folder for a user of one code page.
class Emulation {
 public:
  Emulation(emulation::System& system, emulation::Rules rules,
            unsigned codePage)
      : codePage_(codePage),
        converter_(check::OpenCodePage(codePage)),
        windows_(system, rules,
                 {kSettingsFileName, kMessageFileName, kLinuxSectionSuffix},
                 converter_.get()) {}
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

// One language's run, printed as the report tells it when `print`.
check::LanguageRun Run(const check::Situation& situation, bool print) {
  check::Prepare(situation);
  LauncherMain(nullptr, nullptr, "", 1);
  const std::vector<check::Event>& record = check::Recorded();
  check::LanguageRun run = {situation.language, check::Branch(record), record};
  if (print) {
    check::Print("language: %s\n", run.language.c_str());
    check::Print("branch: %s\n", run.branch.c_str());
    check::Print("run:\n");
    check::PrintRun(record);
  }
  return run;
}

// Predicts one target's launcher and gathers its warnings; the report's
// part for it is printed when `print`. False when FOLDER is no launcher
// folder.
bool Check(const Options& options, const std::string& folder, unsigned target,
           bool print, check::Findings* findings) {
  emulation::System& host = check::HostSystem();
  const bool linuxTarget = target == check::kLinuxTarget;
  const emulation::Rules rules =
      linuxTarget ? emulation::Rules::kLinux : emulation::Rules::kWindows;
  check::FolderSystem system(
      host, folder,
      emulation::Join(folder,
                      linuxTarget ? "autorun" : check::kWindowsLauncherName,
                      findings->separator));
  const Emulation western(system, rules, check::kWesternCodePage);
  const emulation::Windows& windows = western.windows();
  check::Attach(windows);
  if (check::FindFile(windows, folder, kSettingsFileName).empty()) return false;

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

  if (print) {
    check::Print("target: %s\n",
                 linuxTarget ? "linux (the Linux launcher, autorun)"
                             : "windows (the Windows launcher, pellomar.exe)");
    check::Print("folder: %s (the launcher sees %s)\n", folder.c_str(),
                 windows.WindowsPath(folder).c_str());
    PrintLanguages(windows, folder);
    const std::string first = languages.empty() ? "ENU" : languages.front();
    const Emulation emulation(system, rules,
                              CodePageFor(options, rules, first));
    check::Attach(emulation.windows());
    check::Print(
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
  check::Prediction prediction = {target, {}};
  for (const std::string& code : languages) {
    check::Situation situation = options.situation;
    situation.language = code;
    const Emulation emulation(system, rules, CodePageFor(options, rules, code));
    check::Attach(emulation.windows());
    prediction.runs.push_back(Run(situation, print));
  }
  findings->predictions.push_back(prediction);
  if (print && more > 0)
    check::Print("languages not run: %lu more (only the first %lu are)\n",
                 static_cast<unsigned long>(more),
                 static_cast<unsigned long>(kMostLanguages));

  const check::WarningSink warn = [findings, target](const check::Warning& w) {
    findings->Add(w, target);
  };
  const Emulation linted(system, rules,
                         CodePageFor(options, rules, all ? "" : language));
  check::Attach(linted.windows());
  if (linuxTarget)
    check::CheckLinuxMedium(linted.windows(), folder, print, warn);
  check::Lint(linted.windows(), linted.CodePageName(), folder,
              all ? "" : language, warn);
  return true;
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
  check::Findings findings;
  findings.folder = options.folder;
  findings.separator = host.WindowsPaths() ? '\\' : '/';
  findings.targetsNamed = options.targets == check::kBothTargets;
  findings.disabledCodes = options.disabled;
  const bool report = options.format == Format::kText;
  for (unsigned target : {check::kWindowsTarget, check::kLinuxTarget}) {
    if ((options.targets & target) == 0) continue;
    if (!Check(options, folder, target, report, &findings)) {
      check::PrintError(
          "pellomar-check: %s is not a launcher folder: it has no "
          "%s (in any letter case)\n",
          options.folder.c_str(), kSettingsFileName);
      return 2;
    }
  }

  findings.Sort();

  switch (options.format) {
    case Format::kText:
      check::PrintLines(findings);
      check::PrintSummary(findings);
      break;
    case Format::kGcc:
      check::PrintLines(findings);
      break;
    case Format::kJson:
      check::PrintJson(findings);
      break;
    case Format::kSarif:
      check::PrintSarif(findings);
      break;
  }
  return findings.Warnings() == 0 ? 0 : 1;
}
