// How the checker hands its findings on: the one-line form that compilers
// print and editors and build logs read (FILE:LINE:COLUMN: warning: text
// [code]), JSON for scripts, and SARIF 2.1.0 for code-scanning services.
// It gathers the warnings of one or both targets, keeps a warning that both
// give once, and sorts them by file and line. The text report's run
// (report.h) and the checks themselves (lint.h) are elsewhere.
#pragma once

#include <string>
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

struct Findings {
  std::string folder;  // as typed
  char separator;      // of the system the checker runs on
  bool targetsNamed;   // each line says which target it concerns
  std::vector<Prediction> predictions;
  std::vector<Finding> found;  // enabled ones only
  unsigned long disabled = 0;  // how many were left out

  // Adds what `target` gave; a warning already there for another target
  // becomes one for both.
  void Add(const Warning& warning, unsigned target);
  // Sorts by file, line and column, in the order found where they tie.
  void Sort();
  // The warnings among `found` (notes do not count).
  unsigned long Warnings() const;
  // A file of the folder as it would be typed from the current folder (the
  // folder as typed, joined with the name); any other path as it is.
  std::string Shown(const std::string& file) const;
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
