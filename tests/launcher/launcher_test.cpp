// The decision flow, run whole on the scripted platform. Each case lays out
// the three files, the windows and the answers, and compares every box (style,
// caption, text), window query and start, in order.
#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/readers.h"
#include "launcher/reporter.h"
#include "platform/scripted/scripted.h"
#include "platform/seam.h"

namespace {

using Lines = std::vector<std::string>;

const char kSettingsPath[] = "C:\\APP\\DISK1\\pellomar.ini";
const char kMessagesPath[] = "C:\\APP\\DISK1\\pellomar.dat";
const char kInstalledPath[] = "C:\\PROG\\APP.INI";
const char kNoFile[] = "<no file>";

const char kMessages[] =
    "[ENU]\n"
    "AskRunSetup=Install %s now?\n"
    "AskRunExe=Start %s now?\n"
    "ExeErr=%s did not start. Install it again?\n"
    "SetupErr=Setup could not be started.\n"
    "[DEU]\n"
    "AskRunSetup=%s jetzt installieren?\n"
    "AskRunExe=%s jetzt starten?\n";

std::string Settings(const std::string& extra) {
  return "[Auto]\nIniFile=C:\\PROG\\APP.INI\nAppName=My App\n"
         "SetupName=setup.exe\nClassName=MyAppWindow\n" +
         extra;
}

struct Scenario {
  const char* what;
  std::string settings;
  std::string installed;
  Lines answers;  // "yes"/"no" for each question, in order
  std::vector<unsigned> startResults;
  Lines expected;
  std::string messages = kMessages;
  std::string winIni = kNoFile;
  Lines windows = {};
};

void Lay(const std::string& path, const std::string& content) {
  if (content != kNoFile) scripted::TheWorld().SetFile(path, content);
}

Lines RunScenario(const Scenario& s) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  Lay(kSettingsPath, s.settings);
  Lay(kMessagesPath, s.messages);
  Lay(kInstalledPath, s.installed);
  Lay("WIN.INI", s.winIni);
  for (const std::string& w : s.windows) world.windowClasses.insert(w);
  for (const std::string& a : s.answers)
    world.answers.push_back(a == "yes" ? 6 : 7);
  for (unsigned r : s.startResults) world.startResults.push_back(r);
  EXPECT_EQ(LauncherMain(nullptr, nullptr, "", 1), 0);
  EXPECT_TRUE(world.answers.empty()) << "unused answers";
  return world.transcript;
}

