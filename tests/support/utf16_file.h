// The bytes of a UTF-16 file with its byte-order mark, for tests of readers.
#pragma once

#include <string>

inline std::string Utf16File(const std::u16string& text, bool little) {
  std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
  for (const char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    out += little ? low : high;
    out += little ? high : low;
  }
  return out;
}
