// The checker's platform: the launcher's seam over a real folder, with every
// box and start recorded instead of shown or run. Nothing is ever written.
#pragma once

#include <string>
#include <vector>

namespace check {

struct Situation {
  std::string folder;              // native path of the launcher folder
  std::string language = "ENU";    // WIN.INI [intl] sLanguage
  bool running = false;            // a window of ClassName exists
  bool overrideInstalled = false;  // use installedVersion instead of IniFile
  int installedVersion = 0;
  std::vector<bool> answers;     // for the questions, in order
  bool answerAfterwards = true;  // once `answers` are used up
};

struct Event {
  enum Kind { kBox, kStart } kind = kBox;
  std::string caption;  // boxes
  std::string text;     // boxes: text; starts: the command line
  unsigned style = 0;
  bool exists = false;  // starts: the program file exists
  std::string native;   // starts: the program file, natively
};

// Sets the situation for the next run and clears the record.
void Prepare(const Situation& situation);
const std::vector<Event>& Recorded();

// The launcher folder as the launcher sees it (a Windows path).
std::string FolderAsLauncherSees();
// A path from the launcher turned into a native one ("" when unknown here).
std::string NativePath(const std::string& path);
// Where the profile functions look for `path`: a name without a folder is in
// the Windows directory.
std::string ProfileNativePath(const std::string& path);
// The whole content of a file named as the launcher names it; false when it
// cannot be read as a file.
bool ReadWhole(const std::string& path, std::string* content);

}  // namespace check