const Scenario kScenarios[] = {
    {"newer version offered and accepted",
     Settings("Version=3\nVerbose=0\n"),
     "[Auto]\nVersion=2\n",
     {"yes"},
     {},
     {"find MyAppWindow", "box 0x24 [My App] Install My App now?",
      "start C:\\APP\\DISK1\\setup.exe"}},
    {"newer version declined",
     Settings("Version=3\nVerbose=0\n"),
     "[Auto]\nVersion=2\n",
     {"no"},
     {},
     {"find MyAppWindow", "box 0x24 [My App] Install My App now?"}},
    {"newer version accepted, verbose",
     Settings("Version=3\nVerbose=1\n"),
     "[Auto]\nVersion=2\n",
     {"no", "yes"},
     {},
     {"box 0x24 [My App] Dump Options?", "find MyAppWindow",
      "box 0x24 [My App] Install My App now?",
      "box 0x40 [My App] Running setup <C:\\APP\\DISK1\\setup.exe>",
      "start C:\\APP\\DISK1\\setup.exe"}},
    {"equal versions, setup only",
     Settings("Version=2\nVerbose=1\nSetupOnly=1\n"),
     "[Auto]\nVersion=2\n",
     {"no"},
     {},
     {"box 0x24 [My App] Dump Options?", "find MyAppWindow",
      "box 0x40 [My App] Application Installed - SetupOnly Active"}},
    {"equal versions, setup only, quiet",
     Settings("Version=2\nVerbose=0\nSetupOnly=1\n"),
     "[Auto]\nVersion=2\n",
     {},
     {},
     {"find MyAppWindow"}},
    {"installed application offered and started",
     Settings("Version=2\nVerbose=0\nSetupOnly=0\n"),
     "[Auto]\nVersion=2\nCommand=\"C:\\PROG\\APP.EXE\" /quick\n",
     {"yes"},
     {},
     {"find MyAppWindow", "box 0x24 [My App] Start My App now?",
      "start \"C:\\PROG\\APP.EXE\" /quick"}},
    {"installed application offered, verbose",
     Settings("Version=2\nVerbose=-1\nSetupOnly=0\n"),
     "[Auto]\nVersion=2\nCommand=C:\\PROG\\APP.EXE\n",
     {"no", "yes"},
     {},
     {"box 0x24 [My App] Dump Options?", "find MyAppWindow",
      "box 0x24 [My App] Start My App now?",
      "box 0x40 [My App] Running command <C:\\PROG\\APP.EXE>",
      "start C:\\PROG\\APP.EXE"}},
    {"older setup than installed takes the installed branch",
     Settings("Version=1\nVerbose=0\nSetupOnly=0\n"),
     "[Auto]\nVersion=2\n",
     {"no"},
     {},
     {"find MyAppWindow", "box 0x24 [My App] Start My App now?"}},
    {"installed application declined",
     Settings("Version=2\nVerbose=0\nSetupOnly=0\n"),
     "[Auto]\nVersion=2\nCommand=C:\\PROG\\APP.EXE\n",
     {"no"},
     {},
     {"find MyAppWindow", "box 0x24 [My App] Start My App now?"}},
    {"installed application fails, setup accepted",
     Settings("Version=2\nVerbose=0\nSetupOnly=0\n"),
     "[Auto]\nVersion=2\nCommand=C:\\PROG\\GONE.EXE\n",
     {"yes", "yes"},
     {2},
     {"find MyAppWindow", "box 0x24 [My App] Start My App now?",
      "start C:\\PROG\\GONE.EXE",
      "box 0x24 [My App] My App did not start. Install it again?",
      "start C:\\APP\\DISK1\\setup.exe"}},
    {"installed application fails, setup declined",
     Settings("Version=2\nVerbose=0\nSetupOnly=0\n"),
     "[Auto]\nVersion=2\nCommand=C:\\PROG\\GONE.EXE\n",
     {"yes", "no"},
     {31},
     {"find MyAppWindow", "box 0x24 [My App] Start My App now?",
      "start C:\\PROG\\GONE.EXE",
      "box 0x24 [My App] My App did not start. Install it again?"}},
    {"setup fails to start: notice even when quiet",
     Settings("Version=3\nVerbose=0\n"),
     "[Auto]\nVersion=2\n",
     {"yes"},
     {2},
     {"find MyAppWindow", "box 0x24 [My App] Install My App now?",
      "start C:\\APP\\DISK1\\setup.exe",
      "box 0x40 [My App] Setup could not be started."}},
    {"already running, verbose",
     Settings("Version=3\nVerbose=1\n"),
     "[Auto]\nVersion=2\n",
     {"no"},
     {},
     {"box 0x24 [My App] Dump Options?", "find MyAppWindow",
      "box 0x40 [My App] App already running"},
     kMessages,
     kNoFile,
     {"myappwindow"}},
    {"already running, quiet",
     Settings("Version=3\nVerbose=0\n"),
     "[Auto]\nVersion=2\n",
     {},
     {},
     {"find MyAppWindow"},
     kMessages,
     kNoFile,
     {"MyAppWindow"}},
    {"another application's window is no match",
     Settings("Version=3\nVerbose=0\n"),
     "[Auto]\nVersion=2\n",
     {"no"},
     {},
     {"find MyAppWindow", "box 0x24 [My App] Install My App now?"},
     kMessages,
     kNoFile,
     {"OtherWindow"}},
    {"no settings file: defaults, setup only",
     kNoFile,
     kNoFile,
     {"no"},
     {},
     {"box 0x24 [] Dump Options?",
      "box 0x40 [] Application Installed - SetupOnly Active"}},
    {"empty ClassName: no window query",
     "[Auto]\nVersion=3\nVerbose=0\nAppName=A\n",
     kNoFile,
     {"no"},
     {},
     {"box 0x24 [A] Install A now?"}},
    {"IniFile empty and Version 1: setup offered",
     "[Auto]\nIniFile=\nVersion=1\nVerbose=0\nAppName=A\n",
     kNoFile,
     {"no"},
     {},
     {"box 0x24 [A] Install A now?"}},
    {"IniFile empty, installed offered: empty command fails",
     "[Auto]\nVersion=0\nVerbose=1\nSetupOnly=0\nAppName=A\n",
     kNoFile,
     {"no", "yes", "no"},
     {},
     {"box 0x24 [A] Dump Options?", "box 0x24 [A] Start A now?",
      "box 0x40 [A] Running command <>", "start ",
      "box 0x24 [A] A did not start. Install it again?"}},
    {"SetupName missing: the folder fails to start, notice shown",
     "[Auto]\nVersion=3\nVerbose=0\nAppName=A\n",
     kNoFile,
     {"yes"},
     {2},
     {"box 0x24 [A] Install A now?", "start C:\\APP\\DISK1\\",
      "box 0x40 [A] Setup could not be started."}},
    {"language from WIN.INI",
     Settings("Version=3\nVerbose=0\n"),
     kNoFile,
     {"no"},
     {},
     {"find MyAppWindow", "box 0x24 [My App] My App jetzt installieren?"},
     kMessages,
     "[intl]\nsLanguage=DEU\n"},
    {"language without a section: empty question",
     Settings("Version=3\nVerbose=0\n"),
     kNoFile,
     {"yes"},
     {},
     {"find MyAppWindow", "box 0x24 [My App] ",
      "start C:\\APP\\DISK1\\setup.exe"},
     kMessages,
     "[intl]\nsLanguage=FRA\n"},
    {"no message file: empty question, Yes still runs",
     Settings("Version=3\nVerbose=0\n"),
     kNoFile,
     {"yes"},
     {},
     {"find MyAppWindow", "box 0x24 [My App] ",
      "start C:\\APP\\DISK1\\setup.exe"},
     kNoFile},
    {"setup consent declined: the user chose, nothing is reported",
     Settings("Version=3\nVerbose=0\n"),
     "[Auto]\nVersion=2\n",
     {"yes"},
     {platform::kStartDeclined},
     {"find MyAppWindow", "box 0x24 [My App] Install My App now?",
      "start C:\\APP\\DISK1\\setup.exe"}},
    {"installed application's consent declined: no failure question",
     Settings("Version=2\nVerbose=0\nSetupOnly=0\n"),
     "[Auto]\nVersion=2\nCommand=C:\\PROG\\APP.EXE\n",
     {"yes"},
     {platform::kStartDeclined},
     {"find MyAppWindow", "box 0x24 [My App] Start My App now?",
      "start C:\\PROG\\APP.EXE"}},
    {"installed file without Version: installed version 0, not -1",
     Settings("Version=0\nVerbose=0\nSetupOnly=0\n"),
     "[Auto]\nCommand=C:\\PROG\\APP.EXE\n",
     {"no"},
     {},
     {"find MyAppWindow", "box 0x24 [My App] Start My App now?"}},
    {"hostile message texts are shown safely",
     Settings("Version=3\nVerbose=0\n"),
     kNoFile,
     {"yes"},
     {0},
     {"find MyAppWindow", "box 0x24 [My App] My App%s%n%d",
      "start C:\\APP\\DISK1\\setup.exe", "box 0x40 [My App] Setup %s failed"},
     "[ENU]\nAskRunSetup=%s%s%n%d\nSetupErr=Setup %s failed\n"},
};

