// The command line that starts the setup program named by SetupName.
#pragma once

// Builds the command line for `setupName` into `buffer` (`size` bytes,
// terminator included). SetupName may carry arguments ("setup.exe /S"), so
// the program part is found inside it before the launcher's folder is put in
// front; see setup_command.cpp for the rules. Nothing is cut: a command line
// that would not fit leaves the empty string, which never starts.
void BuildSetupCommand(char* buffer, unsigned size, const char* setupName);
