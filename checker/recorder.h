// The checker's platform: the launcher's seam over the Windows emulation of a
// real folder, with every profile read, window query, box and start
// recorded instead of shown or run. Nothing is ever written or started.
#pragma once

#include <string>
#include <vector>

#include "portable/emulation/windows.h"

namespace check {

// What the launcher meets besides its files.
struct Situation {
  std::string language = "ENU";    // WIN.INI [intl] sLanguage
  bool running = false;            // a window of ClassName exists
  bool overrideInstalled = false;  // use installedVersion instead of IniFile
  int installedVersion = 0;
  std::vector<bool> answers;     // for the questions, in order
  bool answerAfterwards = true;  // once `answers` are used up
};

struct Event {
  enum Kind { kRead, kFind, kBox, kStart } kind = kRead;
  std::string file;     // reads: the file as the launcher names it
  std::string key;      // reads
  std::string caption;  // boxes
  std::string text;     // boxes: the text; finds: the class; starts: the line
  unsigned style = 0;   // boxes
  bool found = false;   // finds: a window exists
  emulation::Start start;  // starts: what the rules make of the line
};

// The emulated Windows that every seam call of the checker goes through.
void Attach(const emulation::Windows& windows);
// Sets the situation for the next run and clears the record.
void Prepare(const Situation& situation);
const std::vector<Event>& Recorded();

}  // namespace check
