// How the checker hands its findings on: the one-line form that compilers
// print and editors and build logs read (FILE:LINE:COLUMN: warning: text
// [code]), JSON for scripts, and SARIF 2.1.0 for code-scanning services.
// It gathers the warnings of one or both targets, keeps a warning that both
// give once, and sorts them by file and line. The text report's run
// (report.h) and the checks themselves (lint.h) are elsewhere.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "checker/lint.h"
#include "checker/recorder.h"

namespace check {

// The launchers predicted, as a set.
enum TargetSet : unsigned {
  kWindowsTarget = 1,
  kLinuxTarget = 2,
  kBothTargets = kWindowsTarget | kLinuxTarget
};

// "windows", "linux", or empty for both.
const char* TargetName(unsigned targets);

struct Finding {
  Warning warning;
  unsigned targets;  // a TargetSet
  std::string file;  // as shown (Findings::Shown)
};

// One language's run: the way the launcher went, its boxes and starts.
struct LanguageRun {
  std::string language;
  std::string branch;
  std::vector<Event> events;
};

struct Prediction {
  unsigned target;  // one of the TargetSet
  std::vector<LanguageRun> runs;
};

// How many findings are kept to be sorted and shown: any real folder has
// far fewer, and memory stays bounded for any file. The rest are counted.
constexpr std::size_t kMostFindings = 1000;

struct Findings {
  std::string folder;               // as typed
  char separator;                   // of the system the checker runs on
  bool targetsNamed;                // each line says which target it concerns
  std::vector<bool> disabledCodes;  // by Code; none when empty
  std::vector<Prediction> predictions;
  std::vector<Finding> found;  // enabled ones only
  unsigned long disabled = 0;  // how many were left out
  unsigned long unshown = 0;   // warnings past the first kMostFindings

  // Adds what `target` gave, unless its code is disabled; a warning already
  // there for another target becomes one for both.
  void Add(const Warning& warning, unsigned target);
  // Sorts by file, line and column, in the order found where they tie.
  void Sort();
  // The warnings found and enabled, shown or not (notes do not count).
  unsigned long Warnings() const;
  // A file of the folder as it would be typed from the current folder (the
  // folder as typed, joined with the name by the separator it uses, else
  // the system's); any other path as it is.
  std::string Shown(const std::string& file) const;

 private:
  // Where each finding added went, by all that it says (kLeftOut for a
  // disabled one), to find it again at once.
  static constexpr std::size_t kLeftOut = static_cast<std::size_t>(-1);
  std::unordered_map<std::string, std::size_t> seen_;
};

// One line per finding: FILE[:LINE[:COLUMN]]: warning: [TARGET: ]text [CODE]
void PrintLines(const Findings& findings);
// The run's closing line: "warnings: N", with what was left out or noted.
void PrintSummary(const Findings& findings);
// One JSON object: the format's version, the predictions, the diagnostics.
void PrintJson(const Findings& findings);
// One SARIF 2.1.0 log: the catalogue as rules, the findings as results.
void PrintSarif(const Findings& findings);

}  // namespace check
