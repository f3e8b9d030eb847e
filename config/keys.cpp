#include "config/keys.h"

const char* const SettingKey[kSettingCount] = {
    "IniFile",   "AppName", "SetupOnly", "Version", "ClassName",
    "SetupName", "Verbose", "Command",   "Auto"};

const char* const MessageKey[kMessageCount] = {"AskRunSetup", "AskRunExe",
                                               "ExeErr", "SetupErr"};
