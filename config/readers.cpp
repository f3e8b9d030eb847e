#include "config/readers.h"

#include "config/text.h"

platform::Instance launcherInstance = nullptr;

namespace {

// Whose rules read a file: the launcher's own reader (its settings and
// messages), or the system's profile functions (the installed application's
// INI file, as that application reads it).
enum class Owner { kLauncher, kSystem };

// Reads `key` of `section` from `file`; an unresolved (empty) path means the
// file cannot be found, so nothing is asked of the platform.
unsigned ReadString(const char* section, const char* key, char* buffer,
                    unsigned size, const char* file, bool* cut, Owner owner) {
  if (cut != nullptr) *cut = false;
  if (file[0] == '\0') {
    if (size > 0) buffer[0] = '\0';
    return 0;
  }
  if (owner == Owner::kLauncher)
    return platform::ReadOwnString(section, key, "", buffer, size, file, cut);
  return platform::GetPrivateProfileStringA(section, key, "", buffer, size,
                                            file, cut);
}

int ReadInt(const char* section, const char* key, int fallback,
            const char* file, Owner owner) {
  if (file[0] == '\0') return fallback;
  if (owner == Owner::kLauncher)
    return platform::ReadOwnInt(section, key, fallback, file);
  return platform::GetPrivateProfileIntA(section, key, fallback, file);
}

// The path held by IniFile into `file`; false when no installed application
// is recorded: IniFile is empty, or was cut by the read (a cut path may name
// another file, whose Command must not be started).
// `file` holds text::kPathSize bytes.
bool ReadInstalledFile(char* file) {
  bool cut = false;
  return ReadSetting(kIniFile, file, text::kPathSize, &cut) != 0 && !cut;
}

}  // namespace

unsigned ReadSetting(SettingIndex index, char* buffer, unsigned size,
                     bool* cut) {
  char path[text::kPathSize];
  ResolveBesideLauncher(path, sizeof path, kSettingsFileName);
  return ReadString(SettingKey[kAutoSection], SettingKey[index], buffer, size,
                    path, cut, Owner::kLauncher);
}

int ReadSettingInt(SettingIndex index) {
  char path[text::kPathSize];
  ResolveBesideLauncher(path, sizeof path, kSettingsFileName);
  return ReadInt(SettingKey[kAutoSection], SettingKey[index], -1, path,
                 Owner::kLauncher);
}

unsigned ReadMessage(MessageIndex index, char* buffer, unsigned size) {
  char language[text::kBufferSize];
  platform::GetProfileStringA("intl", "sLanguage", "ENU", language,
                              text::kReadSize);
  char path[text::kPathSize];
  ResolveBesideLauncher(path, sizeof path, kMessageFileName);
  return ReadString(language, MessageKey[index], buffer, size, path, nullptr,
                    Owner::kLauncher);
}

int ReadInstalledVersion() {
  char file[text::kPathSize];
  if (!ReadInstalledFile(file)) return 0;
  return ReadInt(SettingKey[kAutoSection], SettingKey[kVersion], 0, file,
                 Owner::kSystem);
}

unsigned ReadInstalledCommand(char* buffer, unsigned size, bool* cut) {
  char file[text::kPathSize];
  if (!ReadInstalledFile(file)) {
    if (cut != nullptr) *cut = false;
    if (size > 0) buffer[0] = '\0';
    return 0;
  }
  return ReadString(SettingKey[kAutoSection], SettingKey[kCommand], buffer,
                    size, file, cut, Owner::kSystem);
}
