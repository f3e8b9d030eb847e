// Which program a command line starts, under the rules of either launcher.
// Nothing is started here: the Linux layer executes what LinuxStart chose,
// and the checker records it. Windows' choice of the program is the Windows
// launcher's own code (PickProgram) over the files seen here.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/seam.h"
#include "portable/ascii.h"
#include "portable/command_line.h"
#include "portable/emulation/paths.h"
#include "portable/emulation/windows.h"

namespace emulation {

namespace {

const char kShell[] = "/bin/sh";
const char kEndOfOptions[] = "--";
// $PATH when the variable is not set, as execvp takes it.
const char kDefaultSearchPath[] = "/bin:/usr/bin";
// What Windows starts as a program whatever its first bytes say (a file
// that begins with kProgramMark starts under any name).
const char* const kProgramExtensions[] = {".exe", ".com"};
const char kProgramMark[] = "MZ";
const char kNoCurrentFolder[] = "NoDefaultCurrentDirectoryInExePath";
// The first bytes that make a file something the kernel executes.
const char kScriptMark[] = "#!";
const char kElfMark[] =
    "\x7f"
    "ELF";

bool EndsWithIgnoringCase(const std::string& text, const char* end) {
  const std::size_t n = std::strlen(end);
  return text.size() > n &&
         ascii::SameIgnoringCase(text.data() + text.size() - n, n, end, n);
}

bool StartsWith(const std::string& text, const char* start) {
  return text.compare(0, std::strlen(start), start) == 0;
}

Start Failure(unsigned result, const std::string& program,
              const std::string& why) {
  Start start;
  start.result = result;
  start.program = program;
  start.why = why;
  return start;
}

Start Success(const std::string& program, const std::string& folder,
              const char* why) {
  Start start = Failure(platform::kStarted, program, why);
  start.argv.push_back(program);
  start.folder = folder;
  return start;
}

}  // namespace

Start Windows::ChooseStart(const std::string& commandLine) const {
  return rules_ == Rules::kLinux ? LinuxStart(commandLine)
                                 : WindowsStart(commandLine);
}

std::string Windows::SearchPath(const std::string& name) const {
  std::string folders = system_.Variable("PATH");
  if (folders.empty()) folders = kDefaultSearchPath;
  for (std::size_t from = 0; from <= folders.size();) {
    std::size_t colon = folders.find(':', from);
    if (colon == std::string::npos) colon = folders.size();
    const std::string folder = folders.substr(from, colon - from);
    from = colon + 1;
    // An empty entry would mean the current folder: never searched.
    if (folder.empty()) continue;
    const std::string candidate = Join(folder, name, '/');
    const Entry entry = system_.Inspect(candidate);
    if (entry.kind == Entry::kFile && entry.executable) return candidate;
  }
  return "";
}

Start Windows::LinuxStart(const std::string& commandLine) const {
  const std::vector<std::string> args = SplitCommandLine(commandLine);
  if (args.empty() || args[0].empty())
    return Failure(platform::kFileNotFound, "", "no program is named");
  Start start = LinuxProgram(args[0]);
  if (platform::Started(start.result))
    start.argv.insert(start.argv.end(), args.begin() + 1, args.end());
  return start;
}

namespace {

// As much of a file's start as the kernel reads for its "#!" line.
constexpr std::size_t kFirstLineBytes = 256;
const char kBlanks[] = " \t";
// Windows programs and batch files, and other binary files: never handed to
// a shell, which would run a few of their lines and report nothing.
const char* const kWindowsExtensions[] = {".bat", ".cmd", ".com", ".exe"};
const char kWindowsProgramMark[] = "MZ";

// What a file's first line makes of it.
struct FirstLine {
  enum Kind { kText, kProgram, kScript, kForeign } kind = kText;
  bool crlf = false;        // the line ends with a carriage return
  std::string interpreter;  // of a script: as named after "#!"
  std::string argument;     // its one optional argument; may hold blanks
};

FirstLine ReadFirstLine(const std::string& bytes, const std::string& name) {
  FirstLine first;
  std::string line = bytes.substr(0, bytes.find('\n'));
  if (!line.empty() && line.back() == '\r') {
    first.crlf = true;
    line.pop_back();
  }
  if (StartsWith(bytes, kElfMark)) {
    first.kind = FirstLine::kProgram;
  } else if (StartsWith(bytes, kScriptMark)) {
    // As the kernel reads it: the interpreter up to the first blank, then
    // the rest of the line, without its outer blanks, as one argument.
    first.kind = FirstLine::kScript;
    const std::size_t from = line.find_first_not_of(kBlanks, 2);
    if (from == std::string::npos) return first;
    const std::size_t end =
        std::min(line.find_first_of(kBlanks, from), line.size());
    first.interpreter = line.substr(from, end - from);
    const std::size_t rest = line.find_first_not_of(kBlanks, end);
    if (rest != std::string::npos)
      first.argument =
          line.substr(rest, line.find_last_not_of(kBlanks) + 1 - rest);
  } else if (StartsWith(bytes, kWindowsProgramMark) ||
             bytes.find('\0') != std::string::npos ||
             std::any_of(std::begin(kWindowsExtensions),
                         std::end(kWindowsExtensions),
                         [&name](const char* extension) {
                           return EndsWithIgnoringCase(name, extension);
                         })) {
    first.kind = FirstLine::kForeign;
  }
  return first;
}

}  // namespace

Start Windows::LinuxProgram(const std::string& name) const {
  Start start;
  if (IsBareName(name)) {
    const std::string found = SearchPath(name);
    if (found.empty())
      return Failure(platform::kFileNotFound, name, "not found on $PATH");
    start = Success(found, "", "found on $PATH");
  } else {
    const std::string native = Absolute(NativePath(name));
    if (native.empty())
      return Failure(platform::kPathNotFound, name,
                     "not on this system (another drive, or a network path)");
    const std::string found = Locate(native);
    if (found.empty()) {
      const bool folder =
          system_.Inspect(Locate(FolderOf(native))).kind == Entry::kFolder;
      return folder ? Failure(platform::kFileNotFound, native, "missing")
                    : Failure(platform::kPathNotFound, native,
                              "its folder is missing");
    }
    start = Success(found, FolderOf(found), "exists");
  }

  const Entry entry = system_.Inspect(start.program);
  if (entry.kind == Entry::kFolder)
    return Failure(platform::kStartFailed, start.program, "is a folder");
  if (entry.kind != Entry::kFile)
    return Failure(platform::kNotExecutable, start.program,
                   "is not a regular file");
  if (!entry.readable)
    return Failure(platform::kNotExecutable, start.program, "cannot be read");
  std::string bytes;
  system_.Read(start.program, [&bytes](ini::Source& source) {
    char buffer[kFirstLineBytes];
    bytes.assign(buffer, source.Read(buffer, sizeof buffer));
  });
  const FirstLine first = ReadFirstLine(bytes, start.program);
  switch (first.kind) {
    case FirstLine::kProgram:
      if (!entry.executable)
        return Failure(platform::kNotExecutable, start.program,
                       "a program without execute permission");
      return start;
    case FirstLine::kForeign:
      return Failure(platform::kNotExecutable, start.program,
                     "neither a Linux program nor a script (a Windows "
                     "file, or another binary)");
    case FirstLine::kScript:
    case FirstLine::kText:
      break;
  }
  // Its later lines would end in a carriage return too and fail.
  if (first.crlf)
    return Failure(platform::kNotExecutable, start.program,
                   "a script with Windows line endings (CRLF)");
  if (first.kind == FirstLine::kText) {
    // What a shell does with a file the kernel does not execute. "--" keeps
    // the path from being read as an option.
    start.interpreter = kShell;
    start.argv.insert(start.argv.begin(), {kShell, kEndOfOptions});
    start.why = entry.executable ? "run with /bin/sh (it has no #! line)"
                                 : "run with /bin/sh (no #! line, no "
                                   "execute permission)";
    return start;
  }
  if (first.interpreter.empty())
    return Failure(platform::kNotExecutable, start.program,
                   "its #! line names no interpreter");
  // A Linux interpreter cannot be seen from a Windows host (the checker's).
  const bool seen = !system_.WindowsPaths();
  const Entry interpreter = seen ? system_.Inspect(first.interpreter) : Entry();
  if (!seen) start.checked = false;
  if (seen && (interpreter.kind != Entry::kFile || !interpreter.executable))
    return Failure(
        platform::kNotExecutable, start.program,
        "its interpreter " + first.interpreter +
            (interpreter.kind == Entry::kNone ? " is missing"
                                              : " is not an executable file"));
  start.interpreter = first.interpreter;
  if (entry.executable) {
    start.why = "runs with " + first.interpreter;
    return start;
  }
  // Media are often mounted without execute bits: the launcher does what
  // the kernel would do with the "#!" line.
  std::vector<std::string> before = {first.interpreter};
  if (!first.argument.empty()) before.push_back(first.argument);
  start.argv.insert(start.argv.begin(), before.begin(), before.end());
  start.why = "run with " + first.interpreter +
              (first.argument.empty() ? "" : " " + first.argument) +
              " (no execute permission)";
  return start;
}

std::string Windows::SearchBareProgram(const std::string& name) const {
  const char separator = system_.WindowsPaths() ? '\\' : '/';
  const std::string own = system_.OwnPath();
  const bool current = system_.Variable(kNoCurrentFolder).empty();
  for (const std::string& folder :
       {own.empty() ? std::string() : FolderOf(own),
        current ? system_.CurrentFolder() : std::string(),
        WindowsDirectory()}) {
    if (folder.empty()) continue;
    const std::string found = Locate(Join(folder, name, separator));
    if (!found.empty() && system_.Inspect(found).kind == Entry::kFile)
      return found;
  }
  return "";
}

Start Windows::WindowsStart(const std::string& commandLine) const {
  // What the search learns of the candidate it takes, or of the last one.
  struct Search {
    const Windows* windows;
    Start start;
    std::string last;  // the last native path looked at
  } search{this, {}, ""};
  const cmdline::ProgramFinder find = [](const char* candidate, void* context) {
    Search& s = *static_cast<Search*>(context);
    const std::string name = WithProgramExtension(candidate);
    if (IsBareName(name)) {
      const std::string found = s.windows->SearchBareProgram(name);
      s.start = Success(found.empty() ? name : found, "", "exists");
      if (found.empty()) {
        s.start.why =
            "searched in Windows' system folders and PATH, which cannot be "
            "seen here";
        s.start.checked = false;
      }
      return true;
    }
    const std::string native =
        s.windows->Absolute(s.windows->NativePath(s.windows->FullPath(name)));
    if (native.empty()) {
      s.start = Success(name, "",
                        "cannot be checked here (on another drive or a "
                        "network share)");
      s.start.checked = false;
      return true;
    }
    s.last = native;
    const std::string found = s.windows->Locate(native);
    if (found.empty() || s.windows->system_.Inspect(found).kind != Entry::kFile)
      return false;
    s.start = Success(found, FolderOf(found), "exists");
    return true;
  };

  const cmdline::Program program =
      cmdline::PickProgram(commandLine.c_str(), find, &search);
  if (program.end == program.begin && !program.found)
    return Failure(platform::kFileNotFound, "", "no program is named");
  if (!program.found) {
    const std::string& last = search.last;
    const bool folder =
        system_.Inspect(Locate(FolderOf(last))).kind == Entry::kFolder;
    return folder ? Failure(platform::kFileNotFound, last, "missing")
                  : Failure(platform::kPathNotFound, last,
                            "its folder is missing");
  }
  Start start = search.start;
  if (!start.checked) return start;
  switch (cmdline::RunnerOf(start.program.c_str())) {
    case cmdline::Runner::kCommandInterpreter:
      start.why = "a batch file, run by cmd.exe of the system folder";
      return start;
    case cmdline::Runner::kInstaller:
      start.why =
          "a Windows Installer package, started by msiexec.exe /i of the "
          "system folder";
      return start;
    case cmdline::Runner::kItself:
      break;
  }
  for (const char* extension : kProgramExtensions) {
    if (EndsWithIgnoringCase(start.program, extension)) return start;
  }
  std::string mark;
  system_.Read(start.program, [&mark](ini::Source& source) {
    char bytes[sizeof kProgramMark - 1];
    mark.assign(bytes, source.Read(bytes, sizeof bytes));
  });
  if (mark == kProgramMark) return start;
  return Failure(platform::kNotExecutable, start.program,
                 "Windows cannot start it: it is neither a program (.exe, "
                 ".com) nor a batch file (.bat, .cmd) nor a Windows "
                 "Installer package (.msi)");
}

}  // namespace emulation
