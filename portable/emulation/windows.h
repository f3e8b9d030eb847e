// The Windows that every platform but Windows itself imitates for the
// launcher: profile files read with the portable INI reader, 8-bit text in
// one code page, the launcher's own files in the reader's text model and,
// under Windows rules, every other file in that of Windows' own profile
// functions (a bare name is a file of the Windows directory, WIN.INI among
// them), Windows paths over the
// system's own (drive Z: on POSIX systems, letter case ignored), the Windows
// directory, the launcher's own path, file attributes, and which program a
// command line starts. The system below answers plain facts (system.h); the
// Linux layer, the scripted platform and the checker each put one of these
// over their own.
#pragma once

#include <string>
#include <vector>

#include "portable/emulation/system.h"

namespace emulation {

// Which launcher is imitated. Linux rules add the override section of the
// launcher's settings file (OwnFiles) and start programs as the Linux
// launcher does.
enum class Rules { kWindows, kLinux };

// The launcher's own files, as the launcher names them: the emulation knows
// no name of its own. Both are read with the reader's text model, never with
// that of Windows' profile functions.
struct OwnFiles {
  const char* settings;  // the settings file, beside the launcher
  const char* messages;  // the message file, beside the launcher
  // Under Linux rules a key of the settings file is looked up first in the
  // section whose name is its section's followed by this suffix.
  const char* linuxSuffix;
};

// What starting a command line comes to.
struct Start {
  unsigned result = 0;  // a WinExec result of platform/seam.h
  // The native file run, or looked for (for a failure, or when it cannot be
  // told here); empty when no program is named.
  std::string program;
  // When started: what is executed (first the file itself), with arguments.
  std::vector<std::string> argv;
  // When started: its current folder; empty keeps the launcher's own.
  std::string folder;
  // When started: what reads the file, a script: the interpreter of its "#!"
  // line, or /bin/sh; empty for a program. argv begins with it when the
  // launcher runs it in the kernel's place.
  std::string interpreter;
  // In words: why it runs, or why not.
  std::string why;
  // False when this machine cannot tell (a drive or a search path of another
  // machine): the start is then taken as a success.
  bool checked = true;
};

class Windows {
 public:
  // `codePage` converts the 8-bit text of profile files (null: Western
  // Windows' 1252); it outlives this object, as do the names of `ownFiles`.
  Windows(System& system, Rules rules, const OwnFiles& ownFiles,
          const ini::CodePage* codePage = nullptr)
      : system_(system),
        rules_(rules),
        ownFiles_(ownFiles),
        codePage_(codePage != nullptr ? *codePage : ini::Windows1252()) {}

  System& system() const { return system_; }
  Rules rules() const { return rules_; }
  const OwnFiles& ownFiles() const { return ownFiles_; }
  const ini::CodePage& codePage() const { return codePage_; }

  // A Windows path as a native one; empty when it is on no drive here.
  std::string NativePath(const std::string& path) const;
  // Under Windows rules, `path` made full as Windows makes it before it
  // looks (paths.h, FullWindowsPath); under Linux rules `path` itself.
  std::string FullPath(const std::string& path) const;
  std::string WindowsPath(const std::string& native) const;
  // A relative native path made absolute from the current folder.
  std::string Absolute(const std::string& native) const;
  // The entry at `native`, or one whose names differ from it only in ASCII
  // case, component by component (the exact name wins, then the first in
  // byte order); empty when there is none.
  std::string Locate(const std::string& native) const;
  // The Windows directory, natively: on POSIX systems $XDG_CONFIG_HOME when
  // absolute, else ~/.config of $HOME or, without it, of the password
  // entry; on Windows ones %SystemRoot%. Empty when unknown.
  std::string WindowsDirectory() const;
  // Where the profile functions look for `file` (not yet located).
  std::string ProfileFile(const std::string& file) const;
  // Whether `file` (a Windows path) is the launcher's own settings file.
  bool IsSettingsFile(const char* file) const;
  // Whether Windows' own profile functions read `file` (under Windows rules,
  // WIN.INI and every file but the launcher's settings and message files),
  // with their text model rather than the reader's.
  bool ReadByProfileFunctions(const char* file) const;
  // The section that Linux rules read before `section` in that file.
  std::string LinuxSection(const char* section) const;

  // The operations of platform/seam.h, with its contracts.
  unsigned GetProfileString(const char* section, const char* key,
                            const char* fallback, char* buffer,
                            unsigned size) const;
  unsigned GetPrivateProfileString(const char* section, const char* key,
                                   const char* fallback, char* buffer,
                                   unsigned size, const char* file,
                                   bool* cut) const;
  int GetPrivateProfileInt(const char* section, const char* key, int fallback,
                           const char* file) const;
  unsigned GetModuleFileName(char* buffer, unsigned size) const;
  unsigned GetFileAttributes(const char* path) const;
  bool PathFits(const char* path) const;

  // Which program a command line starts under the rules imitated, without
  // starting anything (start_rules.cpp).
  Start ChooseStart(const std::string& commandLine) const;
  // The Linux launcher's rules: the program is the first word of the command
  // line (quotes group), found by LinuxProgram; the other words follow it.
  Start LinuxStart(const std::string& commandLine) const;
  // The program file a Linux launcher runs for `name`: a name with a folder
  // is found as a profile file is (drive Z:, letter case ignored, relative to
  // the current folder) and starts in its own folder; a bare name is looked
  // up once on $PATH (never in the current folder) and keeps the current
  // folder. An ELF program runs when it may be executed. A script runs
  // through the interpreter of its "#!" line (with its one optional
  // argument), which must exist: as itself when it may be executed, else
  // with the interpreter first, as the kernel would start it. Another text
  // file runs with /bin/sh, whatever its name. Refused: a program without
  // execute permission, a script with Windows line endings, Windows
  // programs and batch files (by their mark or name), unreadable files.
  Start LinuxProgram(const std::string& name) const;
  // Windows' rules, picked by the Windows launcher's own code
  // (portable/command_line.h): a quoted program, or else each
  // blank-ended prefix of an unquoted line in turn ("C:\Program.exe"
  // first), ".exe" added to a name without an extension, the path made full
  // as Windows does; a bare name is searched beside the launcher, in the
  // current folder (unless NoDefaultCurrentDirectoryInExePath is set) and
  // the Windows directory (its system folders and PATH cannot be seen from
  // here). A program (.exe, .com, or a file that begins as one), a batch file
  // and a Windows Installer package start; any other file is refused.
  Start WindowsStart(const std::string& commandLine) const;

 private:
  char Separator() const;
  // Whether `file` (a Windows path) is the file `fileName` beside the
  // launcher.
  bool IsBesideLauncher(const char* file, const char* fileName) const;
  // Hands the bytes of the profile file `file` to `use`; false when there is
  // no readable file.
  bool ReadProfile(const std::string& file,
                   const std::function<void(ini::Source&)>& use) const;
  // Looks `name` up in the folders where Windows searches for a bare
  // program name; empty when it is in none of those that can be seen here.
  std::string SearchBareProgram(const std::string& name) const;
  std::string SearchPath(const std::string& name) const;

  System& system_;
  Rules rules_;
  OwnFiles ownFiles_;
  const ini::CodePage& codePage_;
};

}  // namespace emulation