TEST(LauncherMain, DecisionFlow) {
  for (const Scenario& s : kScenarios) {
    EXPECT_EQ(RunScenario(s), s.expected) << s.what;
  }
}

TEST(LauncherMain, IniFileAsBareNameIsReadFromTheWindowsDirectory) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.SetFile(kSettingsPath,
                "[Auto]\nIniFile=app.ini\nVersion=3\nVerbose=0\nSetupOnly=0\n"
                "AppName=A\n");
  world.SetFile(kMessagesPath, kMessages);
  world.SetFile("C:\\APP\\DISK1\\app.ini", "[Auto]\nVersion=1\n");
  world.SetFile("C:\\WINDOWS\\app.ini", "[Auto]\nVersion=3\n");
  world.answers = {7};
  LauncherMain(nullptr, nullptr, "", 1);
  EXPECT_EQ(world.transcript, Lines({"box 0x24 [A] Start A now?"}));
}

TEST(LauncherMain, ArgumentsChangeNothing) {
  const Scenario& s = kScenarios[2];
  const Lines plain = RunScenario(s);
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  Lay(kSettingsPath, s.settings);
  Lay(kMessagesPath, s.messages);
  Lay(kInstalledPath, s.installed);
  world.answers = {7, 6};
  LauncherMain(&world, &world, "/S /D=C:\\x --force", 0);
  EXPECT_EQ(world.transcript, plain);
}

