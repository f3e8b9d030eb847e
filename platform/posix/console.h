// Message boxes on a terminal or pipe, and the text as a terminal gets it.
// Control characters from the files are shown visibly, so that a message
// cannot move the cursor, clear the screen or retitle the terminal; an 8-bit
// text is read as Windows-1252 and goes out in the terminal's character set.
// Left out: any line editing or terminal mode (the answer is one line read
// as it comes).
#pragma once

#include <cstdio>
#include <string>

namespace posix {

// A message box on a terminal: "[caption] text" on one line, control
// characters shown visibly; a question adds " [y/N] " and reads one line,
// where MeansYes gives Yes (6) and anything else, or the end of input, No
// (7). A notice answers OK (1); 0 when nothing could be written.
int ConsoleBox(std::FILE* in, std::FILE* out, bool echoNewline,
               const char* text, const char* caption, unsigned style);

// The character set of the terminal as the user's locale names it (the
// locale in force for LC_CTYPE, installed or not); empty for UTF-8, and for
// the C locale, which names none.
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

}  // namespace posix
