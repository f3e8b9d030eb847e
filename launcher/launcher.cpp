#include "launcher/launcher.h"

#include "config/readers.h"
#include "config/setup_command.h"
#include "config/text.h"
#include "launcher/reporter.h"

void RunSetup() {
  const Reporter reporter(ReadSettingInt(kVerbose));
  char name[text::kBufferSize];
  char command[text::kBufferSize];
  // A name that was cut by the read is never started.
  bool cut = false;
  ReadSetting(kSetupName, name, text::kReadSize, &cut);
  if (cut)
    command[0] = '\0';
  else
    BuildSetupCommand(command, text::kReadSize, name);
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

  bool cut = false;
  ReadInstalledCommand(message, text::kReadSize, &cut);
  if (cut) message[0] = '\0';
  reporter.NoteText("Running command <%s>", message);
  if (platform::Started(platform::WinExec(message, platform::kShowNormal)))
    return 0;

  ReadMessage(kExeErr, message, text::kReadSize);
  if (reporter.Ask(message, appName) == platform::kAnswerYes) RunSetup();
  return 0;
}