TEST(LauncherMain, LauncherPathOfAnyScriptUpToTheSystemsLimit) {
  // 37 Japanese characters: 111 bytes of UTF-8, 37 UTF-16 units.
  std::string japanese;
  for (int i = 0; i < 37; ++i) japanese += "\xE6\x97\xA5";
  const std::string deep = "C:\\" + std::string(300, 'd') + "\\LAUNCH.EXE";
  const std::string notice =
      "box 0x40 [] This path is longer than the system allows, so nothing is "
      "read or started from it: ";
  struct Row {
    const char* what;
    std::string folder;  // the launcher's folder, with its last backslash
    Lines expected;
  } rows[] = {
      // Unknown: nothing beside it is read or started, as in an empty folder.
      {"unknown",
       "",
       {"box 0x24 [] Dump Options?",
        "box 0x40 [] Application Installed - SetupOnly Active"}},
      // Far past a 255-byte buffer in UTF-8, well within MAX_PATH.
      {"long in UTF-8",
       "C:\\Users\\me\\Downloads\\" + japanese + "\\" + japanese + "\\",
       {"find MyAppWindow", "box 0x24 [My App] Install My App now?",
        "start C:\\Users\\me\\Downloads\\" + japanese + "\\" + japanese +
            "\\setup.exe"}},
      // Past what the system takes: one notice naming the path.
      {"past the system's limit",
       "",
       {notice + deep.substr(0, deep.size() - 10) + "pellomar.ini"}},
  };
  rows[2].folder = deep.substr(0, deep.size() - 10);
  for (const Row& row : rows) {
    scripted::World& world = scripted::TheWorld();
    world.Reset();
    const bool known = !row.folder.empty();
    world.launcherPath = known ? row.folder + "LAUNCH.EXE" : "";
    world.answers = {6};
    // Files for the unknown launcher lie where it usually is; none lie past
    // the limit, where Windows could not read them.
    const std::string folder = known ? row.folder : "C:\\APP\\DISK1\\";
    if (row.folder != rows[2].folder) {
      world.SetFile(folder + "pellomar.ini",
                    Settings("Version=3\nVerbose=0\n"));
      world.SetFile(folder + "pellomar.dat", kMessages);
      world.SetFile(folder + "setup.exe", "");
    }
    if (!known) world.answers.clear();
    LauncherMain(nullptr, nullptr, "", 1);
    EXPECT_EQ(world.transcript, row.expected) << row.what;
    if (known) continue;
    for (const std::string& read : world.reads)
      EXPECT_EQ(read.rfind("WIN.INI", 0), std::string::npos) << read;
  }
}

TEST(LauncherMain, CaptionIsReadForEveryBox) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.SetFile(kSettingsPath, Settings("Version=3\nVerbose=1\n"));
  world.SetFile(kMessagesPath, kMessages);
  world.answers = {7, 6};
  world.beforeBox = [&world](unsigned n) {
    // The caption of box 1 is read already; box 2 shows the new name.
    if (n == 1)
      world.SetFile(
          kSettingsPath,
          "[Auto]\nAppName=Renamed\nVersion=3\nVerbose=1\nSetupName=s.exe\n");
  };
  LauncherMain(nullptr, nullptr, "", 1);
  EXPECT_EQ(world.transcript,
            Lines({"box 0x24 [My App] Dump Options?", "find MyAppWindow",
                   "box 0x24 [My App] Install My App now?",
                   "box 0x40 [Renamed] Running setup <C:\\APP\\DISK1\\s.exe>",
                   "start C:\\APP\\DISK1\\s.exe"}));
}

