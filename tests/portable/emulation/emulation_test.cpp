// The Windows emulation over a system held in memory: where files are found
// (drive Z:, letter case, the Windows directory), what the profile functions
// read (the [Auto.Linux] section of the settings file among them), and which
// program each launcher's rules start.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "config/keys.h"
#include "platform/seam.h"
#include "portable/emulation/paths.h"
#include "portable/emulation/windows.h"

namespace {

using emulation::Entry;
using emulation::Rules;
using Args = std::vector<std::string>;

const emulation::OwnFiles kOwnFiles = {kSettingsFileName, kMessageFileName,
                                       kLinuxSectionSuffix};

// A POSIX system in memory: files (their folders exist by themselves).
class FakeSystem final : public emulation::System {
 public:
  void AddFile(const std::string& path, const std::string& content,
               bool executable = false, bool readable = true) {
    nodes_[path] = Node{{Entry::kFile, readable, executable}, content};
    for (std::string folder = emulation::FolderOf(path);;
         folder = emulation::FolderOf(folder)) {
      nodes_[folder] = Node{{Entry::kFolder, true, false}, ""};
      if (folder == "/") break;
    }
  }

  bool WindowsPaths() const override { return false; }
  Entry Inspect(const std::string& native) override {
    const auto it = nodes_.find(native);
    return it == nodes_.end() ? Entry() : it->second.entry;
  }
  void ForEachName(
      const std::string& folder,
      const std::function<bool(const std::string&)>& visit) override {
    for (const auto& node : nodes_) {
      if (node.first != "/" && emulation::FolderOf(node.first) == folder &&
          visit(emulation::NameOf(node.first)))
        return;
    }
  }
  bool Read(const std::string& native,
            const std::function<void(ini::Source&)>& use) override {
    const auto it = nodes_.find(native);
    if (it == nodes_.end() || it->second.entry.kind != Entry::kFile ||
        !it->second.entry.readable)
      return false;
    ini::MemorySource source(it->second.content.data(),
                             it->second.content.size());
    use(source);
    return true;
  }
  std::string Variable(const char* name) override { return variables[name]; }
  std::string PasswordHome() override { return passwordHome; }
  std::string CurrentFolder() override { return "/home/me"; }
  std::string OwnPath() override { return own; }
  std::string UserLanguage() override { return language; }

  std::map<std::string, std::string> variables;
  std::string passwordHome = "/home/me";
  std::string own = "/media/cd/autorun";
  std::string language;

