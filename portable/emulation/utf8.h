// The codec's strict UTF-8 (what dialog programs and X11 text functions
// accept) and Western Windows' reading of 8-bit bytes, on standard strings
// for the layers that use them. No locale and no system calls.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace emulation {

// `text` read as Windows-1252 (utf::FromWindows1252), in UTF-8.
std::string Windows1252ToUtf8(const std::string& text);

// `text` itself when it is well-formed UTF-8, else read as Windows-1252: an
// 8-bit message file shows as Western Windows shows it, never as nothing.
std::string AsUtf8(const std::string& text);

// The code points of well-formed UTF-8 text (`AsUtf8` makes any text so);
// a malformed byte reads as U+FFFD.
std::vector<char32_t> DecodeUtf8(const std::string& text);

void AppendUtf8(char32_t codePoint, std::string* out);

}  // namespace emulation
