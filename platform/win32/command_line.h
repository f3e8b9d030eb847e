// How Windows reads a command line that comes without a separate program
// name, as the launcher's WinExec receives it, and the command lines built
// from it. Portable, free of any library, unit-tested natively.
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

// True when the file named by terminated `path` is a batch file (.bat or
// .cmd, in any case), which only the command interpreter runs.
bool IsBatchFile(const char* path);

// The command line that has the command interpreter (cmd.exe) run `batch`
// with `arguments` as written: /d (no AutoRun commands), /s /c and the whole
// command in one more pair of quotes, which /s strips again, so that the
// quotes around the batch file's path survive whatever the path and the
// arguments hold. Returns false, leaving "", when it does not fit.
bool BatchCommandLine(char* out, unsigned size, const char* batch,
                      const char* arguments);

// Skips blanks (spaces and tabs).
const char* SkipBlanks(const char* text);

}  // namespace cmdline
