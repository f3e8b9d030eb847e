// Readers of the launcher's three files. Every reader opens its file through
// the platform at the moment of the call and keeps nothing afterwards, so an
// edit between two reads is seen by the second. No reader reports an error: a
// missing file, section or key gives the reader's default.
#pragma once

#include "config/keys.h"
#include "platform/seam.h"

// The running launcher's handle, stored once at start-up before any reader
// runs; it is how the launcher's own folder is found.
extern platform::Instance launcherInstance;

// Launcher settings file "pellomar.ini", section "Auto". Default "".
// Returns the number of bytes stored; `cut`, when not null, tells whether the
// value was longer than the buffer (such a value is no path to use).
unsigned ReadSetting(SettingIndex index, char* buffer, unsigned size,
                     bool* cut = nullptr);

// The same file, read as an integer. Default -1, so a missing Verbose or
// SetupOnly counts as on and a missing Version is never newer than anything
// installed.
int ReadSettingInt(SettingIndex index);

// Message file "pellomar.dat", section named by the user's language code
// (WIN.INI [intl] sLanguage, "ENU" when absent). Default "". There is no
// fallback to another language.
unsigned ReadMessage(MessageIndex index, char* buffer, unsigned size);

// Version recorded by the installed application in the file named by IniFile;
// 0 when IniFile is empty, was cut by the read, or holds no Version.
int ReadInstalledVersion();

// Command line recorded by the installed application, used as written; empty
// when IniFile is empty, was cut by the read, or holds no Command.
// `cut` as for ReadSetting.
unsigned ReadInstalledCommand(char* buffer, unsigned size, bool* cut = nullptr);

// Turns `name` into a full path beside the launcher (see resolve.cpp for the
// rules). The result is never cut: when it would not fit in size - 1
// characters, or the launcher's own path is not known, the buffer holds the
// empty string.
void ResolveBesideLauncher(char* buffer, unsigned size, const char* name);

// Whether ResolveBesideLauncher takes `name` as written: a name with a drive,
// a UNC name, or one whose first folder has a single character (.\x, a\x).
bool IsCompleteName(const char* name);
