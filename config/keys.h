// The two ordered key tables through which the launcher names the entries of
// its files, the names of its own files, and the section that overrides the
// settings under the Linux launcher's rules. Callers use the indices, never
// the texts.
#pragma once

// The launcher's own files, beside it.
constexpr char kSettingsFileName[] = "pellomar.ini";
constexpr char kMessageFileName[] = "pellomar.dat";

// Under the Linux launcher's rules each key of the settings file is looked
// up first in the section of the same name with this suffix ([Auto.Linux]),
// and only when it is not there in the section itself: the Linux section
// overrides the other key by key. The Windows launcher never reads it.
constexpr char kLinuxSectionSuffix[] = ".Linux";

// Entries of the launcher settings file and of the installed application's
// INI. The last entry is not a key: it is the section name both files use.
// Which entry belongs to which file is said by the lists below, not by the
// order of this one.
enum SettingIndex {
  kIniFile = 0,    // path of the installed application's INI file
  kAppName = 1,    // caption of every box, argument of the questions
  kSetupOnly = 2,  // non-zero: never offer the installed application
  kVersion = 3,    // version the setup brings / version installed
  kClassName = 4,  // window class of the running application
  kSetupName = 5,  // setup program, resolved beside the launcher
  kVerbose = 6,    // non-zero: diagnostic notices
  kCommand = 7,    // command line of the installed application
  kAutoSection = 8,
  kSettingCount = 9
};

// The keys of the launcher settings file.
constexpr SettingIndex kLauncherSettingKeys[] = {
    kIniFile, kAppName, kSetupOnly, kVersion, kClassName, kSetupName, kVerbose};
// Those of them that are read as integers (missing or empty: -1).
constexpr SettingIndex kIntegerSettingKeys[] = {kSetupOnly, kVersion, kVerbose};
// The keys of the installed application's INI.
constexpr SettingIndex kInstalledKeys[] = {kVersion, kCommand};
// The keys whose values name files: read into path buffers
// (text::kPathSize), every other value into the usual text buffer.
constexpr bool HoldsPath(SettingIndex index) {
  return index == kIniFile || index == kSetupName || index == kCommand;
}
// The section that both files use.
constexpr SettingIndex kSettingsSection = kAutoSection;

// Entries of each language section of the message file.
enum MessageIndex {
  kAskRunSetup = 0,  // question offering setup, one %s for the name
  kAskRunExe = 1,    // question offering the installed application
  kExeErr = 2,       // question after the application failed to start
  kSetupErr = 3,     // notice when setup failed to start, shown as written
  kMessageCount = 4
};

extern const char* const SettingKey[kSettingCount];
extern const char* const MessageKey[kMessageCount];
