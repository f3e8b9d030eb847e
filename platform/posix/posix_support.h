// Pieces of the POSIX platform layer that do not depend on the seam, so that
// tests can call them directly. What imitates Windows is the emulation's
// (portable/emulation/); this layer gives it the system's facts and keeps
// what is truly Linux: boxes, starting a process, the window check.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/seam.h"
#include "portable/emulation/paths.h"
#include "portable/emulation/utf8.h"
#include "portable/emulation/windows.h"

namespace posix {

// The Windows that the Linux launcher imitates (Linux rules), over this
// system's files; and that system itself, for the checker.
emulation::Windows& Emulation();
emulation::System& FileSystem();

// Answers of a box besides Yes, as MessageBoxA gives them.
using platform::kAnswerNo;
using platform::kAnswerOk;

// Whether a box style asks Yes or No, rather than telling with OK.
inline bool IsQuestion(unsigned style) { return (style & 0x0F) == 0x04; }

// Path mapping and command-line splitting are the emulation's (see
// portable/emulation/paths.h); the names stay here for the layer's callers.
using emulation::SplitCommandLine;
using emulation::ToNativePath;
using emulation::ToWindowsPath;

// Strict UTF-8 and Windows-1252 are the emulation's too (the checker counts
// with them); the names stay here for the layer's boxes.
using emulation::AppendUtf8;
using emulation::AsUtf8;
using emulation::DecodeUtf8;
using emulation::IsStrictUtf8;
using emulation::Utf8SequenceLength;
using emulation::Windows1252ToUtf8;

// The environment variable by which autorun.sh names the medium's folder
// when it runs a copy of the launcher from elsewhere.
constexpr char kMediumVariable[] = "PELLOMAR_MEDIUM";

// Full native path of the running executable (not of the dynamic loader
// that may run it); empty when unknown.
std::string OwnExecutablePath();

// The Windows directory (Windows::WindowsDirectory).
std::string WindowsDirectory();

// Where a profile file lives: a name without a folder is in the Windows
// directory. Empty when there is no such place.
std::string ProfilePath(const std::string& path);

// The entry at `native`, or one whose names differ only in ASCII case (media
// often carry upper-case names); empty when there is none.
std::string SameNameIgnoringCase(const std::string& native);

// The Windows language code (such as DEU) for the user's locale: the first
// set of LC_ALL, LC_MESSAGES and LANG. "ENU" when nothing maps.
std::string LanguageFromLocale();
// The same for one locale name such as "de_DE.UTF-8".
std::string LanguageForLocale(const std::string& locale);

// GetFileAttributesA for a path from the launcher (Windows::GetFileAttributes):
// kAttributeDirectory for a folder, kAttributeNormal for anything else that
// exists, kInvalidFileAttributes when nothing is there. A name that differs
// only in ASCII case is found too.
unsigned FileAttributes(const std::string& path);

// The start result for an errno of stat, chdir or execve.
unsigned ResultForError(int error);

// Starts a program as WinExec does: one of the start results of
// platform/seam.h. Exactly the argument list and folder of the emulation's
// Linux rules (Windows::LinuxStart) are executed, never handed to a shell by
// accident; the program runs in a session of its own, with descriptors 0 to 2
// only, default signal handling and an empty signal mask; it is not waited
// for and leaves no zombie.
unsigned StartProgram(const std::string& commandLine);

// A message box on a terminal: "[caption] text" on one line, control
// characters shown visibly; a question adds " [y/N] " and reads one line,
// where y or yes in any case, or the locale's own yes, means Yes (6) and
// anything else, or the end of input, No (7). A notice answers OK (1); 0 when
// nothing could be written.
int ConsoleBox(std::FILE* in, std::FILE* out, bool echoNewline,
               const char* text, const char* caption, unsigned style);

// The character set of the terminal as the user's locale names it (LC_ALL,
// LC_CTYPE, LANG; the locale installed or not); empty for UTF-8, and for the
// C locale, which names none.
std::string TerminalCharset();
// `text` as the console box prints it: an 8-bit text read as Windows-1252,
// control characters shown visibly, in the terminal's character set with '?'
// for what that set lacks.
std::string ConsoleText(const std::string& text);

// `text` with every control character but tab shown visibly: ^[ for escape,
// ^? for delete, M-^[ for the 8-bit controls (0x80 to 0x9F, raw or as UTF-8).
std::string VisibleControls(const std::string& text);

// Whether an answer line means Yes: y or yes in any ASCII case, or, in the
// user's locale, a whole answer that its yes expression matches (j or J in
// German) or its yes word (ja).
bool MeansYes(const char* line);

// Whether the display named by DISPLAY, or WAYLAND_DISPLAY, answers the
// first request of its protocol within about two seconds (an X server that
// refuses the connection is told once on standard error and does not
// count). Asked once a run.
bool X11DisplayAnswers();
bool WaylandDisplayAnswers();

// What an X11 probe found: no X server (nothing, or a reply that is not the
// protocol's), one that accepts this user, or one that refuses, and why.
enum class X11Answer { kNone, kAccepted, kRefused };
struct X11Probe {
  X11Answer answer = X11Answer::kNone;
  std::string reason;  // the server's, printable ASCII, for a refusal
};
// The probes for a given display name and time limit.
X11Probe ProbeX11Display(const std::string& name, int milliseconds);
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
