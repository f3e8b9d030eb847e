// Damaged, enormous, binary and hostile files on the scripted platform. Every
// run must end with 0, show nothing longer than a box holds, and start
// nothing from a cut or wrong path. The same cases run against the Linux
// launcher in tests/e2e/hostile_linux.py.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "launcher/launcher.h"
#include "platform/scripted/scripted.h"

namespace {

using Lines = std::vector<std::string>;

const char kSettings[] = "C:\\APP\\DISK1\\pellomar.ini";
const char kMessages[] = "C:\\APP\\DISK1\\pellomar.dat";

std::string Garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(random());
  return out;
}

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

struct Case {
  const char* what;
  std::string settings;  // "" = no file
  std::string messages;
  std::string winIni;
  Lines answers;
  Lines expected;  // the whole transcript; empty = only the invariants
};

const std::string kQuiet =
    "[Auto]\nAppName=A\nVersion=3\nVerbose=0\nSetupName=s.exe\n";
const std::string kLong(10000, 'L');
// The notice for a path longer than the system takes, before the path.
const std::string kPathNotice =
    "This path is longer than the system allows, so nothing is read or "
    "started from it: ";

// Made when the test that reads them runs, not when any test of this
// program starts: one of them is 50 MB.
const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"format texts that would read missing arguments",
       kQuiet,
       "[ENU]\nAskRunSetup=%s%s%s%n\nSetupErr=%99999d %\n",
       "",
       {"yes"},
       {"box 0x24 [A] A%s%s%n", "start C:\\APP\\DISK1\\s.exe",
        "box 0x40 [A] %99999d %"}},
      {"a lone % at the end",
       kQuiet,
       "[ENU]\nAskRunSetup=%s 100%\n",
       "",
       {"no"},
       {"box 0x24 [A] A 100%"}},
      {"values of 10,000 characters: cut captions, setup never started cut",
       "[Auto]\nAppName=" + kLong +
           "\nVersion=3\nVerbose=0\nSetupName=" + kLong + "\n",
       "[ENU]\nAskRunSetup=" + kLong + "%s\nSetupErr=" + kLong + "\n",
       "",
       {"yes"},
       {"box 0x24 [" + std::string(254, 'L') + "] " + std::string(254, 'L'),
        "box 0x40 [" + std::string(254, 'L') + "] " + kPathNotice +
            std::string(4095, 'L')}},
      {"a complete setup path cut by the read is named, not started",
       "[Auto]\nAppName=A\nVersion=3\nVerbose=0\nSetupName=D:\\" +
           std::string(5000, 's') + ".exe\n",
       "[ENU]\nAskRunSetup=Go?\nSetupErr=No setup.\n",
       "",
       {"yes"},
       {"box 0x24 [A] Go?",
        "box 0x40 [A] " + kPathNotice + "D:\\" + std::string(4092, 's')}},
      {"a setup path past MAX_PATH is named, not started",
       "[Auto]\nAppName=A\nVersion=3\nVerbose=0\nSetupName=" +
           std::string(250, 's') + ".exe\n",
       "[ENU]\nAskRunSetup=Go?\nSetupErr=No setup.\n",
       "",
       {"yes"},
       {"box 0x24 [A] Go?", "box 0x40 [A] " + kPathNotice + "C:\\APP\\DISK1\\" +
                                std::string(250, 's') + ".exe"}},
      {"50 MB of junk before the settings",
       std::string(50 << 20, '#') + "\n" + kQuiet,
       "[ENU]\nAskRunSetup=Go?\n",
       "",
       {"no"},
       {"box 0x24 [A] Go?"}},
      {"binary garbage in every file",
       Garbage(100000, 1),
       Garbage(100000, 2),
       Garbage(5000, 3),
       {"yes", "yes", "yes"},
       {}},
      {"a NUL inside a key ends the text",
       std::string("[Auto]\nAppName=A\nVer\0sion=3\nVerbose=0\n", 39),
       "[ENU]\nAskRunSetup=Go?\n",
       "",
       {"no"},
       {"box 0x24 [A] Dump Options?",
        "box 0x40 [A] Application Installed - SetupOnly Active"}},
      {"UTF-16 files are read",
       Utf16("[Auto]\r\nAppName=A\r\nVersion=3\r\nVerbose=0\r\nSetupName=s."
             "exe\r\n"),
       Utf16("[ENU]\r\nAskRunSetup=Go %s?\r\n"),
       "",
       {"no"},
       {"box 0x24 [A] Go A?"}},
      {"every file missing",
       "",
       "",
       "",
       {"no"},
       {"box 0x24 [] Dump Options?",
        "box 0x40 [] Application Installed - SetupOnly Active"}},
      {"a language code of 300 characters names no section",
       kQuiet,
       "[ENU]\nAskRunSetup=Go?\n",
       "[intl]\nsLanguage=" + std::string(300, 'X') + "\n",
       {"no"},
       {"box 0x24 [A] "}},
  };
  return cases;
}

TEST(HostileFiles, RunsEndSafely) {
  for (const Case& c : Cases()) {
    scripted::World& world = scripted::TheWorld();
    world.Reset();
    if (!c.settings.empty()) world.SetFile(kSettings, c.settings);
    if (!c.messages.empty()) world.SetFile(kMessages, c.messages);
    if (!c.winIni.empty()) world.SetFile("WIN.INI", c.winIni);
    for (const std::string& a : c.answers)
      world.answers.push_back(a == "yes" ? 6 : 7);
    world.startResults = {2};
    EXPECT_EQ(LauncherMain(nullptr, nullptr, "", 1), 0) << c.what;
    for (const scripted::Box& box : world.boxes) {
      EXPECT_LE(box.caption.size(), 254u) << c.what;
      if (box.text.rfind(kPathNotice, 0) != 0) {
        EXPECT_LE(box.text.size(), 255u) << c.what;
      }
    }
    EXPECT_LE(world.starts.size(), 2u) << c.what;
    if (!c.expected.empty()) {
      EXPECT_EQ(world.transcript, c.expected) << c.what;
    }
  }
}

TEST(HostileFiles, FolderOrUnreadableFileReadsAsMissing) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.SetUnreadable(kSettings);
  world.SetFile(kMessages, "[ENU]\nAskRunSetup=Go?\n");
  LauncherMain(nullptr, nullptr, "", 1);
  EXPECT_EQ(world.transcript,
            Lines({"box 0x24 [] Dump Options?",
                   "box 0x40 [] Application Installed - SetupOnly Active"}));
}

TEST(HostileFiles, InstalledCommandCutByTheReadIsNotStarted) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.SetFile(kSettings,
                "[Auto]\nAppName=A\nVersion=1\nVerbose=0\nSetupOnly=0\n"
                "IniFile=C:\\P\\APP.INI\n");
  world.SetFile(kMessages, "[ENU]\nAskRunExe=Run?\nExeErr=Failed.\n");
  world.SetFile("C:\\P\\APP.INI", "[Auto]\nVersion=1\nCommand=C:\\" +
                                      std::string(5000, 'c') + ".exe\n");
  world.answers = {6, 7};
  LauncherMain(nullptr, nullptr, "", 1);
  EXPECT_EQ(world.transcript, Lines({"box 0x24 [A] Run?",
                                     "box 0x40 [A] " + kPathNotice + "C:\\" +
                                         std::string(4092, 'c'),
                                     "start ", "box 0x24 [A] Failed."}));
}

}  // namespace
