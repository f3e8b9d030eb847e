#include "checker/code_page.h"

#include <cstring>

#include "portable/ascii.h"

namespace check {

namespace {

struct Page {
  unsigned number;
  const char* name;
  // Language codes of Windows whose system code page this is; a code of
  // two letters stands for every code that starts with them.
  const char* languages[12];
};

const Page kPages[] = {
    {874, "Thai", {"THA"}},
    {932, "Japanese", {"JPN"}},
    {936, "Simplified Chinese", {"CHS", "ZHI"}},
    {949, "Korean", {"KOR"}},
    {950, "Traditional Chinese", {"CHT", "ZHH", "ZHM"}},
    {1250,
     "Central European",
     {"CSY", "PLK", "HUN", "SKY", "SLV", "HRV", "ROM", "SQI", "SRL", "BSB"}},
    {1251,
     "Cyrillic",
     {"RUS", "UKR", "BEL", "BGR", "MKI", "SRB", "KKZ", "KYR", "TTT", "MON"}},
    {1252, "Western", {}},
    {1253, "Greek", {"ELL"}},
    {1254, "Turkish", {"TRK", "AZE"}},
    {1255, "Hebrew", {"HEB"}},
    {1256, "Arabic", {"AR", "FAR", "URD"}},
    {1257, "Baltic", {"ETI", "LVI", "LTH"}},
    {1258, "Vietnamese", {"VIT"}},
};

}  // namespace

unsigned CodePageOfLanguage(const std::string& code) {
  for (const Page& page : kPages) {
    for (const char* language : page.languages) {
      if (language == nullptr) break;
      const std::size_t n = std::strlen(language);
      if (code.size() >= n &&
          ascii::SameIgnoringCase(code.c_str(), n, language, n) &&
          (n == 2 || code.size() == n))
        return page.number;
    }
  }
  return kWesternCodePage;
}

std::string CodePageName(unsigned codePage) {
  std::string name = "code page " + std::to_string(codePage);
  for (const Page& page : kPages) {
    if (page.number == codePage) return name + " (" + page.name + ")";
  }
  return name;
}

}  // namespace check
