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

// GetFileAttributesA for a path from the launcher: kAttributeDirectory for a
// folder, kAttributeNormal for anything else that exists,
// kInvalidFileAttributes when nothing is there. A name that differs only in
// ASCII case is found too.
unsigned FileAttributes(const std::string& path);

// The program file named by the first word of a command line, found once,
// and how to run it.
struct ProgramFile {
  unsigned result = 0;  // platform::kStarted when it can be run, else why not
  std::string path;     // the native path to execute
  std::string folder;   // the current folder to start in; "" keeps ours
  bool withShell = false;  // run as /bin/sh -- path
};

// A name with a folder (Z:\..., /..., .\x) is mapped to a native path, made
// absolute and found in any letter case of its last part; it starts in its
// own folder. A bare name is searched on PATH (never through an empty entry,
// which would mean the current folder) and keeps the current folder. The
// file must be executable; only a file named .sh (in any case) runs with
// /bin/sh, when it lacks "#!" or the execute bit.
ProgramFile FindProgram(const std::string& name);

// The start result for an errno of stat, chdir or execve.
unsigned ResultForError(int error);

// Starts a program as WinExec does: one of the start results of
// platform/seam.h. Exactly the file FindProgram finds is executed, never
// handed to a shell by accident; the program runs in a session of its own,
// with descriptors 0 to 2 only, default signal handling, an empty signal mask
// and the folder FindProgram gives; it is not waited for and leaves no zombie.
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
