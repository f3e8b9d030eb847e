// The command line that starts the setup program named by SetupName.
#pragma once

// Builds the command line for `setupName` into `buffer` (`size` bytes,
// terminator included). SetupName may carry arguments ("setup.exe /S"), so
// the program part is found inside it before the launcher's folder is put in
// front; see setup_command.cpp for the rules. Nothing is cut: a command line
// that would not fit leaves the empty string, which never starts. `buffer`
// and `setupName` hold text::kPathSize bytes at most.
// Returns false when the program's full path is longer than the system
// takes: `buffer` then holds that path, to be named, never started.
bool BuildSetupCommand(char* buffer, unsigned size, const char* setupName);
