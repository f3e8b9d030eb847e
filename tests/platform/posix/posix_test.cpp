// The POSIX layer's pieces: locale lookup and mapping, starting programs on
// real files, console boxes, and files found without regard to case.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/console.h"
#include "platform/posix/files.h"
#include "platform/posix/locale.h"
#include "platform/posix/start.h"
#include "platform/seam.h"
#include "portable/emulation/paths.h"

namespace {

std::string CurrentFolder() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PosixLocale, MapsToWindowsLanguageCodes) {
  const struct {
    const char* locale;
    const char* code;
  } cases[] = {
      {"de_DE.UTF-8", "DEU"},
      {"fr_FR", "FRA"},
      {"fr_CA.utf8", "FRC"},
      {"en_US", "ENU"},
      {"en_GB.UTF-8", "ENG"},
      {"es_ES", "ESN"},
      {"it_IT", "ITA"},
      {"nl_NL", "NLD"},
      {"pt_BR", "PTB"},
      {"pt_PT", "PTG"},
      {"sv_SE", "SVE"},
      {"da_DK", "DAN"},
      {"fi_FI", "FIN"},
      {"nb_NO", "NOR"},
      {"ja_JP.eucJP", "JPN"},
      {"zh_CN", "CHS"},
      {"zh_TW", "CHT"},
      {"ko_KR", "KOR"},
      {"ru_RU", "RUS"},
      {"pl_PL", "PLK"},
      {"de_AT@euro", "DEA"},
      {"de_BE", "DEU"},
      {"C", "ENU"},
      {"POSIX", "ENU"},
      {"xx_YY", "ENU"},
      {"", "ENU"},
      // a region without a code of its own takes the language's
      {"en_NG.UTF-8", "ENU"},
      {"sr_XK@latin", "SRM"},
      {"sr.UTF-8@latin", "SRM"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(posix::LanguageForLocale(c.locale), c.code) << c.locale;
}

// Every regional code of Windows' list, each from the Linux locale of its
// language, region and script (with a character set, as LANG carries it).
TEST(PosixLocale, EveryRegionalCodeOfWindows) {
  std::ifstream list(PELLOMAR_LANGUAGE_CODES);
  ASSERT_TRUE(list) << PELLOMAR_LANGUAGE_CODES;
  std::string line;
  int rows = 0;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string windowsName, linuxName, code;
    fields >> windowsName >> linuxName >> code;
    const std::size_t at = linuxName.find('@');
    const std::string withCharset =
        at == std::string::npos
            ? linuxName + ".UTF-8"
            : linuxName.substr(0, at) + ".UTF-8" + linuxName.substr(at);
    EXPECT_EQ(posix::LanguageForLocale(withCharset), code) << windowsName;
    ++rows;
  }
  EXPECT_GT(rows, 200);
}

// The variables each category is named by, in setlocale's order, from the
// process's environment and from one a child gets alike.
TEST(PosixLocale, VariablesInOrder) {
  const char* const kVariables[] = {"LC_ALL", "LC_MESSAGES", "LC_CTYPE",
                                    "LANG"};
  const struct {
    const char* values[4];  // as kVariables; null: unset
    const char* messages;
    const char* ctype;
    const char* language;
  } cases[] = {
      {{"", "fr_FR.UTF-8", nullptr, "de_DE.UTF-8"},
       "fr_FR.UTF-8",
       "de_DE.UTF-8",
       "FRA"},
      {{"ja_JP.UTF-8", "fr_FR.UTF-8", "ru_RU.KOI8-R", "de_DE"},
       "ja_JP.UTF-8",
       "ja_JP.UTF-8",
       "JPN"},
      {{nullptr, nullptr, "ru_RU.KOI8-R", ""}, "", "ru_RU.KOI8-R", "ENU"},
      {{nullptr, nullptr, nullptr, nullptr}, "", "", "ENU"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> environment = {"HOME=/root"};
    for (int i = 0; i < 4; ++i) {
      if (c.values[i] == nullptr) {
        unsetenv(kVariables[i]);
        continue;
      }
      setenv(kVariables[i], c.values[i], 1);
      environment.push_back(std::string(kVariables[i]) + "=" + c.values[i]);
    }
    EXPECT_EQ(posix::LocaleName("LC_MESSAGES"), c.messages) << c.messages;
    EXPECT_EQ(posix::LocaleName("LC_CTYPE"), c.ctype) << c.ctype;
    EXPECT_EQ(posix::LocaleName("LC_MESSAGES", environment), c.messages);
    EXPECT_EQ(posix::LocaleName("LC_CTYPE", environment), c.ctype);
    EXPECT_EQ(posix::LanguageFromLocale(), c.language) << c.messages;
  }
  for (const char* variable : kVariables) unsetenv(variable);
}

class StartProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pellomar-start.XXXXXX";
    dir_ = mkdtemp(pattern);
    log_ = dir_ + "/started.log";
  }
  void TearDown() override {
    std::string rm = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(rm.c_str()), 0);
  }
  void Write(const std::string& name, const std::string& body, mode_t mode) {
    const std::size_t slash = name.rfind('/');
    if (slash != std::string::npos)
      mkdir((dir_ + "/" + name.substr(0, slash)).c_str(), 0755);
    std::ofstream(dir_ + "/" + name) << body;
    chmod((dir_ + "/" + name).c_str(), mode);
  }
  std::string Windows(const std::string& name) {
    return emulation::ToWindowsPath(dir_ + "/" + name);
  }
  // What the started program recorded, once it has.
  std::string Recorded() {
    for (int i = 0; i < 250; ++i) {
      std::ifstream in(log_);
      std::string line;
      if (std::getline(in, line)) return line;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "<nothing>";
  }
  std::string dir_, log_;
};

