// How the Windows layer reads the program out of a command line (as
// CreateProcess does), and the command lines that run what is not a program.
#include "portable/command_line.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Stands in for SearchPath: a name is found as written when it has an
// extension, else with ".exe" added.
struct Files {
  std::set<std::string> names;
  std::string lastFound;
};

bool Find(const char* candidate, void* context) {
  Files* files = static_cast<Files*>(context);
  std::string name = candidate;
  const std::size_t dot = name.rfind('.');
  const std::size_t folder = name.find_last_of("\\/");
  if (dot == std::string::npos || (folder != std::string::npos && dot < folder))
    name += ".exe";
  if (files->names.count(name) == 0) return false;
  files->lastFound = name;
  return true;
}

TEST(PickProgram, FollowsTheOrderWindowsTriesPrefixesIn) {
  const std::set<std::string> planted = {"C:\\My.exe",
                                         "C:\\My Disc\\setup.exe"};
  const std::set<std::string> setupOnly = {"C:\\My Disc\\setup.exe",
                                           "C:\\My Disc\\My Setup.exe"};
  const struct {
    std::set<std::string> files;
    std::string line;
    std::string program;  // empty: nothing found
    std::string arguments;
  } cases[] = {
      // Unquoted, a planted program above the folder wins: Windows' rule,
      // which only quotes avoid.
      {planted, "C:\\My Disc\\setup.exe", "C:\\My", " Disc\\setup.exe"},
      {planted, "\"C:\\My Disc\\setup.exe\"", "C:\\My Disc\\setup.exe", ""},
      {planted, "\"C:\\My Disc\\setup.exe\" /S", "C:\\My Disc\\setup.exe",
       " /S"},
      {setupOnly, "C:\\My Disc\\setup.exe /S", "C:\\My Disc\\setup.exe", " /S"},
      {setupOnly, "C:\\My Disc\\setup /S", "C:\\My Disc\\setup", " /S"},
      {setupOnly, "\"C:\\My Disc\\My Setup.exe\"/S",
       "C:\\My Disc\\My Setup.exe", "/S"},
      {setupOnly, "C:\\My Disc\\My Setup.exe", "C:\\My Disc\\My Setup.exe", ""},
      // Blanks: runs of them, tabs, and trailing ones.
      {setupOnly, "C:\\My Disc\\setup.exe  \t/S", "C:\\My Disc\\setup.exe",
       "  \t/S"},
      {setupOnly, "C:\\My Disc\\setup.exe   ", "C:\\My Disc\\setup.exe", "   "},
      {{"C:\\a  b.exe"}, "C:\\a  b.exe x", "C:\\a  b.exe", " x"},
      // A bare name, found on the search path.
      {{"notepad.exe"}, "notepad readme.txt", "notepad", " readme.txt"},
      // A quote without its partner takes the rest of the line.
      {setupOnly, "\"C:\\My Disc\\setup.exe", "C:\\My Disc\\setup.exe", ""},
  };
  for (const auto& c : cases) {
    Files files{c.files, ""};
    const cmdline::Program p =
        cmdline::PickProgram(c.line.c_str(), Find, &files);
    const std::string program(c.line, p.begin, p.end - p.begin);
    EXPECT_TRUE(p.found) << c.line;
    EXPECT_EQ(program, c.program) << c.line;
    EXPECT_EQ(c.line.substr(p.arguments), c.arguments) << c.line;
  }
}

