// Safe formatting of message texts. The texts come from a file that anyone
// may edit, so only one argument is ever substituted and nothing else is read:
//  - the first "%s" (FormatWithText) or "%d" (FormatWithNumber) takes the
//    argument; a later one is shown as written;
//  - "%%" becomes "%";
//  - every other '%' (another conversion, widths, a '%' at the end) is shown
//    as written.
// The result is cut to kReadSize bytes, between UTF-8 characters, and always
// terminated; `out` must hold text::kBufferSize bytes.
#pragma once

void FormatWithText(char* out, const char* format, const char* argument);
void FormatWithNumber(char* out, const char* format, int argument);
