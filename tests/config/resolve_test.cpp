// ResolveBesideLauncher: the worked examples for a launcher on a drive and on
// a share, and the refusals that keep a cut or unknown path from being used.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/readers.h"
#include "platform/scripted/scripted.h"

namespace {

struct Case {
  const char* launcher;
  std::string name;
  std::string expected;
};

std::string Resolve(const std::string& launcher, const std::string& name,
                    unsigned size = 255) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.launcherPath = launcher;
  char buffer[256];
  std::memset(buffer, 'X', sizeof buffer);
  ResolveBesideLauncher(buffer, size, name.c_str());
  return buffer;
}

const char kDisk[] = "C:\\APP\\DISK1\\LAUNCH.EXE";
const char kRoot[] = "C:\\LAUNCH.EXE";
const char kShare[] = "\\\\SRV\\SHARE\\DIR\\LAUNCH.EXE";

TEST(ResolveBesideLauncher, WorkedExamples) {
  const Case cases[] = {
      {kDisk, "setup.exe", "C:\\APP\\DISK1\\setup.exe"},
      {kDisk, "sub\\setup.exe", "C:\\APP\\DISK1\\sub\\setup.exe"},
      {kDisk, "..\\setup.exe", "C:\\APP\\setup.exe"},
      {kDisk, "..\\..\\x.exe", "C:\\x.exe"},
      {kDisk, "..\\..\\..\\y.exe", "C:\\y.exe"},
      {kDisk, "..\\..\\..\\..\\y.exe", "C:\\..\\y.exe"},
      {kDisk, "..x", "C:\\APP\\x"},
      {kDisk, "\\setup.exe", "C:\\setup.exe"},
      {kDisk, "D:\\setup.exe", "D:\\setup.exe"},
      {kDisk, "D:setup.exe", "D:setup.exe"},
      {kDisk, ".\\setup.exe", ".\\setup.exe"},
      {kDisk, "a\\setup.exe", "a\\setup.exe"},
      {kDisk, "\\\\OTHER\\S\\x.exe", "\\\\OTHER\\S\\x.exe"},
      {kDisk, "", "C:\\APP\\DISK1\\"},
      {kDisk, "s", "C:\\APP\\DISK1\\s"},
      {kRoot, "..\\setup.exe", "C:\\setup.exe"},
      {kShare, "setup.exe", "\\\\SRV\\SHARE\\DIR\\setup.exe"},
      {kShare, "..\\setup.exe", "\\\\SRV\\SHARE\\setup.exe"},
      // A root-relative name on a share keeps the server and share.
      {kShare, "\\setup.exe", "\\\\SRV\\SHARE\\setup.exe"},
      {"\\\\SRV\\LAUNCH.EXE", "\\setup.exe", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Resolve(c.launcher, c.name), c.expected)
        << c.launcher << " + " << c.name;
  }
}

TEST(ResolveBesideLauncher, NeverCutsAPath) {
  // The folder is 13 characters long; with a size of 255 a name of up to 241
  // characters fits, one more is refused rather than cut.
  EXPECT_EQ(Resolve(kDisk, std::string(241, 'n')),
            "C:\\APP\\DISK1\\" + std::string(241, 'n'));
  EXPECT_EQ(Resolve(kDisk, std::string(242, 'n')), "");
  EXPECT_EQ(Resolve(kDisk, "\\" + std::string(251, 'r')),
            "C:\\" + std::string(251, 'r'));
  EXPECT_EQ(Resolve(kDisk, "\\" + std::string(252, 'r')), "");
  // A complete name that does not fit the buffer's size is refused too.
  EXPECT_EQ(Resolve(kDisk, "D:\\abcdef", 8), "");
}

TEST(ResolveBesideLauncher, UnknownLauncherPathGivesNothing) {
  // Too long for the buffer (the platform reports the size), unknown, or
  // without a folder: nothing can be placed beside it.
  const std::string deep = "C:\\" + std::string(260, 'd') + "\\LAUNCH.EXE";
  EXPECT_EQ(Resolve(deep, "setup.exe"), "");
  EXPECT_EQ(Resolve(deep, "\\setup.exe"), "");
  EXPECT_EQ(Resolve("", "setup.exe"), "");
  EXPECT_EQ(Resolve("LAUNCH.EXE", "setup.exe"), "");
  // A path of exactly 254 characters still fits.
  const std::string longest = "C:\\" + std::string(240, 'd') + "\\LAUNCH.EXE";
  ASSERT_EQ(longest.size(), 254u);
  EXPECT_EQ(Resolve(longest, ""), longest.substr(0, 244));
}

}  // namespace
