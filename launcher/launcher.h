// The launcher's decision flow. The platform's start-up code calls
// LauncherMain once and ends the process with its result.
#pragma once

#include "platform/seam.h"

// Decides between doing nothing, offering setup and offering the installed
// application, asks, and starts at most one program without waiting for it.
// Only `instance` is used; the arguments and show command have no effect.
// Always returns 0.
int LauncherMain(platform::Instance instance, platform::Instance previous,
                 const char* commandLine, int show);

// Starts the setup program named by SetupName, resolved beside the launcher,
// and tells the user when it cannot be started.
void RunSetup();
