#include "checker/lint.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "checker/check_platform.h"
#include "config/keys.h"
#include "config/readers.h"

namespace check {

namespace {

struct Line {
  int number;
  std::string text;
};

std::string Lower(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t\v\f\x1a");
  if (a == std::string::npos) return "";
  const std::size_t b = s.find_last_not_of(" \t\v\f\x1a");
  return s.substr(a, b - a + 1);
}

// UTF-16 text as UTF-8 (enough for looking at keys and conversions).
std::string FromUtf16(const std::string& bytes, bool little) {
  std::string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned lo = static_cast<unsigned char>(bytes[i + (little ? 0 : 1)]);
    const unsigned hi = static_cast<unsigned char>(bytes[i + (little ? 1 : 0)]);
    const unsigned u = lo | hi << 8;
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | u >> 6);
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | u >> 12);
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

// Reads a file of the folder as lines, warning about encodings that Windows
// reads differently from what their author meant.
bool Load(const std::string& name, std::vector<Line>* lines,
          std::vector<Warning>* warnings) {
  std::string bytes;
  if (!ReadWhole(FolderAsLauncherSees() + "\\" + name, &bytes)) return false;
  std::string text = bytes;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    warnings->push_back({name, 1,
                         "starts with a UTF-8 byte-order mark: Windows then "
                         "loses the first line (save it without the mark, or "
                         "as UTF-16)"});
    text = bytes.substr(3);
  } else if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
    text = FromUtf16(bytes.substr(2), true);
  } else if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
    warnings->push_back({name, 1,
                         "is UTF-16 big-endian: Windows reads UTF-16 files "
                         "only in little-endian order (save it as UTF-16 LE)"});
    text = FromUtf16(bytes.substr(2), false);
  } else if (bytes.size() >= 4 && std::count(bytes.begin(), bytes.end(), '\0') >
                                      static_cast<long>(bytes.size() / 4)) {
    warnings->push_back({name, 0,
                         "looks like UTF-16 without a byte-order mark: Windows "
                         "reads it as 8-bit text and finds nothing (save it "
                         "with the mark)"});
  }
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  int number = 1;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t end = text.find_first_of("\r\n", at);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    lines->push_back({number++, text.substr(at, stop - at)});
    if (end == std::string::npos) break;
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return true;
}

struct Entry {
  int line;
  std::string section, key, value;
};

// Sections and keys as the profile functions see them (first of each).
std::vector<Entry> Entries(const std::vector<Line>& lines,
                           std::vector<std::pair<int, std::string>>* sections) {
  std::vector<Entry> entries;
  std::string section;
  for (const Line& l : lines) {
    const std::string t = Trim(l.text);
    if (t.empty() || t[0] == ';') continue;
    const std::size_t close = t.find(']');
    if (t[0] == '[' && close != std::string::npos) {
      section = Trim(t.substr(1, close - 1));
      sections->push_back({l.number, section});
      continue;
    }
    const std::size_t eq = t.find('=');
    entries.push_back({l.number, section, Trim(t.substr(0, eq)),
                       eq == std::string::npos ? "" : Trim(t.substr(eq + 1))});
  }
  return entries;
}

std::vector<std::string> Keys(const char* const* table, int count) {
  return std::vector<std::string>(table, table + count);
}

bool Known(const std::string& key, const std::vector<std::string>& known) {
  for (const std::string& k : known)
    if (Lower(k) == Lower(key)) return true;
  return false;
}

std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = std::min(
          {row[j] + 1, row[j - 1] + 1,
           diagonal + (std::tolower(a[i - 1]) != std::tolower(b[j - 1]))});
      diagonal = up;
    }
  }
  return row[b.size()];
}

// Conversions of a message text other than one "%s".
std::string ConversionProblem(const std::string& text) {
  int texts = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (i + 1 < text.size() && text[i + 1] == '%') {
      ++i;
    } else if (i + 1 < text.size() && text[i + 1] == 's') {
      ++texts;
      ++i;
    } else {
      return "holds the conversion \"" + text.substr(i, 2) +
             "\", which is shown as written (only one %s takes AppName; "
             "write %% for a percent sign)";
    }
  }
  if (texts > 1)
    return "holds more than one %s: only the first takes AppName, the others "
           "are shown as written";
  return "";
}

void LintSettings(const std::vector<Line>& lines, std::vector<Warning>* out) {
  const std::string file = "pellomar.ini";
  std::vector<std::pair<int, std::string>> sections;
  const std::vector<Entry> entries = Entries(lines, &sections);
  std::vector<std::string> known = Keys(SettingKey, kCommand);
  bool haveAuto = false;
  int autoLine = 0;
  for (const auto& s : sections) {
    if (Lower(s.second) == "auto") {
      if (!haveAuto) autoLine = s.first;
      haveAuto = true;
    } else {
      out->push_back({file, s.first,
                      "section [" + s.second +
                          "] is never read: the "
                          "launcher reads only [Auto] here (messages belong in "
                          "pellomar.dat)"});
    }
  }
  if (!haveAuto) {
    out->push_back({file, 0,
                    "has no [Auto] section: every setting takes its default "
                    "(Verbose and SetupOnly on, Version -1)"});
    return;
  }
  std::vector<std::string> seen;
  for (const Entry& e : entries) {
    if (Lower(e.section) != "auto") continue;
    if (!Known(e.key, known)) {
      out->push_back({file, e.line,
                      "unknown key \"" + e.key + "\" (did you mean " +
                          NearestKey(e.key, known) + "?)"});
    }
    if (e.value.size() > 254)
      out->push_back(
          {file, e.line, e.key + " is longer than 254 characters and is cut"});
    seen.push_back(Lower(e.key));
  }
  for (const char* key : {"Verbose", "SetupOnly"}) {
    if (std::find(seen.begin(), seen.end(), Lower(key)) == seen.end())
      out->push_back({file, autoLine,
                      std::string(key) + " is missing, so it counts as on (" +
                          (std::strcmp(key, "Verbose") == 0
                               ? "diagnostic boxes for every user"
                               : "the installed application is never offered") +
                          "); write " + key + "=0 or " + key + "=1"});
  }
}