 private:
  struct Node {
    Entry entry;
    std::string content;
  };
  std::map<std::string, Node> nodes_;
};

TEST(Emulation, LocatesFilesWithoutRegardToLetterCase) {
  FakeSystem system;
  system.AddFile("/media/CD/SETUP.SH", "");
  system.AddFile("/media/CD/Setup.sh", "");
  system.AddFile("/media/CD/Sub/App.INI", "");
  system.AddFile("/home/me/rel.ini", "");
  const emulation::Windows windows(system, Rules::kLinux, kOwnFiles);
  const struct {
    const char* path;
    const char* found;
  } cases[] = {
      {"/media/CD/Setup.sh", "/media/CD/Setup.sh"},  // the exact name wins
      {"/media/cd/setup.sh", "/media/CD/SETUP.SH"},  // then byte order
      {"/MEDIA/cd/sub/app.ini", "/media/CD/Sub/App.INI"},
      {"rel.ini", "/home/me/rel.ini"},  // from the current folder
      {"/media/cd/missing.sh", ""},
      {"/media/cd/setup.sh/x", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(windows.Locate(c.path), c.found);
}

TEST(Emulation, WindowsDirectory) {
  const struct {
    const char* xdg;
    const char* home;
    const char* passwordHome;
    const char* expected;
  } cases[] = {
      {"/cfg", "/home/x", "/home/p", "/cfg"},
      {"relative", "/home/x", "/home/p", "/home/x/.config"},
      {"", "/home/x", "/home/p", "/home/x/.config"},
      {"", "", "/home/p", "/home/p/.config"},  // HOME unset
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    FakeSystem system;
    system.variables["XDG_CONFIG_HOME"] = c.xdg;
    system.variables["HOME"] = c.home;
    system.passwordHome = c.passwordHome;
    EXPECT_EQ(
        emulation::Windows(system, Rules::kLinux, kOwnFiles).WindowsDirectory(),
        c.expected)
        << c.xdg << "|" << c.home << "|" << c.passwordHome;
  }
}

std::string Read(const emulation::Windows& windows, const char* file,
                 const char* key) {
  char buffer[256];
  windows.GetPrivateProfileString("Auto", key, "<none>", buffer, 255, file,
                                  nullptr);
  return buffer;
}

TEST(Emulation, ProfileReads) {
  FakeSystem system;
  system.variables["XDG_CONFIG_HOME"] = "/cfg";
  const std::string settings =
      "[Auto]\nSetupName=setup.exe\nClassName=Win\nVerbose=0\nVersion=3\n"
      "AppName=App\n[Auto.Linux]\nSetupName=setup.sh\nClassName=\n"
      "Verbose=\nVersion\n";
  system.AddFile("/media/cd/PELLOMAR.INI", settings);
  system.AddFile("/media/cd/other.ini", settings);
  system.AddFile("/cfg/app.ini", "[Auto]\nVersion=7\n");
  system.AddFile("/cfg/WIN.INI", "[intl]\nsLanguage=DEU\n");
  const char kSettings[] = "Z:\\media\\cd\\pellomar.ini";
  const emulation::Windows linux(system, Rules::kLinux, kOwnFiles);
  const emulation::Windows windows(system, Rules::kWindows, kOwnFiles);
  // [Auto.Linux] first, for the launcher's own settings file on Linux only;
  // a key there without '=' is not there, an empty one is.
  EXPECT_EQ(Read(linux, kSettings, "SetupName"), "setup.sh");
  EXPECT_EQ(Read(linux, kSettings, "ClassName"), "");
  EXPECT_EQ(Read(linux, kSettings, "AppName"), "App");
  EXPECT_EQ(linux.GetPrivateProfileInt("Auto", "Verbose", -1, kSettings), -1);
  EXPECT_EQ(linux.GetPrivateProfileInt("Auto", "Version", -1, kSettings), 3);
  EXPECT_EQ(Read(windows, kSettings, "SetupName"), "setup.exe");
  EXPECT_EQ(windows.GetPrivateProfileInt("Auto", "Verbose", -1, kSettings), 0);
  EXPECT_EQ(Read(linux, "Z:\\media\\cd\\other.ini", "SetupName"), "setup.exe");
  // A bare name is a file of the Windows directory; so is WIN.INI.
  EXPECT_EQ(linux.GetPrivateProfileInt("Auto", "Version", 0, "APP.INI"), 7);
  EXPECT_EQ(Read(linux, "C:\\app.ini", "Version"), "<none>");
  char language[16];
  linux.GetProfileString("intl", "sLanguage", "ENU", language, 16);
  EXPECT_STREQ(language, "DEU");
}

// Another program's INI file is read under Windows rules as Windows' own
// profile functions read it: UTF-16 only with its little-endian mark,
// anything else 8-bit text of the code page; the launcher's own files, and
// every file under Linux rules, by the reader's model.
TEST(Emulation, TextModelOfEachFile) {
  const std::string utf8 = "[Auto]\nCommand=C:\\\xC3\xA9\\app.exe\n";
  const std::string utf16le = [] {
    std::string out = "\xFF\xFE";
    for (const char c : std::string("[Auto]\nCommand=C:\\\xE9\\app.exe\n")) {
      out += c;
      out += '\0';
    }
    return out;
  }();
  const std::string be = [&] {
    std::string out = "\xFE\xFF";
    for (std::size_t i = 2; i < utf16le.size(); i += 2) {
      out += utf16le[i + 1];
      out += utf16le[i];
    }
    return out;
  }();
  const std::string accented = "C:\\\xC3\xA9\\app.exe";
  const struct {
    const char* what;
    std::string content;
    std::string windows;  // the installed application's file, Windows rules
    std::string own;      // the same text as the launcher's settings file
  } cases[] = {
      {"UTF-8 without a mark", utf8, "C:\\\xC3\x83\xC2\xA9\\app.exe", accented},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + utf8, "<none>", accented},
      {"UTF-16 LE", utf16le, accented, accented},
      {"UTF-16 BE", be, "<none>", accented},
      {"8-bit", "[Auto]\nCommand=C:\\\xE9\\app.exe\n", accented, accented},
  };
  for (const auto& c : cases) {
    FakeSystem system;
    system.AddFile("/opt/app.ini", c.content);
    system.AddFile("/media/cd/pellomar.ini", c.content);
    const emulation::Windows windows(system, Rules::kWindows, kOwnFiles);
    const emulation::Windows linux(system, Rules::kLinux, kOwnFiles);
    EXPECT_EQ(Read(windows, "Z:\\opt\\app.ini", "Command"), c.windows)
        << c.what;
    EXPECT_EQ(Read(linux, "Z:\\opt\\app.ini", "Command"), c.own) << c.what;
    EXPECT_EQ(Read(windows, "Z:\\media\\cd\\pellomar.ini", "Command"), c.own)
        << c.what;
  }
}

TEST(Emulation, LanguageWithoutWinIni) {
  FakeSystem system;
  system.variables["XDG_CONFIG_HOME"] = "/cfg";
  const emulation::Windows windows(system, Rules::kLinux, kOwnFiles);
  char language[16];
  for (const char* own : {"", "FRA"}) {
    system.language = own;
    windows.GetProfileString("intl", "sLanguage", "ENU", language, 16);
    EXPECT_STREQ(language, *own != '\0' ? own : "ENU");
  }
  windows.GetProfileString("intl", "iCountry", "1", language, 16);
  EXPECT_STREQ(language, "1");
}

TEST(Emulation, OwnPathAndAttributes) {
  FakeSystem system;
  system.AddFile("/media/cd/setup.sh", "");
  const emulation::Windows windows(system, Rules::kLinux, kOwnFiles);
  char buffer[32];
  EXPECT_EQ(windows.GetModuleFileName(buffer, sizeof buffer), 19u);
  EXPECT_STREQ(buffer, "Z:\\media\\cd\\autorun");
  // Too long: cut, unterminated, and the result is the size.
  EXPECT_EQ(windows.GetModuleFileName(buffer, 8), 8u);
  EXPECT_EQ(std::string(buffer, 8), "Z:\\media");
  system.own = "";
  EXPECT_EQ(windows.GetModuleFileName(buffer, sizeof buffer), 0u);

  EXPECT_EQ(windows.GetFileAttributes("Z:\\MEDIA\\CD\\Setup.SH"),
            platform::kAttributeNormal);
  EXPECT_EQ(windows.GetFileAttributes("z:/media/cd"),
            platform::kAttributeDirectory);
  for (const char* none : {"Z:\\media\\cd\\gone", "C:\\media", "\\\\s\\x", ""})
    EXPECT_EQ(windows.GetFileAttributes(none), platform::kInvalidFileAttributes)
        << none;
}

struct StartCase {
  const char* command;
  unsigned result;
  Args argv;  // when started
  const char* folder;
};

TEST(Emulation, LinuxStartRules) {
  FakeSystem system;
  system.variables["PATH"] = ":/usr/bin";  // the empty entry is not "."
  system.AddFile("/cd/app",
                 "\x7f"
                 "ELF...",
                 true);
  system.AddFile("/cd/run", "#!/bin/sh\n", true);
  system.AddFile("/cd/Setup.SH", "echo\n");         // no execute permission
  system.AddFile("/cd/plain.sh", "echo\n", true);   // no #! line
  system.AddFile("/cd/setup.bat", "echo\n", true);  // neither ELF nor #!
  system.AddFile("/cd/noexec", "#!/bin/sh\n");
  system.AddFile("/cd/secret.sh", "", false, false);
  system.AddFile("/home/me/here", "#!/bin/sh\n", true);  // current folder
  system.AddFile("/cd/My Disc/x", "#!/bin/sh\n", true);
  system.AddFile("/usr/bin/tool",
                 "\x7f"
                 "ELF",
                 true);
  // Scripts without execute permission run through their #! line's
  // interpreter, which must exist; a name of any ending.
  const std::string elf = "\x7f" + std::string("ELF");
  for (const char* interpreter : {"/bin/bash", "/usr/bin/env", "/bin/sh"})
    system.AddFile(interpreter, elf, true);
  system.AddFile("/cd/bash-setup", "#!/bin/bash\nparts=(a b)\n");
  system.AddFile("/cd/env-setup", "#! /usr/bin/env  bash -e \t\n");
  system.AddFile("/cd/gone-interpreter", "#!/usr/bin/bash5\n", true);
  system.AddFile("/cd/empty-mark", "#!\n");
  system.AddFile("/cd/crlf.sh", "#!/bin/sh\r\necho\r\n", true);
  system.AddFile("/cd/crlf-plain", "echo\r\n");
  system.AddFile("/cd/plain", "echo\n");
  system.AddFile("/cd/elf-noexec", elf);
  system.AddFile("/cd/setup.exe", "MZ\x90", true);
  system.AddFile("/cd/binary", std::string("a\0b", 3));
  const emulation::Windows windows(system, Rules::kLinux, kOwnFiles);
  const StartCase cases[] = {
      {"Z:\\cd\\app a \"b c\"",
       platform::kStarted,
       {"/cd/app", "a", "b c"},
       "/cd"},
      {"Z:\\cd\\run", platform::kStarted, {"/cd/run"}, "/cd"},
      {"Z:\\CD\\setup.sh /S",
       platform::kStarted,
       {"/bin/sh", "--", "/cd/Setup.SH", "/S"},
       "/cd"},
      {"Z:\\cd\\plain",
       platform::kStarted,
       {"/bin/sh", "--", "/cd/plain"},
       "/cd"},
      {"Z:\\cd\\bash-setup /S",
       platform::kStarted,
       {"/bin/bash", "/cd/bash-setup", "/S"},
       "/cd"},
      {"Z:\\cd\\env-setup",
       platform::kStarted,
       {"/usr/bin/env", "bash -e", "/cd/env-setup"},
       "/cd"},
      {"Z:\\cd\\gone-interpreter", platform::kNotExecutable, {}, ""},
      {"Z:\\cd\\empty-mark", platform::kNotExecutable, {}, ""},
      {"Z:\\cd\\crlf.sh", platform::kNotExecutable, {}, ""},
      {"Z:\\cd\\crlf-plain", platform::kNotExecutable, {}, ""},
      {"Z:\\cd\\elf-noexec", platform::kNotExecutable, {}, ""},
      {"Z:\\cd\\setup.exe", platform::kNotExecutable, {}, ""},
      {"Z:\\cd\\binary", platform::kNotExecutable, {}, ""},
      {"Z:\\cd\\plain.sh",
       platform::kStarted,
       {"/bin/sh", "--", "/cd/plain.sh"},
       "/cd"},
      {"\"Z:\\cd\\My Disc\\x\"",
       platform::kStarted,
       {"/cd/My Disc/x"},
       "/cd/My Disc"},
      {"tool -v", platform::kStarted, {"/usr/bin/tool", "-v"}, ""},
      {"Z:\\cd\\My Disc\\x", platform::kFileNotFound, {}, ""},
      {"Z:\\cd\\setup.bat", platform::kNotExecutable, {}, ""},
      {"Z:\\cd\\noexec", platform::kStarted, {"/bin/sh", "/cd/noexec"}, "/cd"},
      {"Z:\\cd\\secret.sh", platform::kNotExecutable, {}, ""},
      {"Z:\\cd", platform::kStartFailed, {}, ""},
      {"Z:\\cd\\gone\\x", platform::kPathNotFound, {}, ""},
      {"C:\\setup.exe", platform::kPathNotFound, {}, ""},
      {"missing", platform::kFileNotFound, {}, ""},
      {"here", platform::kFileNotFound, {}, ""},
      {"  ", platform::kFileNotFound, {}, ""},
  };
  for (const StartCase& c : cases) {
    const emulation::Start start = windows.LinuxStart(c.command);
    EXPECT_EQ(start.result, c.result) << c.command;
    EXPECT_EQ(start.argv, c.argv) << c.command;
    EXPECT_EQ(start.folder, c.folder) << c.command;
  }
}

TEST(Emulation, WindowsStartRules) {
  FakeSystem system;
  system.variables["XDG_CONFIG_HOME"] = "/cfg";
  system.AddFile("/cd/My.exe", "");  // planted
  system.AddFile("/cd/My Disc/setup.exe", "");
  system.AddFile("/dvd/Disc Two/setup.exe", "");
  system.AddFile("/dvd/Disc Two/readme.txt", "");
  system.AddFile("/media/cd/beside.exe", "");  // beside the launcher
  system.AddFile("/cfg/inwin.exe", "");        // in the Windows directory
  system.AddFile("/cd/setup.exe", "");
  system.AddFile("/cd/pkg.msi", "");
  system.AddFile("/cd/image.bin", "MZ\x90");
  system.AddFile("/home/me/here.exe", "");  // in the current folder
  const emulation::Windows windows(system, Rules::kWindows, kOwnFiles);
  const struct {
    const char* command;
    unsigned result;
    const char* program;
    bool checked;
  } cases[] = {
      {"\"Z:\\cd\\My Disc\\setup.exe\" /S", platform::kStarted,
       "/cd/My Disc/setup.exe", true},
      // Unquoted, the first blank-ended prefix that exists wins.
      {"Z:\\cd\\My Disc\\setup.exe", platform::kStarted, "/cd/My.exe", true},
      {"Z:\\dvd\\disc two\\setup /S", platform::kStarted,
       "/dvd/Disc Two/setup.exe", true},
      // Windows starts programs, batch files and installer packages only.
      {"Z:\\dvd\\Disc Two\\readme.txt", platform::kNotExecutable,
       "/dvd/Disc Two/readme.txt", true},
      {"beside", platform::kStarted, "/media/cd/beside.exe", true},
      {"inwin.exe x", platform::kStarted, "/cfg/inwin.exe", true},
      {"notepad.exe", platform::kStarted, "notepad.exe", false},
      {"C:\\Program Files\\app.exe", platform::kStarted, "C:\\Program.exe",
       false},
      // Paths made full as Windows makes them before it looks.
      {"Z:\\cd\\nosuch\\..\\setup.exe", platform::kStarted, "/cd/setup.exe",
       true},
      {"Z:\\cd\\setup.exe. /S", platform::kStarted, "/cd/setup.exe", true},
      {"Z:here.exe", platform::kStarted, "/home/me/here.exe", true},
      {"D:setup.exe", platform::kStarted, "D:setup.exe", false},
      {"\\\\srv\\share\\setup.exe", platform::kStarted,
       "\\\\srv\\share\\setup.exe", false},
      // An installer package, and a program under another name.
      {"Z:\\cd\\pkg.msi /qb", platform::kStarted, "/cd/pkg.msi", true},
      {"Z:\\cd\\image.bin", platform::kStarted, "/cd/image.bin", true},
      {"Z:\\cd\\gone.exe", platform::kFileNotFound, "/cd/gone.exe", true},
      {"Z:\\gone\\x.exe", platform::kPathNotFound, "/gone/x.exe", true},
      {"", platform::kFileNotFound, "", true},
  };
  for (const auto& c : cases) {
    const emulation::Start start = windows.WindowsStart(c.command);
    EXPECT_EQ(start.result, c.result) << c.command;
    EXPECT_EQ(start.program, c.program) << c.command;
    EXPECT_EQ(start.checked, c.checked) << c.command;
  }
  // Without the current folder, a bare name is left to the folders that
  // cannot be seen here.
  system.variables["NoDefaultCurrentDirectoryInExePath"] = "1";
  const emulation::Start start = windows.WindowsStart("here.exe");
  EXPECT_EQ(start.program, "here.exe");
  EXPECT_FALSE(start.checked);
}

TEST(Emulation, FullWindowsPaths) {
  const char kDisk[] = "C:\\APP\\DISK1";
  const char kShare[] = "\\\\SRV\\SHARE\\DIR";
  const struct {
    const char* current;
    const char* path;
    const char* full;
  } cases[] = {
      {kDisk, "setup.exe", "C:\\APP\\DISK1\\setup.exe"},
      {kDisk, "nosuch\\..\\setup.exe", "C:\\APP\\DISK1\\setup.exe"},
      {kDisk, "C:\\APP\\.\\DISK1\\..\\x.exe", "C:\\APP\\x.exe"},
      {kDisk, "C:\\..\\..\\x", "C:\\x"},
      {kDisk, "setup.exe. .", "C:\\APP\\DISK1\\setup.exe"},
      // One dot ends a folder's name; more stay, as does a trailing
      // separator.
      {kDisk, "C:\\a.\\b..\\c", "C:\\a\\b..\\c"},
      {kDisk, "C:\\dir\\", "C:\\dir\\"},
      {kDisk, "C:\\dir\\...", "C:\\dir\\"},
      {kDisk, "c:x.exe", "C:\\APP\\DISK1\\x.exe"},
      {kDisk, "D:x.exe", "D:\\x.exe"},
      {kDisk, "\\x.exe", "C:\\x.exe"},
      {kDisk, "/APP//x.exe", "C:\\APP\\x.exe"},
      {kDisk, "\\\\srv\\share\\..\\x", "\\\\srv\\share\\x"},
      {kDisk, "\\\\?\\C:\\x.", "\\\\?\\C:\\x."},
      {kShare, "\\x", "\\\\SRV\\SHARE\\x"},
      {kShare, "..\\..\\x", "\\\\SRV\\SHARE\\x"},
      {"", "x.exe", "x.exe"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(emulation::FullWindowsPath(c.path, c.current), c.full)
        << c.current << " + " << c.path;
  }
}

}  // namespace