TEST_F(StartProgram, ResultsAsWindowsGivesThem) {
  const std::string script = "#!/bin/sh\necho \"$0 $*\" > '" + log_ + "'\n";
  Write("app", script, 0755);
  Write("binary", std::string("te\0xt", 5), 0644);
  Write("no-interpreter", "#!/nonexistent/sh\n" + script, 0644);
  Write("crlf", "#!/bin/sh\r\necho\r\n", 0755);
  // Executable, but in no format the system knows: never given to a shell.
  Write("setup.bat", "echo \"$0\" > '" + log_ + "'\n", 0755);
  const struct {
    std::string command;
    unsigned result;
  } cases[] = {
      {"", 2},
      {"  ", 2},
      {Windows("missing.exe"), 2},
      {Windows("nofolder/x.exe"), 3},
      {Windows("binary"), 11},
      {Windows("no-interpreter"), 11},
      {Windows("crlf"), 11},
      {Windows("setup.bat") + " /S", 11},
      {Windows(""), 0},
      {"C:\\Windows\\notepad.exe", 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(posix::StartProgram(c.command), c.result) << c.command;
  // A failed start runs nothing: no result is returned before the exec.
  EXPECT_NE(access(log_.c_str(), F_OK), 0);
}

TEST_F(StartProgram, StartsWithArgumentsWithoutWaiting) {
  Write("app", "#!/bin/sh\nsleep 1\necho \"$0 $*\" > '" + log_ + "'\n", 0755);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_GT(posix::StartProgram("\"" + Windows("app") + "\" one \"two three\""),
            31u);
  EXPECT_LT(std::chrono::steady_clock::now() - before,
            std::chrono::milliseconds(800));
  EXPECT_EQ(Recorded(), dir_ + "/app one two three");
}

TEST_F(StartProgram, ShellScriptWithoutExecutePermissionRunsWithSh) {
  Write("setup.sh", "echo \"$0 $*\" > '" + log_ + "'\n", 0644);
  EXPECT_GT(posix::StartProgram(Windows("setup.sh") + " /S"), 31u);
  EXPECT_EQ(Recorded(), dir_ + "/setup.sh /S");
}

TEST_F(StartProgram, RunsExactlyTheFileNamed) {
  const std::string record = "echo \"$0 $*\" > '" + log_ + "'\n";
  const struct {
    const char* what;
    std::string file;  // written with `body` and `mode`
    std::string body;
    mode_t mode;
    std::string command;  // relative to the folder, made a Z: path
    std::string arguments;
    std::string recorded;  // relative to the folder
  } cases[] = {
      {"executable .sh without #! runs with sh", "a.sh", record, 0755, "a.sh",
       " /S", "a.sh /S"},
      {"upper-case name on the medium", "SETUP.SH", record, 0644, "setup.sh",
       " /S", "SETUP.SH /S"},
      {"quoted, in a folder with a blank", "My Disc/setup.sh", record, 0644,
       "My Disc/setup.sh", " /S", "My Disc/setup.sh /S"},
      {"a name that looks like an option", "-x.sh", record, 0644, "-x.sh",
       " -c", "-x.sh -c"},
      {"bash through env, no execute bit, any name", "setup",
       "#!/usr/bin/env bash\nparts=(\"$0\" \"$@\")\n" + record, 0644, "setup",
       " /S", "setup /S"},
  };
  // What Windows-style splitting of an unquoted line would start instead.
  Write("My", "#!/bin/sh\necho planted > '" + log_ + "'\n", 0755);
  for (const auto& c : cases) {
    std::remove(log_.c_str());
    Write(c.file, c.body, c.mode);
    const unsigned result =
        posix::StartProgram("\"" + Windows(c.command) + "\"" + c.arguments);
    EXPECT_EQ(result, platform::kStarted) << c.what;
    EXPECT_EQ(Recorded(), dir_ + "/" + c.recorded) << c.what;
  }
}

TEST_F(StartProgram, ProgramGetsAFreshProcessInItsOwnFolder) {
  // Whatever the launcher or its caller leave behind: a descriptor without
  // close-on-exec, an ignored and a blocked signal, another current folder.
  Write("sub/report.sh",
        "for n in 3 4 5 6 7 8 9; do [ -e /proc/self/fd/$n ] && printf ' %s' "
        "$n; done > '" +
            log_ +
            ".fds'\n"
            "grep -E '^Sig(Blk|Ign)' /proc/$$/status | tr -s '\\t\\n' '  ' "
            "> '" +
            log_ +
            ".signals'\n"
            "pwd > '" +
            log_ + "'\n",
        0644);
  const int leaked = open("/dev/null", O_RDONLY);
  ASSERT_GE(leaked, 3);
  const std::string before = CurrentFolder();
  ASSERT_EQ(chdir("/"), 0);
  struct sigaction ignore = {}, old = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGINT, &ignore, &old);
  sigset_t blocked, oldMask;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  sigprocmask(SIG_BLOCK, &blocked, &oldMask);

  EXPECT_EQ(posix::StartProgram(Windows("sub/report.sh")), platform::kStarted);
  EXPECT_EQ(Recorded(), dir_ + "/sub");

  sigprocmask(SIG_SETMASK, &oldMask, nullptr);
  sigaction(SIGINT, &old, nullptr);
  close(leaked);
  ASSERT_EQ(chdir(before.c_str()), 0);
  EXPECT_EQ(ReadAll(log_ + ".fds"), "");
  EXPECT_EQ(ReadAll(log_ + ".signals"),
            "SigBlk: 0000000000000000 SigIgn: 0000000000000000 ");
}

TEST_F(StartProgram, BareNameIsSearchedOnPathAndKeepsTheCurrentFolder) {
  Write("bin/tool", "#!/bin/sh\npwd > '" + log_ + "'\n", 0755);
  const char* path = std::getenv("PATH");
  const std::string saved = path != nullptr ? path : "";
  // An empty entry would be the current folder, which holds another "tool".
  setenv("PATH", ("::" + dir_ + "/bin").c_str(), 1);
  const std::string before = CurrentFolder();
  Write("tool", "#!/bin/sh\necho current > '" + log_ + "'\n", 0755);
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  EXPECT_EQ(posix::StartProgram("tool"), platform::kStarted);
  EXPECT_EQ(Recorded(), dir_);
  std::remove(log_.c_str());
  EXPECT_EQ(posix::StartProgram("missing-tool"), platform::kFileNotFound);
  ASSERT_EQ(chdir(before.c_str()), 0);
  setenv("PATH", saved.c_str(), 1);
}

std::string Console(const std::string& input, const char* text, unsigned style,
                    int* answer) {
  std::FILE* in = fmemopen(const_cast<char*>(input.data()), input.size(), "r");
  char* out = nullptr;
  std::size_t size = 0;
  std::FILE* outFile = open_memstream(&out, &size);
  *answer = posix::ConsoleBox(in, outFile, true, text, "My App", style);
  std::fclose(outFile);
  std::fclose(in);
  std::string result(out, size);
  std::free(out);
  return result;
}

TEST(ConsoleBox, LinesAndAnswers) {
  const struct {
    std::string input;
    unsigned style;
    int answer;
  } cases[] = {
      // Which words mean yes is MeansYes's (ConsoleText.YesWithoutALocale);
      // these are about reading the one line.
      {"y\n", 0x24, 6}, {"Y", 0x24, 6}, {"n\n", 0x24, 7},
      {"\n", 0x24, 7},  {"x", 0x24, 7}, {std::string(300, 'y') + "\n", 0x24, 7},
      {"y\n", 0x40, 1},
  };
  for (const auto& c : cases) {
    int answer = -1;
    const std::string out = Console(c.input + "", "Install?", c.style, &answer);
    EXPECT_EQ(answer, c.answer) << c.input;
    EXPECT_EQ(out, c.style == 0x24 ? "[My App] Install? [y/N] \n"
                                   : "[My App] Install?\n");
  }
}

TEST(ConsoleBox, EndOfInputIsNoAndUnwritableIsZero) {
  std::FILE* in = std::fopen("/dev/null", "r");
  std::FILE* out = std::fopen("/dev/null", "w");
  EXPECT_EQ(posix::ConsoleBox(in, out, false, "q", "c", 0x24), 7);
  std::fclose(out);
  std::FILE* full = std::fopen("/dev/full", "w");
  if (full != nullptr) {
    EXPECT_EQ(posix::ConsoleBox(in, full, false, "q", "c", 0x40), 0);
    std::fclose(full);
  }
  std::fclose(in);
}

TEST(PosixPaths, ProfileFilesFoundWithoutRegardToCase) {
  char pattern[] = "/tmp/pellomar-case.XXXXXX";
  const std::string dir = mkdtemp(pattern);
  std::ofstream(dir + "/PELLOMAR.INI") << "[Auto]\n";
  const emulation::Windows& windows = posix::Emulation();
  EXPECT_EQ(windows.Locate(dir + "/pellomar.ini"), dir + "/PELLOMAR.INI");
  EXPECT_EQ(windows.Locate(dir + "/other.ini"), "");
  EXPECT_EQ(windows.ProfileFile(emulation::ToWindowsPath(dir + "/x.ini")),
            dir + "/x.ini");
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  EXPECT_EQ(windows.ProfileFile("Pellomar.ini"), dir + "/Pellomar.ini");
  unsetenv("XDG_CONFIG_HOME");
  std::remove((dir + "/PELLOMAR.INI").c_str());
  rmdir(dir.c_str());
}

}  // namespace
