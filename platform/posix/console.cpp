// Message boxes on a terminal or pipe: standard output for the box, one line
// of standard input for a question's answer. Control characters from the
// files are written visibly (^[ for escape, M-^[ for its 8-bit form), so that
// a message cannot move the cursor, clear the screen or retitle the terminal.
// The user's locale is asked what counts as yes (newlocale, nl_langinfo_l,
// and regcomp under uselocale); left out: converting the text to a terminal
// that is not UTF-8.
#include <langinfo.h>
#include <locale.h>
#include <regex.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/emulation/utf8.h"
#include "platform/posix/posix_support.h"
#include "platform/seam.h"

namespace posix {

namespace {

constexpr char kControlShown = 0x40;  // ^@ is 0, ^A is 1, ... ^_ is 0x1F
constexpr unsigned char kDelete = 0x7F;

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// Whether the user's messages are in the C locale, whose only yes is y,
// which MeansYes takes anyway: then no locale needs loading.
bool MessagesInCLocale() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] == '\0') continue;
    const std::string name(value, std::strcspn(value, ".@"));
    return name == "C" || name == "POSIX";
  }
  return true;
}

// The locale's own yes: its yes expression matching the whole answer (j, J,
// y or Y in German), or its yes word (ja). A locale that is not installed
// offers nothing.
bool LocaleMeansYes(const std::string& answer) {
  if (MessagesInCLocale()) return false;
  locale_t locale = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, "", nullptr);
  if (locale == nullptr) locale = newlocale(LC_MESSAGES_MASK, "", nullptr);
  if (locale == nullptr) return false;
  bool yes = EqualIgnoringAsciiCase(answer, nl_langinfo_l(YESSTR, locale));
  const locale_t previous = uselocale(locale);
  regex_t expression;
  if (!yes &&
      regcomp(&expression, nl_langinfo_l(YESEXPR, locale), REG_EXTENDED) == 0) {
    regmatch_t match;
    yes = regexec(&expression, answer.c_str(), 1, &match, 0) == 0 &&
          match.rm_so == 0 &&
          static_cast<std::size_t>(match.rm_eo) == answer.size();
    regfree(&expression);
  }
  uselocale(previous);
  freelocale(locale);
  return yes;
}

}  // namespace

std::string VisibleControls(const std::string& text) {
  const bool utf8 = IsStrictUtf8(text);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\t' || (byte >= 0x20 && byte < kDelete) ||
        (byte > kDelete && !utf8 && byte >= 0xA0)) {
      out += text[i];
    } else if (byte < 0x20 || byte == kDelete) {
      out += '^';
      out += static_cast<char>(byte == kDelete ? '?' : byte + kControlShown);
    } else if (!utf8) {  // 0x80 to 0x9F alone: the 8-bit controls
      out += "M-^";
      out += static_cast<char>(byte - 0x80 + kControlShown);
    } else if (byte == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      out += "M-^";  // U+0080 to U+009F, the same controls in UTF-8
      out += static_cast<char>(static_cast<unsigned char>(text[++i]) - 0x80 +
                               kControlShown);
    } else {
      out += text[i];
    }
  }
  return out;
}

bool MeansYes(const char* line) {
  std::string answer = line;
  const std::size_t first = answer.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return false;
  answer = answer.substr(first, answer.find_last_not_of(" \t\r\n") + 1 - first);
  return EqualIgnoringAsciiCase(answer, "y") ||
         EqualIgnoringAsciiCase(answer, "yes") || LocaleMeansYes(answer);
}

int ConsoleBox(std::FILE* in, std::FILE* out, bool echoNewline,
               const char* text, const char* caption, unsigned style) {
  const bool question = IsQuestion(style);
  if (std::fprintf(out, "[%s] %s%s", VisibleControls(caption).c_str(),
                   VisibleControls(text).c_str(),
                   question ? " [y/N] " : "\n") < 0 ||
      std::fflush(out) != 0)
    return 0;
  if (!question) return kAnswerOk;

  char line[256];
  bool yes = false;
  if (std::fgets(line, sizeof line, in) != nullptr) {
    yes = MeansYes(line);
    // Drop the rest of an overlong line, so it is not the next answer.
    bool complete = std::strchr(line, '\n') != nullptr;
    while (!complete && std::fgets(line, sizeof line, in) != nullptr) {
      yes = false;
      complete = std::strchr(line, '\n') != nullptr;
    }
  } else {
    echoNewline = true;
  }
  if (echoNewline) {
    std::fputc('\n', out);
    std::fflush(out);
  }
  return yes ? platform::kAnswerYes : kAnswerNo;
}

}  // namespace posix
