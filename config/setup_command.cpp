// Where the program part of SetupName ends, and how it is written.
//
// Windows splits an unquoted command line at blanks and tries each prefix in
// turn, shortest first: with the launcher in C:\Downloads\My App\, the line
// C:\Downloads\My App\setup.exe would start C:\Downloads\My.exe if that
// existed. So the program part is looked for inside SetupName only, never in
// the launcher's folder:
//  - a SetupName that begins with a quoted part ("My Setup.exe" /S) names it
//    by that part (a value wholly in quotes arrives without them: the reader
//    strips one pair);
//  - otherwise the whole SetupName when a file of that name lies beside the
//    launcher, else the longest part ending before a blank that names one,
//    as written or with ".exe" added (longest first, so a stray "My.exe"
//    never wins over "My Setup.exe"); when none exists, the whole SetupName,
//    whose start then fails as before.
// A program path without blanks gives the line the launcher has always built:
// its folder put in front of SetupName. One with a blank is quoted, naming the
// file found: "<folder>\<program>"<arguments>. A complete name (drive, UNC,
// .\x, a\x; judged inside the quotes) is used as written.
#include "config/setup_command.h"

#include "config/readers.h"
#include "config/text.h"
#include "platform/seam.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasBlank(const char* text) {
  for (; *text != '\0'; ++text) {
    if (IsBlank(*text)) return true;
  }
  return false;
}

// At most the first `length` characters of `source` into `buffer` (which
// holds text::kPathSize bytes, and `length` is below that).
void CopyPart(char* buffer, const char* source, unsigned length) {
  unsigned i = 0;
  for (; i < length && source[i] != '\0'; ++i) buffer[i] = source[i];
  buffer[i] = '\0';
}

// Resolves `name` beside the launcher into `path`; true when that is an
// existing file (not a folder).
bool IsFileBesideLauncher(char* path, const char* name) {
  ResolveBesideLauncher(path, text::kPathSize, name);
  if (path[0] == '\0') return false;
  const unsigned attributes = platform::GetFileAttributesA(path);
  return attributes != platform::kInvalidFileAttributes &&
         (attributes & platform::kAttributeDirectory) == 0;
}

// For an unquoted `name`: the length of its program part, with the file found
// resolved into `path`, or 0 when no part names an existing file.
unsigned FindProgramPart(const char* name, char* path) {
  char part[text::kPathSize];
  for (unsigned end = text::Length(name); end > 0; --end) {
    const bool whole = name[end] == '\0';
    if (!whole && !(IsBlank(name[end]) && !IsBlank(name[end - 1]))) continue;
    CopyPart(part, name, end);
    if (IsFileBesideLauncher(path, part)) return end;
    if (text::Append(part, sizeof part, ".exe") &&
        IsFileBesideLauncher(path, part))
      return end;
  }
  return 0;
}

}  // namespace

bool BuildSetupCommand(char* buffer, unsigned size, const char* setupName) {
  if (size == 0) return true;
  buffer[0] = '\0';
  if (text::Length(setupName) >= text::kPathSize) return true;
  const bool quoted = setupName[0] == '"';
  const char* program = quoted ? setupName + 1 : setupName;
  if (IsCompleteName(program)) {
    text::Copy(buffer, size, setupName);
    return true;
  }

  char path[text::kPathSize];  // the program file, resolved
  unsigned length = 0;
  bool found = false;
  if (quoted) {
    while (program[length] != '\0' && program[length] != '"') ++length;
  } else {
    length = FindProgramPart(program, path);
    found = length != 0;
    if (!found) length = text::Length(program);
  }
  const char* arguments = program + length;
  if (quoted && *arguments == '"') ++arguments;
  // The file found is named exactly only where quotes are needed; elsewhere
  // the part is resolved as written, as the launcher always did.
  if (!found || !HasBlank(path)) {
    char part[text::kPathSize];
    CopyPart(part, program, length);
    ResolveBesideLauncher(path, text::kPathSize, part);
  }
  if (path[0] == '\0') return true;
  if (!platform::PathFits(path)) {
    text::Copy(buffer, size, path);
    return false;
  }

  const char* quote = HasBlank(path) ? "\"" : "";
  if (text::Append(buffer, size, quote) && text::Append(buffer, size, path) &&
      text::Append(buffer, size, quote))
    text::Append(buffer, size, arguments);
  return true;
}
