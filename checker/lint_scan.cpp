// The shared pieces of the file checks.
#include "checker/lint_scan.h"

#include "config/readers.h"
#include "config/text.h"
#include "portable/ascii.h"
#include "portable/emulation/paths.h"

namespace check {

namespace {

// How many section names are remembered to find a repeated one: plenty for
// any real file, and a bound on memory for any other.
constexpr std::size_t kRememberedSections = 4096;

}  // namespace

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string LowerCase(std::string text) {
  for (char& c : text)
    c = static_cast<char>(ascii::Lower(static_cast<unsigned char>(c)));
  return text;
}

bool NameSet::Insert(const char* name) {
  const std::string key = LowerCase(name);
  if (names_.count(key) != 0) return false;
  if (names_.size() < kRememberedSections) names_.insert(key);
  return true;
}

std::string FindFile(const emulation::Windows& windows,
                     const std::string& folder, const std::string& name) {
  return windows.Locate(emulation::Join(
      folder, name, windows.system().WindowsPaths() ? '\\' : '/'));
}

std::string Setting(SettingIndex index) {
  char value[text::kPathSize];
  ReadSetting(index, value,
              HoldsPath(index) ? text::kPathSize : text::kReadSize);
  return value;
}

}  // namespace check
