#include "launcher/launcher.h"

#include "config/keys.h"
#include "config/readers.h"
#include "config/setup_command.h"
#include "config/text.h"
#include "launcher/reporter.h"

namespace {

// Whether the launcher's own files can be reached. A folder whose path is
// too long for the system would make every read give its default (a row of
// empty boxes, then nothing offered); the path of the settings file (both
// own files have names of the same length), or as much of the launcher's
// own as is known, is named once instead. An unknown path has nothing to
// name and keeps the defaults.
bool OwnFilesReachable(const Reporter& reporter) {
  char path[text::kPathSize];
  const unsigned length =
      platform::GetModuleFileNameA(launcherInstance, path, sizeof path);
  if (length == 0) return true;
  if (length < sizeof path - sizeof kSettingsFileName) {
    ResolveBesideLauncher(path, sizeof path, kSettingsFileName);
    if (path[0] == '\0' || platform::PathFits(path)) return true;
  } else {
    path[sizeof path - 1] = '\0';  // named, never used
  }
  reporter.PathTooLong(path);
  return false;
}

}  // namespace

void RunSetup() {
  const Reporter reporter(ReadSettingInt(kVerbose));
  char name[text::kPathSize];
  char command[text::kPathSize];
  // A name that was cut by the read, or a program path longer than the
  // system takes, is named and never started.
  bool cut = false;
  ReadSetting(kSetupName, name, sizeof name, &cut);
  if (cut) {
    reporter.PathTooLong(name);
    return;
  }
  if (!BuildSetupCommand(command, sizeof command, name)) {
    reporter.PathTooLong(command);
    return;
  }
  reporter.NoteText("Running setup <%s>", command);
  // A declined consent counts as started: the user chose, nothing failed.
  if (platform::Started(platform::WinExec(command, platform::kShowNormal)))
    return;
  // Shown whatever the verbose flag, and as written: it is not a format.
  ReadMessage(kSetupErr, name, text::kReadSize);
  reporter.Show(name, platform::kStyleNotice);
}

int LauncherMain(platform::Instance instance, platform::Instance, const char*,
                 int) {
  launcherInstance = instance;
  const Reporter reporter(ReadSettingInt(kVerbose));
  if (!OwnFilesReachable(reporter)) return 0;
  reporter.DumpOptions();

  char message[text::kBufferSize];
  char appName[text::kBufferSize];

  if (ReadSetting(kClassName, message, text::kReadSize) != 0 &&
      platform::FindWindowA(message, nullptr) != nullptr) {
    reporter.Note("App already running");
    return 0;
  }

  const int setupVersion = ReadSettingInt(kVersion);
  const int installedVersion = ReadInstalledVersion();
  if (setupVersion > installedVersion) {
    ReadMessage(kAskRunSetup, message, text::kReadSize);
    ReadSetting(kAppName, appName, text::kReadSize);
    if (reporter.Ask(message, appName) == platform::kAnswerYes) RunSetup();
    return 0;
  }

  if (ReadSettingInt(kSetupOnly) != 0) {
    reporter.Note("Application Installed - SetupOnly Active");
    return 0;
  }

  ReadMessage(kAskRunExe, message, text::kReadSize);
  ReadSetting(kAppName, appName, text::kReadSize);
  if (reporter.Ask(message, appName) != platform::kAnswerYes) return 0;

  char command[text::kPathSize];
  bool cut = false;
  ReadInstalledCommand(command, sizeof command, &cut);
  if (cut) {
    reporter.PathTooLong(command);
    command[0] = '\0';
  }
  reporter.NoteText("Running command <%s>", command);
  if (platform::Started(platform::WinExec(command, platform::kShowNormal)))
    return 0;

  ReadMessage(kExeErr, message, text::kReadSize);
  if (reporter.Ask(message, appName) == platform::kAnswerYes) RunSetup();
  return 0;
}
