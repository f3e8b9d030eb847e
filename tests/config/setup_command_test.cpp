// BuildSetupCommand: where the program part of SetupName ends, when the
// program path is quoted, and that a line that does not fit is refused.
#include "config/setup_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "config/text.h"
#include "platform/scripted/scripted.h"

namespace {

const char kPlain[] = "C:\\APP\\DISK1\\";
const char kBlank[] = "C:\\Users\\me\\My Disc\\";
// Beside the folder with a blank, where Windows' splitting of an unquoted
// line would look first.
const char kPlanted[] = "C:\\Users\\me\\My.exe";

// `files` beside the launcher in `folder`, separated by '|'; a name ending in
// '\' is a folder, a name with a drive is where it says.
std::string Build(const std::string& folder, const std::string& setupName,
                  const std::string& files, unsigned size = 255,
                  bool* fits = nullptr) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.launcherPath = folder + "LAUNCH.EXE";
  world.SetFile(kPlanted, "planted");
  for (std::size_t from = 0; from < files.size();) {
    const std::size_t bar = std::min(files.find('|', from), files.size());
    std::string file = files.substr(from, bar - from);
    from = bar + 1;
    if (file.find(':') == std::string::npos) file = folder + file;
    if (file.back() == '\\')
      world.SetFolder(file.substr(0, file.size() - 1));
    else
      world.SetFile(file, "x");
  }
  char buffer[text::kPathSize];
  std::memset(buffer, 'X', sizeof buffer);
  const bool built = BuildSetupCommand(buffer, size, setupName.c_str());
  if (fits != nullptr) *fits = built;
  return buffer;
}

struct Case {
  const char* what;
  const char* folder;
  const char* setupName;
  const char* files;
  const char* expected;  // "<F>" stands for the folder
};

TEST(BuildSetupCommand, ProgramPartAndQuoting) {
  const Case cases[] = {
      {"bare name: today's line", kPlain, "setup.exe", "setup.exe",
       "<F>setup.exe"},
      {"missing: today's line", kPlain, "setup.exe", "", "<F>setup.exe"},
      {"arguments, no blank in the program path", kPlain, "setup.exe /S",
       "setup.exe", "<F>setup.exe /S"},
      {"\".exe\" found, written as before when not quoted", kPlain, "setup /S",
       "setup.exe", "<F>setup /S"},
      {"folder with a blank", kBlank, "setup.exe", "setup.exe",
       "\"<F>setup.exe\""},
      {"arguments, folder with a blank", kBlank, "setup.exe  /S /D=x",
       "setup.exe", "\"<F>setup.exe\"  /S /D=x"},
      {"quoted part, found or not", kPlain, "\"My Setup.exe\" /S", "",
       "\"<F>My Setup.exe\" /S"},
      {"quoted part without blanks", kPlain, "\"setup.exe\" /S", "",
       "<F>setup.exe /S"},
      {"whole name with a blank", kPlain, "My Setup.exe", "My Setup.exe|My.exe",
       "\"<F>My Setup.exe\""},
      {"longest prefix wins", kPlain, "My Setup.exe /S", "My Setup.exe|My.exe",
       "\"<F>My Setup.exe\" /S"},
      {"\".exe\" added to a prefix", kBlank, "My Setup /S",
       "My Setup.exe|My.exe", "\"<F>My Setup.exe\" /S"},
      {"\".exe\" added to the whole name", kPlain, "My Setup",
       "My Setup.exe|My.exe", "\"<F>My Setup.exe\""},
      {"a folder is no program", kPlain, "My Tools /S",
       "My Tools\\|My Tools.exe", "\"<F>My Tools.exe\" /S"},
      {"nothing exists: the whole name", kBlank, "missing.exe /S", "",
       "\"<F>missing.exe /S\""},
      {"climbing out of the folder", kBlank, "..\\My Setup.exe /S",
       "C:\\Users\\me\\My Setup.exe", "\"C:\\Users\\me\\My Setup.exe\" /S"},
      {"complete name as written", kBlank, "D:\\My Setup.exe /S", "",
       "D:\\My Setup.exe /S"},
      {"current-folder name as written", kBlank, ".\\setup.exe /S", "",
       ".\\setup.exe /S"},
      {"quoted complete name as written", kBlank, "\"D:\\My Setup.exe\" /S", "",
       "\"D:\\My Setup.exe\" /S"},
      {"empty name: the folder", kBlank, "", "", "\"<F>\""},
      {"unknown launcher path: nothing", "", "My Setup.exe /S", "", ""},
  };
  for (const Case& c : cases) {
    std::string expected = c.expected;
    const std::size_t at = expected.find("<F>");
    if (at != std::string::npos) expected.replace(at, 3, c.folder);
    EXPECT_EQ(Build(c.folder, c.setupName, c.files), expected) << c.what;
  }
}

TEST(BuildSetupCommand, ALineThatNoLongerFitsIsRefused) {
  // The resolved path alone fits in 254 characters; its quotes may not.
  for (std::size_t length : {252u, 253u}) {
    const std::string folder = "C:\\A B\\";
    const std::string name(length - folder.size(), 's');
    const std::string built = Build(folder, name, name);
    if (length == 252)
      EXPECT_EQ(built, "\"" + folder + name + "\"");
    else
      EXPECT_EQ(built, "") << "a cut line must never start";
  }
  // Arguments that push the quoted line past the buffer are refused too.
  const std::string name = std::string(230, 's') + " /" + std::string(20, 'a');
  EXPECT_EQ(Build(kBlank, name, std::string(230, 's')), "");
}

TEST(BuildSetupCommand, PathsOfAnyScriptUpToTheSystemsLimit) {
  // 37 Japanese characters: 111 bytes of UTF-8, 37 UTF-16 units.
  std::string japanese;
  for (int i = 0; i < 37; ++i) japanese += "\xE6\x97\xA5";
  const std::string longInUtf8 =
      "C:\\Users\\me\\Downloads\\" + japanese + "\\" + japanese + "\\";
  const std::string name245(245, 's');
  const struct {
    const char* what;
    std::string folder;
    std::string setupName;
    bool fits;
    std::string expected;
  } cases[] = {
      {"268 bytes, 112 UTF-16 units", longInUtf8, "setup.exe", true,
       longInUtf8 + "setup.exe"},
      // kPlain is 13 units: 13 + 245 + 1 = 259 fit MAX_PATH, one more does
      // not, and is named rather than started.
      {"259 units", kPlain, name245 + "x", true,
       std::string(kPlain) + name245 + "x"},
      {"260 units", kPlain, name245 + "xy", false,
       std::string(kPlain) + name245 + "xy"},
  };
  for (const auto& c : cases) {
    bool fits = false;
    EXPECT_EQ(Build(c.folder, c.setupName, "", text::kPathSize, &fits),
              c.expected)
        << c.what;
    EXPECT_EQ(fits, c.fits) << c.what;
  }
}

}  // namespace
