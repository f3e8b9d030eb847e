// How the launcher reads a file's text, as the linter tells it: a note on the
// code page that turns an 8-bit file into UTF-8, a warning for a file that
// looks like UTF-16 without its byte-order mark, and the size rule for a
// value once it is UTF-8. Files are scanned as streams with the portable
// reader's own rules, so any size takes linear time and bounded memory. What
// the lines say is for the checks that visit them.
#pragma once

#include <string>

#include "checker/lint.h"
#include "config/text.h"
#include "portable/emulation/windows.h"
#include "portable/ini/ini_reader.h"

namespace check {

// The file `native` scanned once: `visitor` sees its lines, and `warn` first
// the problems of its encoding, told of the file as `shown`. `codePage` names
// the code page of 8-bit text ("code page 1252 (Western)"). False when the
// file cannot be read.
bool ScanFile(const emulation::Windows& windows, const std::string& codePage,
              const std::string& native, const std::string& shown,
              ini::LineVisitor* visitor, const WarningSink& warn);

// The warning for the value of `key` on `line` when it is longer than
// `longest` bytes, with how many characters of its widest script would fit
// (in UTF-8 a Cyrillic letter takes 2 bytes, a Japanese one 3); empty when it
// fits. The value is UTF-8 as read, cut to the scan's buffer.
std::string DoesNotFit(const std::string& key, const ini::Line& line,
                       ini::Encoding encoding,
                       std::size_t longest = text::kLongestValue);

}  // namespace check