TEST(LauncherMain, FailureQuestionTakesTheNameOfTheFirstQuestion) {
  // The name is read once for both questions; only captions are read anew.
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.SetFile(kSettingsPath, Settings("Version=2\nVerbose=0\nSetupOnly=0\n"));
  world.SetFile(kMessagesPath, kMessages);
  world.SetFile(kInstalledPath, "[Auto]\nVersion=2\nCommand=C:\\GONE.EXE\n");
  world.answers = {6, 7};
  world.startResults = {platform::kFileNotFound};
  world.beforeBox = [&world](unsigned n) {
    // Renamed while the first question is open (the first AppName of a
    // section is the one read): the caption of the next box follows, its
    // question still names what was offered.
    if (n == 0)
      world.SetFile(kSettingsPath,
                    "[Auto]\nIniFile=C:\\PROG\\APP.INI\nAppName=Renamed\n"
                    "Version=2\nVerbose=0\nSetupOnly=0\n");
  };
  LauncherMain(nullptr, nullptr, "", 1);
  EXPECT_EQ(world.transcript,
            Lines({"find MyAppWindow", "box 0x24 [My App] Start My App now?",
                   "start C:\\GONE.EXE",
                   "box 0x24 [Renamed] My App did not start. Install it "
                   "again?"}));
}

TEST(LauncherMain, SetupInAFolderWithABlankStartsQuotedAsNoticed) {
  // A stray program in the folder above is never what starts.
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.launcherPath = "C:\\Users\\me\\My Disc\\LAUNCH.EXE";
  world.SetFile("C:\\Users\\me\\My Disc\\pellomar.ini",
                "[Auto]\nAppName=A\nVersion=3\nVerbose=1\n"
                "SetupName=setup.exe /S\n");
  world.SetFile("C:\\Users\\me\\My Disc\\setup.exe", "MZ");
  world.SetFile("C:\\Users\\me\\My.exe", "MZ");
  world.answers = {7, 6};
  LauncherMain(nullptr, nullptr, "", 1);
  const std::string command = "\"C:\\Users\\me\\My Disc\\setup.exe\" /S";
  EXPECT_EQ(world.transcript,
            Lines({"box 0x24 [A] Dump Options?", "box 0x24 [A] ",
                   "box 0x40 [A] Running setup <" + command + ">",
                   "start " + command}));
}

TEST(Reporter, QuietNoticesReadAndShowNothing) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.SetFile(kSettingsPath, Settings(""));
  const Reporter quiet(0);
  quiet.Note("n");
  quiet.NoteText("t %s", "x");
  quiet.NoteNumber("n %d", 1);
  quiet.DumpOptions();
  EXPECT_TRUE(world.reads.empty());
  EXPECT_TRUE(world.transcript.empty());
  // Questions and Show are never gated.
  EXPECT_EQ(quiet.Ask("q %s?", "x"), 7);
  EXPECT_EQ(quiet.Show("s", 0x40), 1);
  EXPECT_EQ(world.transcript,
            Lines({"box 0x24 [My App] q x?", "box 0x40 [My App] s"}));
  // -1, the value of a missing Verbose key, is as verbose as 1.
  world.transcript.clear();
  Reporter(-1).NoteNumber("n %d", -7);
  EXPECT_EQ(world.transcript, Lines({"box 0x40 [My App] n -7"}));
}

TEST(Reporter, FailedBoxCountsAsNo) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.SetFile(kSettingsPath, Settings("Version=3\nVerbose=0\n"));
  world.SetFile(kMessagesPath, kMessages);
  world.answers = {6};
  world.failBoxAt = 1;
  LauncherMain(nullptr, nullptr, "", 1);
  EXPECT_TRUE(world.starts.empty());
}

struct DumpCase {
  const char* what;
  std::string settings;
  std::string installed;
  Lines expected;
};

