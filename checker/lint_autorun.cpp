// autorun.inf is scanned for the first open= (or shellexecute=) and icon= of
// its first [autorun] section, whose files are then looked for beside it.
#include "checker/lint_autorun.h"

#include <vector>

#include "checker/lint_encoding.h"
#include "checker/lint_scan.h"
#include "portable/ascii.h"
#include "portable/emulation/paths.h"

namespace check {

namespace {

// The file that autorun.inf names, relative to its folder as Windows takes
// it (either slash, any letter case); empty when there is none.
std::string FindBeside(const emulation::Windows& windows,
                       const std::string& folder, std::string name) {
  const char separator = windows.system().WindowsPaths() ? '\\' : '/';
  for (char& c : name) {
    if (c == '\\' || c == '/') c = separator;
  }
  return name.empty() ? "" : FindFile(windows, folder, name);
}

// The program that a command line names: its first word, quotes grouping.
std::string ProgramOf(const std::string& command) {
  const std::vector<std::string> words = emulation::SplitCommandLine(command);
  return words.empty() ? "" : words[0];
}

// autorun.inf, which tells Windows what to offer for a disc: [autorun],
// with open= (or shellexecute=) and icon=, the first of each.
class AutorunScan final : public FileScan {
 public:
  void Section(const ini::Line& line) override {
    inAutorun_ = !sawAutorun_ && ascii::SameIgnoringCase(line.name, "autorun");
    sawAutorun_ |= inAutorun_;
  }
  void Key(const ini::Line& line) override {
    if (!inAutorun_ || !line.hasValue) return;
    const bool open = ascii::SameIgnoringCase(line.name, "open") ||
                      ascii::SameIgnoringCase(line.name, "shellexecute");
    Entry* entry = nullptr;
    if (open)
      entry = &program;
    else if (ascii::SameIgnoringCase(line.name, "icon"))
      entry = &icon;
    if (entry != nullptr && entry->place.line == 0)
      *entry = {line.value, {line.number, line.valueColumn}};
  }

  struct Entry {
    std::string value;
    Place place;
  };
  Entry program = {"", {0, 0}};  // open= or shellexecute=
  Entry icon = {"", {0, 0}};

 private:
  bool sawAutorun_ = false;
  bool inAutorun_ = false;
};

}  // namespace

void LintAutorun(const emulation::Windows& windows, const std::string& codePage,
                 const std::string& folder, const WarningSink& warn) {
  if (windows.rules() != emulation::Rules::kWindows) return;
  const std::string found = FindFile(windows, folder, "autorun.inf");
  if (found.empty()) return;
  const std::string shown = emulation::NameOf(found);
  AutorunScan scan;
  if (!ScanFile(windows, codePage, found, shown, &scan, warn)) return;
  // The launcher is taken as being beside autorun.inf, as everywhere in the
  // checker, under its own name when it is not there yet.
  const std::string launcher = FindFile(windows, folder, kWindowsLauncherName);
  const auto isLauncher = [&](const std::string& name) {
    return ascii::SameIgnoringCase(name.c_str(), kWindowsLauncherName) ||
           (!launcher.empty() && FindBeside(windows, folder, name) == launcher);
  };
  const AutorunScan::Entry& open = scan.program;
  if (open.place.line == 0) {
    warn({Code::kAutorunNoOpen, shown, 0, 0,
          "has no open= in [autorun]: Windows offers no launcher from the "
          "disc"});
  } else {
    const std::string program = ProgramOf(open.value);
    const std::string withExtension = emulation::WithProgramExtension(program);
    std::string named = FindBeside(windows, folder, program);
    if (named.empty()) named = FindBeside(windows, folder, withExtension);
    std::string why;
    if (program.find_first_of("\\/:") != std::string::npos)
      why =
          "names a program in another folder, not the launcher beside "
          "autorun.inf";
    else if (isLauncher(program) || isLauncher(withExtension))
      why = "";
    else if (named.empty())
      why = "names no file beside autorun.inf";
    else if (!launcher.empty())
      why = "names " + emulation::NameOf(named) + ", not the launcher " +
            emulation::NameOf(launcher);
    if (!why.empty())
      warn({Code::kAutorunOpenNotLauncher, shown, open.place.line,
            open.place.column,
            "open " + Quoted(open.value) + " " + why +
                ": Windows offers no launcher from the disc"});
  }
  const AutorunScan::Entry& icon = scan.icon;
  const std::string iconFile = icon.value.substr(0, icon.value.rfind(','));
  if (icon.place.line != 0 && !isLauncher(iconFile) &&
      FindBeside(windows, folder, iconFile).empty())
    warn({Code::kAutorunIconMissing, shown, icon.place.line, icon.place.column,
          "icon " + Quoted(icon.value) +
              " names no file beside autorun.inf: the disc shows no icon of "
              "its own"});
}

}  // namespace check
