// Which code page a Windows user's 8-bit text is in, as the checker predicts
// it from the language code, and the converters of the system the checker
// runs on (host_posix.cpp: iconv; host_windows.cpp: MultiByteToWideChar).
#pragma once

#include <memory>
#include <string>

#include "portable/ini/ini_reader.h"

namespace check {

// Western Windows' code page: the Linux launcher's for every 8-bit file.
constexpr unsigned kWesternCodePage = 1252;

// The system code page of a Windows set up for the language `code`
// ("JPN" 932, "RUS" 1251, ...); 1252 for a code it does not know.
unsigned CodePageOfLanguage(const std::string& code);

// "code page 932 (Japanese)", for the checker's notes.
std::string CodePageName(unsigned codePage);

// A code page that the checker owns.
class Converter : public ini::CodePage {
 public:
  virtual ~Converter() = default;
};

// A converter for `codePage` on this system; null when it has none.
std::unique_ptr<Converter> OpenCodePage(unsigned codePage);

}  // namespace check
