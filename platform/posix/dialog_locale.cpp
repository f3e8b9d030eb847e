// The locale a dialog program runs under. GTK and Qt programs refuse text
// (zenity exits 255) unless their locale is installed and UTF-8, so they get
// the user's own locale when it is, else the same language in UTF-8, else
// C.UTF-8 with the user's language in LANGUAGE, which still translates the
// programs' own button labels. Uses newlocale and nl_langinfo_l to ask which
// locales are installed; changes nothing in the launcher's own locale.
#include "platform/posix/dialog_locale.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cstring>

#include "platform/posix/locale.h"

namespace posix {

namespace {

constexpr const char* kFallbackLocale = "C.UTF-8";

// The locale name in force for a category in `environment`; "C" when none
// is set.
std::string Effective(const std::vector<std::string>& environment,
                      const char* category) {
  const std::string name = LocaleName(category, environment);
  return name.empty() ? "C" : name;
}

void Set(std::vector<std::string>* environment, const std::string& name,
         const std::string& value) {
  const std::string prefix = name + "=";
  for (std::string& entry : *environment) {
    if (entry.compare(0, prefix.size(), prefix) == 0) {
      entry = prefix + value;
      return;
    }
  }
  environment->push_back(prefix + value);
}

}  // namespace

LocaleState InstalledLocale(const std::string& name) {
  locale_t locale =
      newlocale(LC_CTYPE_MASK | LC_MESSAGES_MASK, name.c_str(), nullptr);
  if (locale == nullptr) return LocaleState::kMissing;
  const bool utf8 = std::strcmp(nl_langinfo_l(CODESET, locale), "UTF-8") == 0;
  freelocale(locale);
  return utf8 ? LocaleState::kUtf8 : LocaleState::kOtherCharset;
}

std::vector<std::string> DialogEnvironment(
    std::vector<std::string> environment,
    LocaleState (*installed)(const std::string& name)) {
  const std::string ctype = Effective(environment, "LC_CTYPE");
  const std::string messages = Effective(environment, "LC_MESSAGES");
  if (installed(ctype) == LocaleState::kUtf8 &&
      installed(messages) != LocaleState::kMissing)
    return environment;
  // language[_REGION][.charset][@modifier]
  const std::size_t charset = messages.find('.');
  const std::size_t modifier = messages.find('@');
  const std::string base = messages.substr(0, std::min(charset, modifier));
  const std::string at =
      modifier == std::string::npos ? "" : messages.substr(modifier);
  std::string chosen;
  if (!IsCLocale(messages) && !base.empty() &&
      installed(base + ".UTF-8" + at) == LocaleState::kUtf8) {
    chosen = base + ".UTF-8" + at;
  } else if (installed(kFallbackLocale) == LocaleState::kUtf8) {
    chosen = kFallbackLocale;
    const std::string language = base.substr(0, base.find('_'));
    if (!IsCLocale(messages) && !language.empty() &&
        EnvironmentValue(environment, "LANGUAGE").empty())
      Set(&environment, "LANGUAGE",
          base == language ? language : base + ":" + language);
  } else {
    return environment;  // no UTF-8 locale at all: nothing better to offer
  }
  Set(&environment, "LC_ALL", chosen);
  return environment;
}

}  // namespace posix
