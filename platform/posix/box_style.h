// What a message box style (MessageBoxA's) asks of every box of the POSIX
// layer: the console's, the dialog programs' and the built-in one.
#pragma once

namespace posix {

// Whether a box style asks Yes or No, rather than telling with OK.
inline bool IsQuestion(unsigned style) { return (style & 0x0F) == 0x04; }

}  // namespace posix
