// pellomar-check: tells what the launcher would do with a folder, and warns
// about mistakes in its files, without showing, starting or writing anything.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "checker/check_platform.h"
#include "checker/lint.h"
#include "config/readers.h"
#include "launcher/launcher.h"

namespace {

const char kUsage[] =
    "usage: pellomar-check [options] FOLDER\n"
    "Shows what the launcher in FOLDER would do, and warns about mistakes in\n"
    "its files. Nothing is shown, started or written.\n"
    "  --lang CODE             the user's language code (default ENU)\n"
    "  --installed-version N   the installed version, instead of reading "
    "IniFile\n"
    "  --running               the application is running (ClassName exists)\n"
    "  --answer yes|no         the answer to the questions; repeat it to "
    "answer\n"
    "                          them one by one (default yes)\n"
    "  --quiet                 print the warnings only\n"
    "Exit status: 0 clean, 1 warnings, 2 the folder cannot be checked.\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "pellomar-check: %s\n%s", message.c_str(), kUsage);
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

std::string Setting(SettingIndex index) {
  char value[256];
  ReadSetting(index, value, 255);
  return value;
}

void PrintDecision(const check::Situation& situation) {
  std::printf("settings:\n");
  std::printf("  ClassName=<%s>\n", Setting(kClassName).c_str());
  std::printf("  AppName=<%s>\n", Setting(kAppName).c_str());
  std::printf("  SetupName=<%s>\n", Setting(kSetupName).c_str());
  const int setupVersion = ReadSettingInt(kVersion);
  const int installed = ReadInstalledVersion();
  std::printf("  setup version %d\n", setupVersion);
  std::printf("  installed version %d%s\n", installed,
              situation.overrideInstalled ? " (given)" : "");
  const int setupOnly = ReadSettingInt(kSetupOnly);
  std::printf("  %s\n", setupOnly != 0 ? "setup only" : "run setup or exe");
  std::printf("  IniFile=<%s>\n", Setting(kIniFile).c_str());
  std::printf("  Verbose=%d\n", ReadSettingInt(kVerbose));

  const char* branch;
  if (situation.running && !Setting(kClassName).empty())
    branch = "already running: nothing is offered";
  else if (setupVersion > installed)
    branch = "setup offered (the setup's version is newer)";
  else if (setupOnly != 0)
    branch = "installed, setup only: nothing is offered";
  else
    branch = "installed application offered";
  std::printf("branch: %s\n", branch);

  std::printf("run:\n");
  for (const check::Event& e : check::Recorded()) {
    if (e.kind == check::Event::kBox) {
      std::printf("  box 0x%02x [%s] %s\n", e.style, e.caption.c_str(),
                  e.text.c_str());
    } else {
      std::printf("  %s %s\n", e.exists ? "start" : "fails to start",
                  e.text.c_str());
      std::printf("    program %s: %s\n",
                  e.native.empty() ? "(not on this machine)" : e.native.c_str(),
                  e.exists ? "exists" : "missing");
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  check::Situation situation;
  bool quiet = false;
  bool answered = false;
  const char* folder = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--lang" && hasValue) {
      situation.language = argv[++i];
    } else if (arg == "--installed-version" && hasValue) {
      situation.overrideInstalled = true;
      if (!ParseInt(argv[++i], &situation.installedVersion))
        return Fail(std::string("not a whole number: ") + argv[i]);
    } else if (arg == "--running") {
      situation.running = true;
    } else if (arg == "--answer" && hasValue) {
      const std::string answer = argv[++i];
      if (answer != "yes" && answer != "no")
        return Fail("--answer takes yes or no, not " + answer);
      if (!answered) situation.answers.clear();
      answered = true;
      situation.answers.push_back(answer == "yes");
      situation.answerAfterwards = answer == "yes";
    } else if (arg == "--quiet") {
      quiet = true;
    } else if (arg == "--help" || arg == "-h") {
      std::printf("%s", kUsage);
      return 0;
    } else if (arg.rfind("-", 0) == 0 || folder != nullptr) {
      return Fail("unexpected argument " + arg);
    } else {
      folder = argv[i];
    }
  }
  if (folder == nullptr) return Fail("no FOLDER given");
  struct stat st;
  if (stat(folder, &st) != 0 || (st.st_mode & S_IFMT) != S_IFDIR) {
    std::fprintf(stderr, "pellomar-check: %s is not a folder\n", folder);
    return 2;
  }
  situation.folder = folder;
#ifndef _WIN32
  if (folder[0] != '/') {
    char* absolute = realpath(folder, nullptr);
    if (absolute == nullptr)
      return Fail(std::string("cannot resolve ") + folder);
    situation.folder = absolute;
    std::free(absolute);
  }
#endif

  check::Prepare(situation);
  LauncherMain(nullptr, nullptr, "", 1);
  if (!quiet) {
    std::printf("folder: %s (the launcher sees %s)\n", situation.folder.c_str(),
                check::FolderAsLauncherSees().c_str());
    std::printf("language: %s\n", situation.language.c_str());
    PrintDecision(situation);
  }

  const std::vector<check::Warning> warnings = check::Lint(situation.language);
  if (!quiet) std::printf("warnings: %zu\n", warnings.size());
  for (const check::Warning& w : warnings) {
    if (w.line > 0)
      std::printf("%s:%d: warning: %s\n", w.file.c_str(), w.line,
                  w.text.c_str());
    else
      std::printf("%s: warning: %s\n", w.file.c_str(), w.text.c_str());
  }
  return warnings.empty() ? 0 : 1;
}
