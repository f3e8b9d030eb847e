// Windows paths over POSIX ones on drive Z:, and command lines split as
// Windows programs split them.
#include "portable/emulation/paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Paths, MapBetweenWindowsAndNativeForms) {
  EXPECT_EQ(emulation::ToWindowsPath("/media/cd/autorun"),
            "Z:\\media\\cd\\autorun");
  const struct {
    const char* path;
    const char* native;
  } cases[] = {
      {"Z:\\media\\cd\\setup.sh", "/media/cd/setup.sh"},
      {"z:/opt/app/setup", "/opt/app/setup"},
      {"Z:\\media\\cd\\sub/setup.sh", "/media/cd/sub/setup.sh"},
      {"Z:\\media\\/setup.sh", "/media//setup.sh"},
      {"Z:", "/"},
      {"Z:x", "/x"},
      {"/opt/app/app.ini", "/opt/app/app.ini"},
      {"sub\\app.ini", "sub/app.ini"},
      {"C:\\Program Files\\app.exe", ""},
      {"\\\\SRV\\SHARE\\x", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(emulation::ToNativePath(c.path), c.native) << c.path;
}

TEST(Paths, CommandLinesSplitAsOnWindows) {
  using Args = std::vector<std::string>;
  const struct {
    const char* line;
    Args args;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"app", {"app"}},
      {"  app  a  b ", {"app", "a", "b"}},
      {"\"C:\\Program Files\\app.exe\" /x",
       {"C:\\Program Files\\app.exe", "/x"}},
      {"\"C:\\dir\\\" a", {"C:\\dir\\", "a"}},
      {"app \"a b\" c", {"app", "a b", "c"}},
      {"app a\\\\b", {"app", "a\\\\b"}},
      {"app a\\\"b", {"app", "a\"b"}},
      {"app a\\\\\"b c\"", {"app", "a\\b c"}},
      {"app \"a\"\"b\"", {"app", "a\"b"}},
      {"app \"unterminated", {"app", "unterminated"}},
      {"app\ta\tb", {"app", "a", "b"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(emulation::SplitCommandLine(c.line), c.args) << c.line;
}

}  // namespace
