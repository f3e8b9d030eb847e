// Pieces of the POSIX platform layer that do not depend on the seam, so that
// tests can call them directly.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace posix {

// The launcher's paths are Windows paths on drive Z:, the root of the file
// system: /media/cd/autorun is Z:\media\cd\autorun.
std::string ToWindowsPath(const std::string& native);

// Turns a path from the launcher back into a native one. Accepts '\' and '/'
// alike, Z:\... and native absolute paths; relative paths stay relative to
// the current folder. Other drives and UNC paths do not exist here: the
// result is empty.
std::string ToNativePath(const std::string& path);

// Full native path of the running executable; empty when unknown.
std::string OwnExecutablePath();

// The Windows directory: $XDG_CONFIG_HOME, else ~/.config. Empty when neither
// is known.
std::string WindowsDirectory();

// Where a profile file lives: a name without a folder is in the Windows
// directory. Empty when there is no such place.
std::string ProfilePath(const std::string& path);

// A file in the same folder whose name differs from the last component of
// `native` only in ASCII case (media often carry upper-case names); empty
// when there is none.
std::string SameNameIgnoringCase(const std::string& native);

// Splits a command line as Windows programs do: blanks separate arguments;
// double quotes group; 2n backslashes before a quote give n and the quote
// groups, 2n+1 give n and a literal quote; a doubled quote inside quotes is
// a literal quote. The program name (first argument) is taken up to its
// closing quote, or the first blank, without backslash rules.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The Windows language code (such as DEU) for the user's locale: the first
// set of LC_ALL, LC_MESSAGES and LANG. "ENU" when nothing maps.
std::string LanguageFromLocale();
// The same for one locale name such as "de_DE.UTF-8".
std::string LanguageForLocale(const std::string& locale);

// GetFileAttributesA for a path from the launcher: 0x10 for a folder, 0x80
// for anything else that exists, 0xFFFFFFFF when nothing is there. A name
// that differs only in ASCII case is found too.
unsigned FileAttributes(const std::string& path);

// Starts a program as WinExec does: the result is 33 when started, 2 when
// the file is missing, 3 when its folder is, 11 when it cannot be executed,
// 0 otherwise. The program runs in a session of its own, is not waited for
// and leaves no zombie. A .sh file without execute permission is run with
// /bin/sh.
unsigned StartProgram(const std::string& commandLine);

// A message box on a terminal: "[caption] text" on one line; a question adds
// " [y/N] " and reads one line, where y or yes in any case means Yes (6) and
// anything else, or the end of input, No (7). A notice answers OK (1); 0 when
// nothing could be written.
int ConsoleBox(std::FILE* in, std::FILE* out, bool echoNewline,
               const char* text, const char* caption, unsigned style);

// Whether a top-level window of the class exists on the X display.
bool WindowOfClassExists(const char* className);

// A box through the desktop's dialog program (zenity, else kdialog) when a
// graphical display is there, else ConsoleBox on standard input and output.
int ShowBox(const char* text, const char* caption, unsigned style);

}  // namespace posix
