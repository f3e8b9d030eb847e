// How Windows reads a command line that comes without a separate program
// name, as the launcher's WinExec receives it, and the command lines built
// from it. Portable, free of any library, unit-tested natively; the Windows
// launcher runs it over the real files, the checker's Windows emulation over
// the files it sees, so both pick the program by the same code.
//
// The program is the quoted part when the line starts with a quote (up to the
// closing quote, or to the end when there is none). Otherwise each prefix
// that ends before a blank is tried in turn, shortest first, and then the
// whole line: the first one that names an existing program is it, as
// CreateProcess tries them. "C:\My Disc\setup.exe" thus starts C:\My.exe when
// that exists; only a quoted line is safe from such a file.
#pragma once

namespace cmdline {

// Tells whether Windows would find a program by the name `candidate`.
using ProgramFinder = bool (*)(const char* candidate, void* context);

struct Program {
  unsigned begin = 0;  // the program's name in the line: [begin, end)
  unsigned end = 0;
  unsigned arguments = 0;  // the arguments: from here to the end of the line
  bool found = false;      // false: no candidate named an existing program
};

// Longest candidate tried; longer prefixes count as not found.
constexpr unsigned kCandidateSize = 1024;

Program PickProgram(const char* line, ProgramFinder find, void* context);

// True when `name` (the first `length` bytes) has no folder part, so Windows
// looks for it on its search path.
bool IsBareName(const char* name, unsigned length);

// What runs a program file, told by its extension (in any case): the file
// itself, the command interpreter for a batch file (.bat, .cmd), or Windows
// Installer for a package (.msi), as double-clicking it would.
enum class Runner { kItself, kCommandInterpreter, kInstaller };
Runner RunnerOf(const char* path);

// The runner's program in the system folder ("cmd.exe", "msiexec.exe");
// null for kItself.
const char* RunnerProgram(Runner runner);

// The command line that runs the file at `path` with `arguments` as written,
// its path always in quotes:
//  - itself: "path"arguments (how a 16-bit program must be started, with no
//    separate program name);
//  - the command interpreter: /d (no AutoRun commands), /s /c and the whole
//    command in one more pair of quotes, which /s strips again, so that the
//    quotes around the path survive whatever the path and the arguments hold;
//  - Windows Installer: msiexec.exe /i "path"arguments.
// Returns false, leaving "", when it does not fit in `size` bytes.
bool RunnerCommandLine(char* out, unsigned size, Runner runner,
                       const char* path, const char* arguments);

// Skips blanks (spaces and tabs).
const char* SkipBlanks(const char* text);

}  // namespace cmdline
