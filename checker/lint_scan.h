// What every file check of the linter shares: where a warning points, a line
// scan that takes section headers and keys apart, the section names already
// seen, and a file or setting of the folder as the launcher finds it. How a
// file's bytes become text is lint_encoding.h's; the checks themselves are
// lint_settings.h's, lint_messages.h's and lint_autorun.h's.
#pragma once

#include <string>
#include <unordered_set>

#include "config/keys.h"
#include "portable/emulation/windows.h"
#include "portable/ini/ini_reader.h"

namespace check {

// A line and column of a file; 0 where there is none.
struct Place {
  unsigned long line;
  unsigned long column;
};

// `text` in double quotes, as the warnings cite a value.
std::string Quoted(const std::string& text);

// `text` with its ASCII letters in lower case.
std::string LowerCase(std::string text);

// A scan that takes section headers and key lines apart, and remembers how
// the file's text was read.
class FileScan : public ini::LineVisitor {
 public:
  void Begin(ini::Encoding encoding) override { encoding_ = encoding; }
  void Visit(const ini::Line& line) final {
    if (line.kind == ini::Line::kSection)
      Section(line);
    else
      Key(line);
  }

 protected:
  ~FileScan() = default;
  virtual void Section(const ini::Line& line) = 0;
  virtual void Key(const ini::Line& line) = 0;

  ini::Encoding encoding_ = ini::Encoding::kUtf8;
};

// Section names seen so far, without regard to case, up to a bound.
class NameSet {
 public:
  // False when `name` was seen before.
  bool Insert(const char* name);

 private:
  std::unordered_set<std::string> names_;
};

// The file of the folder named `name` in any letter case; empty when none.
std::string FindFile(const emulation::Windows& windows,
                     const std::string& folder, const std::string& name);

// The value the launcher reads for the setting `index`, into a buffer of the
// size it uses.
std::string Setting(SettingIndex index);

}  // namespace check
