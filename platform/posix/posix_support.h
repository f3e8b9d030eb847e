// Pieces of the POSIX platform layer that do not depend on the seam, so that
// tests can call them directly.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace posix {

// Answers of a box besides platform::kAnswerYes, as MessageBoxA gives them.
constexpr int kAnswerOk = 1;
constexpr int kAnswerNo = 7;

// Whether a box style asks Yes or No, rather than telling with OK.
inline bool IsQuestion(unsigned style) { return (style & 0x0F) == 0x04; }

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

// Starts a program as WinExec does: the result is 33 when started, 2 when
// the file is missing, 3 when its folder is, 11 when it cannot be executed,
// 0 otherwise. The program runs in a session of its own, is not waited for
// and leaves no zombie. A .sh file without execute permission is run with
// /bin/sh.
unsigned StartProgram(const std::string& commandLine);

// A message box on a terminal: "[caption] text" on one line, control
// characters shown visibly; a question adds " [y/N] " and reads one line,
// where y or yes in any case, or the locale's own yes, means Yes (6) and
// anything else, or the end of input, No (7). A notice answers OK (1); 0 when
// nothing could be written.
int ConsoleBox(std::FILE* in, std::FILE* out, bool echoNewline,
               const char* text, const char* caption, unsigned style);

// `text` with every control character but tab shown visibly: ^[ for escape,
// ^? for delete, M-^[ for the 8-bit controls (0x80 to 0x9F, raw or as UTF-8).
std::string VisibleControls(const std::string& text);

// Whether an answer line means Yes: y or yes in any ASCII case, or, in the
// user's locale, a whole answer that its yes expression matches (j or J in
// German) or its yes word (ja).
bool MeansYes(const char* line);

// Whether the display named by DISPLAY, or WAYLAND_DISPLAY, answers the
// first request of its protocol within about two seconds. Asked once a run.
bool X11DisplayAnswers();
bool WaylandDisplayAnswers();
// The same for a given display name and time limit.
bool ProbeX11Display(const std::string& name, int milliseconds);
bool ProbeWaylandDisplay(const std::string& name, int milliseconds);

// Whether a top-level window of the class exists on the X display.
bool WindowOfClassExists(const char* className);

enum class LocaleState { kMissing, kOtherCharset, kUtf8 };
// Whether a locale of that name is installed, and with which character set.
LocaleState InstalledLocale(const std::string& name);

// `environment` (NAME=value entries) for a dialog program: unchanged when the
// user's locale is installed and UTF-8; else with LC_ALL set to the same
// language in UTF-8, or to C.UTF-8 with the language kept in LANGUAGE.
std::vector<std::string> DialogEnvironment(
    std::vector<std::string> environment,
    LocaleState (*installed)(const std::string& name));

// kdialog's arguments for a box: the text as escaped rich text, so that it
// shows exactly as written.
std::vector<std::string> KdialogArguments(const std::string& title,
                                          const std::string& body,
                                          bool question);

// The built-in box on the X display; -1 when it cannot be shown.
int X11MessageBox(const char* text, const char* caption, unsigned style);

// A box through zenity, kdialog or the built-in box when a graphical display
// answers, else (or when none of them can show it) ConsoleBox on standard
// input and output.
int ShowBox(const char* text, const char* caption, unsigned style);

}  // namespace posix
