#include "portable/command_line.h"

#include "portable/ascii.h"

namespace cmdline {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Tries text[0, length) as a program name.
bool TryPrefix(const char* text, unsigned length, ProgramFinder find,
               void* context) {
  char candidate[kCandidateSize];
  if (length == 0 || length >= kCandidateSize) return false;
  for (unsigned i = 0; i < length; ++i) candidate[i] = text[i];
  candidate[length] = '\0';
  return find(candidate, context);
}

bool Append(char* out, unsigned size, unsigned* at, const char* text) {
  for (; *text != '\0'; ++text) {
    if (*at + 1 >= size) return false;
    out[(*at)++] = *text;
  }
  out[*at] = '\0';
  return true;
}

}  // namespace

Program PickProgram(const char* line, ProgramFinder find, void* context) {
  Program program;
  unsigned length = 0;
  while (line[length] != '\0') ++length;

  if (line[0] == '"') {
    program.begin = 1;
    program.end = 1;
    while (program.end < length && line[program.end] != '"') ++program.end;
    program.arguments = program.end < length ? program.end + 1 : length;
    program.found = TryPrefix(line + program.begin, program.end - program.begin,
                              find, context);
    return program;
  }

  unsigned end = length;
  while (end > 0 && IsBlank(line[end - 1])) --end;
  for (unsigned at = 1; at <= end; ++at) {
    const bool endsWord =
        at == end || (IsBlank(line[at]) && !IsBlank(line[at - 1]));
    if (!endsWord || !TryPrefix(line, at, find, context)) continue;
    program.end = at;
    program.arguments = at;
    program.found = true;
    return program;
  }
  // Nothing exists: the first word is what the start will fail on.
  while (program.end < end && !IsBlank(line[program.end])) ++program.end;
  program.arguments = program.end;
  return program;
}

bool IsBareName(const char* name, unsigned length) {
  for (unsigned i = 0; i < length; ++i) {
    if (name[i] == '\\' || name[i] == '/' || name[i] == ':') return false;
  }
  return true;
}

Runner RunnerOf(const char* path) {
  unsigned n = 0;
  while (path[n] != '\0') ++n;
  if (n < 4 || path[n - 4] != '.') return Runner::kItself;
  const auto* end = reinterpret_cast<const unsigned char*>(path + n);
  const int a = ascii::Lower(end[-3]), b = ascii::Lower(end[-2]),
            c = ascii::Lower(end[-1]);
  if ((a == 'b' && b == 'a' && c == 't') || (a == 'c' && b == 'm' && c == 'd'))
    return Runner::kCommandInterpreter;
  if (a == 'm' && b == 's' && c == 'i') return Runner::kInstaller;
  return Runner::kItself;
}

const char* RunnerProgram(Runner runner) {
  switch (runner) {
    case Runner::kCommandInterpreter:
      return "cmd.exe";
    case Runner::kInstaller:
      return "msiexec.exe";
    default:
      return nullptr;
  }
}

bool RunnerCommandLine(char* out, unsigned size, Runner runner,
                       const char* path, const char* arguments) {
  if (size == 0) return false;
  const bool interpreter = runner == Runner::kCommandInterpreter;
  const char* before = interpreter                    ? "cmd.exe /d /s /c \"\""
                       : runner == Runner::kInstaller ? "msiexec.exe /i \""
                                                      : "\"";
  unsigned at = 0;
  out[0] = '\0';
  if (Append(out, size, &at, before) && Append(out, size, &at, path) &&
      Append(out, size, &at, "\"") && Append(out, size, &at, arguments) &&
      Append(out, size, &at, interpreter ? "\"" : ""))
    return true;
  out[0] = '\0';
  return false;
}

const char* SkipBlanks(const char* text) {
  while (IsBlank(*text)) ++text;
  return text;
}

}  // namespace cmdline