TEST(PickProgram, NothingFoundNamesTheFirstWord) {
  const struct {
    std::string line;
    std::string program;
    std::string arguments;
  } cases[] = {
      {"C:\\missing.exe /S", "C:\\missing.exe", " /S"},
      {"\"C:\\no where\\x.exe\" /S", "C:\\no where\\x.exe", " /S"},
      {"\"\" x", "", " x"},
      {"   ", "", "   "},
  };
  for (const auto& c : cases) {
    Files files;
    const cmdline::Program p =
        cmdline::PickProgram(c.line.c_str(), Find, &files);
    EXPECT_FALSE(p.found) << c.line;
    EXPECT_EQ(std::string(c.line, p.begin, p.end - p.begin), c.program)
        << c.line;
    EXPECT_EQ(c.line.substr(p.arguments), c.arguments) << c.line;
  }
  // A candidate longer than the layer can hold is never looked up.
  Files files{{std::string(cmdline::kCandidateSize, 'a') + ".exe"}, ""};
  const std::string line(cmdline::kCandidateSize, 'a');
  EXPECT_FALSE(cmdline::PickProgram(line.c_str(), Find, &files).found);
}

TEST(CommandLine, BareNamesAndRunners) {
  using cmdline::Runner;
  const struct {
    const char* name;
    bool bare;
    Runner runner;
  } cases[] = {
      {"setup.exe", true, Runner::kItself},
      {"C:\\setup.exe", false, Runner::kItself},
      {"sub\\setup.bat", false, Runner::kCommandInterpreter},
      {"D:setup.CMD", false, Runner::kCommandInterpreter},
      {"sub/Setup.Bat", false, Runner::kCommandInterpreter},
      {"setup.bat.exe", true, Runner::kItself},
      {"bat", true, Runner::kItself},
      {".bat", true, Runner::kCommandInterpreter},
      {"setup.batch", true, Runner::kItself},
      {"C:\\My Disc\\Setup.MSI", false, Runner::kInstaller},
      {"setup.msi.exe", true, Runner::kItself},
  };
  for (const auto& c : cases) {
    unsigned n = 0;
    while (c.name[n] != '\0') ++n;
    EXPECT_EQ(cmdline::IsBareName(c.name, n), c.bare) << c.name;
    EXPECT_EQ(cmdline::RunnerOf(c.name), c.runner) << c.name;
  }
}

TEST(CommandLine, RunnersKeepThePathInQuotes) {
  using cmdline::Runner;
  const struct {
    Runner runner;
    const char* path;
    const char* arguments;
    unsigned size;
    const char* expected;
  } cases[] = {
      {Runner::kCommandInterpreter, "C:\\My Disc\\setup.bat", "", 256,
       "cmd.exe /d /s /c \"\"C:\\My Disc\\setup.bat\"\""},
      {Runner::kCommandInterpreter, "C:\\My Disc\\setup.bat", " /S \"a b\"",
       256, "cmd.exe /d /s /c \"\"C:\\My Disc\\setup.bat\" /S \"a b\"\""},
      {Runner::kCommandInterpreter, "C:\\R&D\\setup.cmd", " x", 256,
       "cmd.exe /d /s /c \"\"C:\\R&D\\setup.cmd\" x\""},
      // Exactly full, and one byte short.
      {Runner::kCommandInterpreter, "C:\\x.bat", "", 30,
       "cmd.exe /d /s /c \"\"C:\\x.bat\"\""},
      {Runner::kCommandInterpreter, "C:\\x.bat", "", 29, ""},
      // As double-clicking a package starts it.
      {Runner::kInstaller, "C:\\My Disc\\setup.msi", " /qb", 256,
       "msiexec.exe /i \"C:\\My Disc\\setup.msi\" /qb"},
      // A 16-bit program: its whole path, quoted, heads the line.
      {Runner::kItself, "C:\\My Disc\\SETUP.EXE", " /S", 256,
       "\"C:\\My Disc\\SETUP.EXE\" /S"},
      {Runner::kItself, "C:\\x.exe", "", 11, "\"C:\\x.exe\""},
      {Runner::kItself, "C:\\x.exe", "", 10, ""},
  };
  for (const auto& c : cases) {
    char out[512];
    const bool fits =
        cmdline::RunnerCommandLine(out, c.size, c.runner, c.path, c.arguments);
    EXPECT_EQ(fits, c.expected[0] != '\0') << c.path << c.arguments;
    EXPECT_STREQ(out, c.expected);
  }
}

}  // namespace
