// The user's language as a Windows language code, from the locale variables
// (getenv only). Covers the languages and regions that Windows names with
// its own three-letter codes; a language without its region maps to the
// region Windows treats as that language's default.
#include <cstdlib>
#include <cstring>

#include "platform/posix/posix_support.h"

namespace posix {

namespace {

struct Mapping {
  const char* locale;  // language, or language_REGION
  const char* code;
};

const Mapping kMappings[] = {
    {"en_US", "ENU"}, {"en_GB", "ENG"}, {"en_AU", "ENA"}, {"en_CA", "ENC"},
    {"en_NZ", "ENZ"}, {"en_IE", "ENI"}, {"en_ZA", "ENS"}, {"en", "ENU"},
    {"de_DE", "DEU"}, {"de_AT", "DEA"}, {"de_CH", "DES"}, {"de_LU", "DEL"},
    {"de_LI", "DEC"}, {"de", "DEU"},    {"fr_FR", "FRA"}, {"fr_CA", "FRC"},
    {"fr_BE", "FRB"}, {"fr_CH", "FRS"}, {"fr_LU", "FRL"}, {"fr", "FRA"},
    {"es_ES", "ESN"}, {"es_MX", "ESM"}, {"es_AR", "ESS"}, {"es_CO", "ESO"},
    {"es_CL", "ESL"}, {"es_PE", "ESR"}, {"es_VE", "ESV"}, {"es", "ESN"},
    {"it_IT", "ITA"}, {"it_CH", "ITS"}, {"it", "ITA"},    {"nl_NL", "NLD"},
    {"nl_BE", "NLB"}, {"nl", "NLD"},    {"pt_BR", "PTB"}, {"pt_PT", "PTG"},
    {"pt", "PTB"},    {"sv_SE", "SVE"}, {"sv_FI", "SVF"}, {"sv", "SVE"},
    {"da", "DAN"},    {"fi", "FIN"},    {"nb", "NOR"},    {"no", "NOR"},
    {"nn", "NON"},    {"is", "ISL"},    {"ja", "JPN"},    {"zh_CN", "CHS"},
    {"zh_SG", "ZHI"}, {"zh_TW", "CHT"}, {"zh_HK", "ZHH"}, {"zh_MO", "ZHM"},
    {"zh", "CHS"},    {"ko", "KOR"},    {"ru", "RUS"},    {"pl", "PLK"},
    {"cs", "CSY"},    {"sk", "SKY"},    {"hu", "HUN"},    {"el", "ELL"},
    {"tr", "TRK"},    {"he", "HEB"},    {"ar", "ARA"},    {"uk", "UKR"},
    {"bg", "BGR"},    {"ro", "ROM"},    {"hr", "HRV"},    {"sl", "SLV"},
    {"sr", "SRB"},    {"et", "ETI"},    {"lv", "LVI"},    {"lt", "LTH"},
    {"th", "THA"},    {"vi", "VIT"},    {"id", "IND"},    {"ms", "MSL"},
    {"ca", "CAT"},    {"eu", "EUQ"},    {"gl", "GLC"},    {"hi", "HIN"},
    {"fa", "FAR"},    {"af", "AFK"},
};

const char* Lookup(const std::string& name) {
  for (const Mapping& m : kMappings) {
    if (name == m.locale) return m.code;
  }
  return nullptr;
}

}  // namespace

std::string LanguageForLocale(const std::string& locale) {
  // language[_REGION][.charset][@modifier]
  const std::string base = locale.substr(0, locale.find_first_of(".@"));
  const std::string language = base.substr(0, base.find('_'));
  if (const char* code = Lookup(base)) return code;
  if (const char* code = Lookup(language)) return code;
  return "ENU";
}

std::string LanguageFromLocale() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return LanguageForLocale(value);
  }
  return "ENU";
}

}  // namespace posix
