// The checker's report of one run, told from what the recording platform
// saw the launcher do (recorder.h), never from a copy of its decisions.
#pragma once

#include <string>
#include <vector>

#include "checker/recorder.h"

namespace check {

// A box style in words: "question", "notice", or its number.
std::string StyleName(unsigned style);

// Which way the launcher went: told by the window it found and the question
// it read.
const char* Branch(const std::vector<Event>& record);

// Prints every box and start of a run, two blanks in.
void PrintRun(const std::vector<Event>& record);

}  // namespace check
