// Starting a program on Linux as WinExec does on Windows. Which program and
// arguments a command line names, and in which folder it runs, is the
// emulation's Linux rules (Windows::LinuxStart); this unit only executes that
// list. Left out: a show state, priorities and resource limits.
#pragma once

#include <string>

namespace posix {

// One of the start results of platform/seam.h. Exactly the argument list and
// folder of the Linux rules are executed, never handed to a shell by
// accident; the program runs in a session of its own, with descriptors 0 to
// 2 only, default signal handling and an empty signal mask; it is not waited
// for and leaves no zombie. A result that is not kStarted means nothing ran.
unsigned StartProgram(const std::string& commandLine);

}  // namespace posix
