// The message checks scan the file once, section by section; the regional
// coverage compares the section names with Windows' table of language codes.
#include "checker/lint_messages.h"

#include <algorithm>
#include <cstring>

#include "checker/edit_distance.h"
#include "checker/lint_encoding.h"
#include "checker/lint_scan.h"
#include "config/keys.h"
#include "portable/ascii.h"
#include "portable/emulation/language_codes.h"
#include "portable/emulation/paths.h"

namespace check {

namespace {

// Conversions of a message text other than one "%s", and which they are.
std::string ConversionProblem(const std::string& text, Code* code) {
  *code = Code::kConversion;
  int texts = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (i + 1 < text.size() && text[i + 1] == '%') {
      ++i;
    } else if (i + 1 < text.size() && text[i + 1] == 's') {
      ++texts;
      ++i;
    } else {
      return "holds the conversion " + Quoted(text.substr(i, 2)) +
             ", which is shown as written (only one %s takes AppName; write "
             "%% for a percent sign)";
    }
  }
  *code = Code::kSeveralAppNames;
  if (texts > 1)
    return "holds more than one %s: only the first takes AppName, the others "
           "are shown as written";
  return "";
}

// The message file: one section per language.
class MessageScan final : public FileScan {
 public:
  MessageScan(const std::string& shown, const std::string& language,
              const WarningSink& warn)
      : shown_(shown), language_(language), warn_(warn) {}

  void Finish() {
    EndSection();
    if (!language_.empty() && !haveLanguage_)
      warn_({Code::kNoLanguageSection, shown_, 0, 0,
             "has no section [" + language_ +
                 "]: users of that language see empty questions (there is "
                 "no fallback)"});
  }

 private:
  void Section(const ini::Line& line) override {
    EndSection();
    section_ = line.name;
    sectionLine_ = line.number;
    sectionColumn_ = line.column;
    inSection_ = false;
    if (ascii::SameIgnoringCase(section_.c_str(),
                                SettingKey[kSettingsSection])) {
      warn_({Code::kSettingsInMessages, shown_, line.number, line.column,
             "section [" + section_ +
                 "] is never read here: settings belong in pellomar.ini"});
    } else if (!sections_.Insert(line.name)) {
      warn_({Code::kLanguageSectionAgain, shown_, line.number, line.column,
             "section [" + section_ + "] again: only the first [" + section_ +
                 "] is read"});
    } else {
      inSection_ = true;
      haveLanguage_ |=
          ascii::SameIgnoringCase(section_.c_str(), language_.c_str());
      std::fill(std::begin(present_), std::end(present_), false);
    }
  }

  void EndSection() {
    if (!inSection_) return;
    inSection_ = false;
    for (int i = 0; i < kMessageCount; ++i) {
      if (!present_[i])
        warn_({Code::kMessageMissing, shown_, sectionLine_, sectionColumn_,
               "section [" + section_ + "] has no " + MessageKey[i] +
                   ": that box is empty for its users"});
    }
  }

  void Key(const ini::Line& line) override {
    if (!inSection_) return;
    int index = -1;
    for (int i = 0; i < kMessageCount; ++i) {
      if (ascii::SameIgnoringCase(line.name, MessageKey[i])) index = i;
    }
    if (index < 0) {
      warn_({Code::kUnknownMessageKey, shown_, line.number, line.column,
             "unknown key " + Quoted(line.name) + " in [" + section_ +
                 "] (did you mean " +
                 NearestName(line.name, MessageKey, kMessageCount) + "?)"});
      return;
    }
    if (present_[index]) return;
    present_[index] = line.hasValue;
    const std::string key = MessageKey[index];
    const std::string cut = DoesNotFit(key, line, encoding_);
    if (!cut.empty())
      warn_({Code::kMessageCut, shown_, line.number, line.valueColumn, cut});
    if (index == kSetupErr) {
      if (std::strchr(line.value, '%') != nullptr)
        warn_({Code::kPercentInSetupErr, shown_, line.number, line.valueColumn,
               "SetupErr is shown exactly as written: its % appears "
               "literally and AppName is not inserted"});
      return;
    }
    Code code;
    const std::string problem = ConversionProblem(line.value, &code);
    if (!problem.empty())
      warn_({code, shown_, line.number, line.valueColumn, key + " " + problem});
  }

  std::string shown_;
  std::string language_;
  const WarningSink& warn_;
  NameSet sections_;
  std::string section_;
  unsigned long sectionLine_ = 0;
  unsigned long sectionColumn_ = 0;
  bool inSection_ = false;
  bool haveLanguage_ = false;
  bool present_[kMessageCount] = {};
};

}  // namespace

std::string LintMessageFile(const emulation::Windows& windows,
                            const std::string& codePage,
                            const std::string& folder,
                            const std::string& language,
                            const WarningSink& warn) {
  const std::string found = FindFile(windows, folder, kMessageFileName);
  const std::string shown =
      found.empty() ? kMessageFileName : emulation::NameOf(found);
  MessageScan scan(shown, language, warn);
  if (!found.empty() && ScanFile(windows, codePage, found, shown, &scan, warn))
    scan.Finish();
  else
    warn({Code::kMessagesMissing, shown, 0, 0,
          "is missing: every question is an empty box"});
  return shown;
}

void LintRegionalCoverage(const std::vector<std::string>& sections,
                          const std::string& shown, const WarningSink& warn) {
  const auto has = [&](const char* code) {
    return std::any_of(sections.begin(), sections.end(),
                       [&](const std::string& s) {
                         return ascii::SameIgnoringCase(s.c_str(), code);
                       });
  };
  std::vector<std::string> languages;
  for (auto e = emulation::LanguageCodesBegin();
       e != emulation::LanguageCodesEnd(); ++e) {
    const std::string language = emulation::LanguageOfLocale(e->locale);
    if (std::find(languages.begin(), languages.end(), language) ==
        languages.end())
      languages.push_back(language);
  }
  for (const std::string& language : languages) {
    std::vector<std::string> covered, missing;  // codes in table order
    std::string missingText;
    for (auto e = emulation::LanguageCodesBegin();
         e != emulation::LanguageCodesEnd(); ++e) {
      if (!emulation::LocaleHasRegion(e->locale) ||
          emulation::LanguageOfLocale(e->locale) != language)
        continue;
      std::vector<std::string>& list = has(e->code) ? covered : missing;
      const bool first =
          std::find(list.begin(), list.end(), e->code) == list.end();
      if (first) list.push_back(e->code);
      if (&list != &missing) continue;
      missingText += first ? std::string(missingText.empty() ? "" : ", ") +
                                 "[" + e->code + "] " + e->locale
                           : std::string(" ") + e->locale;
    }
    if (covered.empty() || missing.empty()) continue;
    std::string coveredText;
    for (const std::string& code : covered) coveredText += " [" + code + "]";
    warn({Code::kRegionsUncovered, shown, 0, 0,
          "covers the language " + language + " for some regions only (" +
              coveredText.substr(1) + "): no section " + missingText +
              " (code and locales): their users get empty boxes"});
  }
}

}  // namespace check
