// Message boxes for the POSIX layer: the first that works of zenity, kdialog
// and the built-in X11 box on a display that answers, else the console.
// Left out: any toolkit linked into the launcher.
#pragma once

#include <string>
#include <vector>

namespace posix {

// kdialog's arguments for a box: the text as escaped rich text, so that it
// shows exactly as written.
std::vector<std::string> KdialogArguments(const std::string& title,
                                          const std::string& body,
                                          bool question);

// A box through zenity, kdialog or the built-in box when a graphical display
// answers, else (or when none of them can show it) ConsoleBox on standard
// input and output. The answer as MessageBoxA gives it.
int ShowBox(const char* text, const char* caption, unsigned style);

}  // namespace posix