void LintMessages(const std::vector<Line>& lines, const std::string& language,
                  std::vector<Warning>* out) {
  const std::string file = "pellomar.dat";
  std::vector<std::pair<int, std::string>> sections;
  const std::vector<Entry> entries = Entries(lines, &sections);
  const std::vector<std::string> known = Keys(MessageKey, kMessageCount);
  bool haveLanguage = false;
  for (const auto& s : sections) {
    if (Lower(s.second) == Lower(language)) haveLanguage = true;
    if (Lower(s.second) == "auto") {
      out->push_back({file, s.first,
                      "section [Auto] is never read here: settings belong in "
                      "pellomar.ini"});
      continue;
    }
    for (const std::string& key : known) {
      bool present = false;
      for (const Entry& e : entries)
        present |=
            Lower(e.section) == Lower(s.second) && Lower(e.key) == Lower(key);
      if (!present)
        out->push_back({file, s.first,
                        "section [" + s.second + "] has no " + key +
                            ": that box is empty for its users"});
    }
  }
  if (!haveLanguage)
    out->push_back({file, 0,
                    "has no section [" + language +
                        "]: users of that "
                        "language see empty questions (there is no fallback)"});
  for (const Entry& e : entries) {
    if (Lower(e.section) == "auto") continue;
    if (!Known(e.key, known)) {
      out->push_back({file, e.line,
                      "unknown key \"" + e.key + "\" in [" + e.section +
                          "] (did you mean " + NearestKey(e.key, known) +
                          "?)"});
      continue;
    }
    if (e.value.size() > 254)
      out->push_back(
          {file, e.line, e.key + " is longer than 254 characters and is cut"});
    if (Lower(e.key) == "setuperr") {
      if (e.value.find('%') != std::string::npos)
        out->push_back({file, e.line,
                        "SetupErr is shown exactly as written: its % "
                        "appears literally and AppName is not inserted"});
    } else {
      const std::string problem = ConversionProblem(e.value);
      if (!problem.empty())
        out->push_back({file, e.line, e.key + " " + problem});
    }
  }
}

bool ExistsNatively(const std::string& path) {
  struct stat st;
  const std::string native = ProfileNativePath(path);
  return !native.empty() && stat(native.c_str(), &st) == 0;
}

void LintPaths(std::vector<Warning>* out) {
  char value[256];
  char path[256];
  ReadSetting(kSetupName, value, 255);
  ResolveBesideLauncher(path, 255, value);
  struct stat st;
  const std::string setup = NativePath(path);
  if (setup.empty() || stat(setup.c_str(), &st) != 0 ||
      (st.st_mode & S_IFMT) != S_IFREG)
    out->push_back({"pellomar.ini", 0,
                    std::string("SetupName \"") + value +
                        "\" names no file beside the launcher (" +
                        (path[0] != '\0' ? path : "a path too long") + ")"});
  if (ReadSetting(kIniFile, value, 255) == 0) return;
  std::string content;
  const bool readable = ReadWhole(value, &content);
  if (!readable && ExistsNatively(value)) {
    out->push_back({"pellomar.ini", 0,
                    std::string("IniFile \"") + value +
                        "\" exists but cannot be read as a file"});
  }
  if (!readable) return;
  char command[256];
  if (ReadInstalledCommand(command, 255) == 0) return;
  const std::string c = command;
  if (c[0] == '"') return;
  const std::size_t exe = Lower(c).find(".exe");
  const std::string program = exe != std::string::npos
                                  ? c.substr(0, exe)
                                  : c.substr(0, c.rfind('\\') + 1);
  if (program.find(' ') != std::string::npos)
    out->push_back(
        {value, 0,
         "Command \"" + c +
             "\" has blanks in its program path "
             "and no quotes: Windows may start another program (such "
             "as C:\\Program.exe); put the path in double quotes"});
}

}  // namespace

std::string NearestKey(const std::string& key,
                       const std::vector<std::string>& known) {
  std::string best = known.front();
  for (const std::string& k : known)
    if (Distance(key, k) < Distance(key, best)) best = k;
  return best;
}

std::vector<Warning> Lint(const std::string& language) {
  std::vector<Warning> warnings;
  std::vector<Line> lines;
  if (Load("pellomar.ini", &lines, &warnings)) {
    LintSettings(lines, &warnings);
  } else {
    warnings.push_back({"pellomar.ini", 0,
                        "is missing: every setting takes its default (Verbose "
                        "and SetupOnly on, nothing is ever offered)"});
  }
  lines.clear();
  if (Load("pellomar.dat", &lines, &warnings)) {
    LintMessages(lines, language, &warnings);
  } else {
    warnings.push_back(
        {"pellomar.dat", 0, "is missing: every question is an empty box"});
  }
  LintPaths(&warnings);
  return warnings;
}

}  // namespace check
