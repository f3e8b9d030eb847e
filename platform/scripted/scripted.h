// A platform for tests: the launcher runs against an in-memory Windows.
//
// Files live in memory, keyed by Windows path without regard to case (a
// folder exists when a file is in it). Profile reads, paths, the launcher's
// own path and file attributes are answered by the Windows emulation over
// these files (portable/emulation/), as on every platform but Windows: a
// name without a folder is looked up in the Windows directory.
// Boxes are answered from a script, starts succeed or fail from a script, and
// every call the core makes is recorded in order in `transcript`, one line
// each, for a test to compare afterwards:
//   "box <style> [<caption>] <text>"   for MessageBoxA (style as 0x24/0x40)
//   "start <command line>"             for WinExec
//   "find <class>"                     for FindWindowA
// Profile reads are counted per call in `reads` ("<file>|<section>|<key>").
//
// Faults are injected through the same calls: the Nth profile read can see a
// missing file, the Nth box can fail to show, and the launcher's own path can
// be unknown or too long.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "portable/emulation/windows.h"

namespace scripted {

struct Box {
  std::string caption;
  std::string text;
  unsigned style;
};

class World {
 public:
  // Back to a launcher at C:\APP\DISK1\LAUNCH.EXE with no files, no windows,
  // every question answered No and every start succeeding.
  void Reset();

  void SetFile(const std::string& path, const std::string& content);
  // A file that exists but cannot be read, or a folder where a file is
  // expected: both read as missing.
  void SetUnreadable(const std::string& path);
  void RemoveFile(const std::string& path);
  // A folder: GetFileAttributesA reports it as one; it reads as no file.
  void SetFolder(const std::string& path);
  // Where a path without a folder is looked up; WIN.INI lives there.
  std::string WindowsPath(const std::string& path) const;

  std::string windowsDirectory = "C:\\WINDOWS";
  std::string launcherPath = "C:\\APP\\DISK1\\LAUNCH.EXE";
  std::set<std::string> windowClasses;  // compared without regard to case
  std::deque<int> answers;              // for questions, in order
  int defaultAnswer = 7;                // No, once the script is used up
  std::deque<unsigned> startResults;    // for WinExec, in order
  unsigned defaultStartResult = 33;     // started
  unsigned failReadAt = 0;  // 1-based profile read that sees no file; 0 none
  unsigned failBoxAt = 0;   // 1-based box that cannot be shown; 0 none
  // Called as each box is shown (its caption is read by then), with its
  // 0-based number, so that a test can change files in the middle of a run.
  std::function<void(unsigned)> beforeBox;

  std::vector<std::string> transcript;
  std::vector<Box> boxes;
  std::vector<std::string> starts;
  std::vector<std::string> reads;

  // Implementation details shared with the seam functions.
  struct File {
    std::string content;
    bool readable;
  };
  // The readable file that a profile read of `path` finds.
  const File* Find(const std::string& path) const;
  // Whether `path` (a name without a folder in the Windows directory) is a
  // folder: one set as such, or one that a file is in.
  bool IsFolder(const std::string& path) const;
  // The file at a full Windows path, readable or not; whether a folder is.
  const File* FileAt(const std::string& path) const;
  bool FolderAt(const std::string& path) const;
  unsigned readCount = 0;
  unsigned boxCount = 0;

 private:
  std::map<std::string, File> files_;
  std::set<std::string> folders_;
};

World& TheWorld();
// The emulated Windows over TheWorld().
const emulation::Windows& Emulation();

// Upper-case copy of an ASCII text, for comparisons without regard to case.
std::string Upper(std::string text);

}  // namespace scripted