TEST(Reporter, DumpOptionsListsWhatTheLauncherActsOn) {
  const DumpCase cases[] = {
      {"full settings",
       Settings("Version=3\nSetupOnly=0\n"),
       "[Auto]\nVersion=2\n",
       {"box 0x24 [My App] Dump Options?",
        "box 0x40 [My App] ClassName=<MyAppWindow>",
        "box 0x40 [My App] AppName=<My App>",
        "box 0x40 [My App] run setup<setup.exe>",
        "box 0x40 [My App] setup version 3",
        "box 0x40 [My App] installed version 2",
        "box 0x40 [My App] run setup or exe",
        "box 0x40 [My App] target ini <C:\\PROG\\APP.INI>"}},
      {"empty settings file",
       "",
       kNoFile,
       {"box 0x24 [] Dump Options?", "box 0x40 [] ClassName=<>",
        "box 0x40 [] AppName=<>", "box 0x40 [] run setup<>",
        "box 0x40 [] setup version -1", "box 0x40 [] installed version 0",
        "box 0x40 [] setup only", "box 0x40 [] target ini <>"}},
  };
  for (const DumpCase& c : cases) {
    scripted::World& world = scripted::TheWorld();
    world.Reset();
    Lay(kSettingsPath, c.settings);
    Lay(kInstalledPath, c.installed);
    world.answers = {6};
    Reporter(1).DumpOptions();
    EXPECT_EQ(world.transcript, c.expected) << c.what;
  }
}

TEST(Readers, DefaultsWhenFilesAreMissingOrFail) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  launcherInstance = nullptr;
  char buffer[256];
  EXPECT_EQ(ReadSetting(kAppName, buffer, 255), 0u);
  EXPECT_STREQ(buffer, "");
  for (SettingIndex i : {kVerbose, kSetupOnly, kVersion})
    EXPECT_EQ(ReadSettingInt(i), -1);
  EXPECT_EQ(ReadInstalledVersion(), 0);
  EXPECT_EQ(ReadInstalledCommand(buffer, 255), 0u);
  EXPECT_EQ(ReadMessage(kAskRunSetup, buffer, 255), 0u);
  // IniFile empty: the installed readers open nothing.
  world.SetFile(kSettingsPath, "[Auto]\nIniFile=\n");
  world.reads.clear();
  EXPECT_EQ(ReadInstalledVersion(), 0);
  EXPECT_EQ(ReadInstalledCommand(buffer, 255), 0u);
  EXPECT_EQ(world.reads.size(), 2u);
  // An unreadable file, or a read that fails, gives the default too.
  world.SetFile(kSettingsPath, "[Auto]\nVersion=5\n");
  world.failReadAt = world.readCount + 1;
  EXPECT_EQ(ReadSettingInt(kVersion), -1);
  EXPECT_EQ(ReadSettingInt(kVersion), 5);
  world.SetUnreadable(kSettingsPath);
  EXPECT_EQ(ReadSettingInt(kVersion), -1);
}

TEST(Readers, InstalledFileCutByTheReadRecordsNothing) {
  // The first 254 characters of the path name another file, which is never
  // read: no version, no command.
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  const std::string cutPath = "C:\\" + std::string(251, 'p');
  world.SetFile(kSettingsPath, "[Auto]\nIniFile=" + cutPath + "-long.ini\n");
  world.SetFile(cutPath, "[Auto]\nVersion=9\nCommand=C:\\OTHER.EXE\n");
  char buffer[256];
  bool cut = true;
  EXPECT_EQ(ReadInstalledVersion(), 0);
  EXPECT_EQ(ReadInstalledCommand(buffer, 255, &cut), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_FALSE(cut);
  // One character less is no cut: that file is read.
  world.SetFile(kSettingsPath, "[Auto]\nIniFile=" + cutPath + "\n");
  EXPECT_EQ(ReadInstalledVersion(), 9);
  EXPECT_EQ(ReadInstalledCommand(buffer, 255, &cut), 12u);
}

TEST(Readers, ValuesAreCutTo254Characters) {
  scripted::World& world = scripted::TheWorld();
  world.Reset();
  world.SetFile(kSettingsPath,
                "[Auto]\nAppName=" + std::string(300, 'a') + "\n");
  char buffer[256];
  EXPECT_EQ(ReadSetting(kAppName, buffer, 255), 254u);
  EXPECT_EQ(std::string(buffer), std::string(254, 'a'));
}

}  // namespace
