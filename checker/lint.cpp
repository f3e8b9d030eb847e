// The checks in the order their warnings are gathered (ties in the sorted
// output keep it), and the listing of the message file's languages.
#include "checker/lint.h"

#include <vector>

#include "checker/lint_autorun.h"
#include "checker/lint_messages.h"
#include "checker/lint_scan.h"
#include "checker/lint_settings.h"
#include "config/keys.h"
#include "config/text.h"
#include "portable/ascii.h"
#include "portable/ini/ini_reader.h"

namespace check {

namespace {

// Hands each section name of a scan to a callback.
class SectionLister final : public ini::LineVisitor {
 public:
  explicit SectionLister(const std::function<bool(const std::string&)>& visit)
      : visit_(visit) {}
  void Visit(const ini::Line& line) override {
    if (line.kind != ini::Line::kSection || done_) return;
    if (ascii::SameIgnoringCase(line.name, SettingKey[kSettingsSection]))
      return;
    if (sections_.Insert(line.name)) done_ = visit_(line.name);
  }

 private:
  const std::function<bool(const std::string&)>& visit_;
  NameSet sections_;
  bool done_ = false;
};

}  // namespace

bool ForEachLanguage(const emulation::Windows& windows,
                     const std::string& folder,
                     const std::function<bool(const std::string&)>& visit) {
  const std::string messages = FindFile(windows, folder, kMessageFileName);
  if (messages.empty()) return false;
  SectionLister lister(visit);
  char value[text::kBufferSize];
  return windows.system().Read(messages, [&](ini::Source& source) {
    ini::Scan(&source, value, text::kReadSize, &lister);
  });
}

void Lint(const emulation::Windows& windows, const std::string& codePage,
          const std::string& folder, const std::string& language,
          const WarningSink& warn) {
  const SettingsFile settings =
      LintSettingsFile(windows, codePage, folder, warn);
  const std::string messages =
      LintMessageFile(windows, codePage, folder, language, warn);
  std::vector<std::string> sections;
  ForEachLanguage(windows, folder, [&](const std::string& code) {
    sections.push_back(code);
    return false;
  });
  LintRegionalCoverage(sections, messages, warn);
  LintSetup(settings, warn);
  LintInstalled(windows, settings, warn);
  LintAutorun(windows, codePage, folder, warn);
}

}  // namespace check
