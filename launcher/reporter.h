// Every word the launcher says goes through a Reporter: questions and error
// notices are always shown, diagnostic notices only in verbose mode. Each box
// has no owner and takes its caption from AppName, read when it is shown.
#pragma once

class Reporter {
 public:
  // `verbose` non-zero (a missing key reads as -1) turns diagnostics on.
  explicit Reporter(int verbose) : verbose_(verbose) {}

  // Shows `text` as it is, whatever the verbose flag; returns the answer.
  int Show(const char* text, unsigned style) const;
  // Diagnostic notices. With verbose off they read and format nothing.
  void Note(const char* text) const;
  void NoteText(const char* format, const char* argument) const;
  void NoteNumber(const char* format, int argument) const;
  // A Yes/No question; `format` takes `argument` for its first "%s".
  int Ask(const char* format, const char* argument) const;
  // Names a path longer than the system takes, whatever the verbose flag,
  // in English: the message file may be what lies beyond reach.
  void PathTooLong(const char* path) const;
  // Offers, in verbose mode, to list the settings the launcher acts on.
  void DumpOptions() const;

 private:
  int verbose_;
};
