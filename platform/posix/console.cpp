// Message boxes on a terminal or pipe: standard output for the box, one line
// of standard input for a question's answer. Control characters from the
// files are written visibly (^[ for escape, M-^[ for its 8-bit form), so that
// a message cannot move the cursor, clear the screen or retitle the terminal.
// The user's locale is asked what counts as yes (newlocale, nl_langinfo_l,
// and regcomp under uselocale) and which character set the terminal takes:
// text goes out as UTF-8, or converted with iconv for a locale of another
// character set, a character it lacks shown as '?'. An 8-bit text (one that
// is not UTF-8) is read as Windows-1252 first, so no raw 8-bit byte is ever
// printed.
#include "platform/posix/console.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <regex.h>

#include <cstring>
#include <string>

#include "platform/posix/box_style.h"
#include "platform/posix/locale.h"
#include "platform/seam.h"
#include "portable/ascii.h"
#include "portable/emulation/utf8.h"
#include "portable/utf.h"

namespace posix {

namespace {

constexpr char kControlShown = 0x40;  // ^@ is 0, ^A is 1, ... ^_ is 0x1F
constexpr unsigned char kDelete = 0x7F;
// What a terminal shows for a character its character set lacks.
constexpr char kNotShown = '?';
// The most bytes one character takes in any character set iconv knows,
// shift sequences included.
constexpr std::size_t kMostBytesACharacter = 16;

// The locale's own yes: its yes expression matching the whole answer (j, J,
// y or Y in German), or its yes word (ja). A locale that is not installed
// offers nothing.
bool LocaleMeansYes(const std::string& answer) {
  // The C locale's only yes is y, which MeansYes takes anyway: then no
  // locale needs loading.
  if (IsCLocale(LocaleName("LC_MESSAGES"))) return false;
  locale_t locale = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, "", nullptr);
  if (locale == nullptr) locale = newlocale(LC_MESSAGES_MASK, "", nullptr);
  if (locale == nullptr) return false;
  bool yes =
      ascii::SameIgnoringCase(answer.c_str(), nl_langinfo_l(YESSTR, locale));
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

// Whether a character set's name is UTF-8's (UTF-8, utf8, UTF8).
bool IsUtf8Name(const std::string& name) {
  std::string plain;
  for (const char c : name)
    if (c != '-' && c != '_') plain += static_cast<char>(ascii::Upper(c));
  return plain == "UTF8";
}

// `utf8` in `charset`, character by character, each one that the set lacks
// (or that iconv cannot convert) as kNotShown; plain ASCII with kNotShown
// for the rest when iconv does not know the set.
std::string ConvertFromUtf8(const std::string& utf8,
                            const std::string& charset) {
  const iconv_t converter = iconv_open(charset.c_str(), "UTF-8");
  std::string out;
  const auto* text = reinterpret_cast<const unsigned char*>(utf8.data());
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = utf::SequenceLength(text + at, utf8.size() - at);
    if (length == 0) length = 1;  // AsUtf8 leaves none; kept safe anyway
    char converted[kMostBytesACharacter];
    char* input = const_cast<char*>(utf8.data() + at);
    std::size_t inputLeft = length;
    char* output = converted;
    std::size_t outputLeft = sizeof converted;
    if (converter != reinterpret_cast<iconv_t>(-1) &&
        iconv(converter, &input, &inputLeft, &output, &outputLeft) !=
            static_cast<std::size_t>(-1) &&
        inputLeft == 0) {
      out.append(converted, static_cast<std::size_t>(output - converted));
    } else if (converter == reinterpret_cast<iconv_t>(-1) && length == 1) {
      out += utf8[at];  // ASCII
    } else {
      out += kNotShown;
    }
    at += length;
  }
  if (converter != reinterpret_cast<iconv_t>(-1)) {
    // A character set with shift states returns to its initial state.
    char converted[kMostBytesACharacter];
    char* output = converted;
    std::size_t outputLeft = sizeof converted;
    if (iconv(converter, nullptr, nullptr, &output, &outputLeft) !=
        static_cast<std::size_t>(-1))
      out.append(converted, static_cast<std::size_t>(output - converted));
    iconv_close(converter);
  }
  return out;
}

}  // namespace

std::string TerminalCharset() {
  const std::string locale = LocaleName("LC_CTYPE");
  // The C locale says nothing of the terminal (it is what a desktop or a
  // service leaves unset): UTF-8, what terminals take today, goes out as is.
  if (IsCLocale(locale)) return "";
  std::string charset;
  const locale_t installed = newlocale(LC_CTYPE_MASK, locale.c_str(), nullptr);
  if (installed != nullptr) {
    charset = nl_langinfo_l(CODESET, installed);
    freelocale(installed);
  } else if (locale.find('.') != std::string::npos) {
    // Not installed here, but the name says it: de_DE.ISO-8859-1@euro.
    const std::size_t dot = locale.find('.') + 1;
    charset = locale.substr(dot, locale.find('@', dot) - dot);
  }
  return IsUtf8Name(charset) ? "" : charset;
}

std::string ConsoleText(const std::string& text) {
  const std::string shown = VisibleControls(emulation::AsUtf8(text));
  const std::string charset = TerminalCharset();
  return charset.empty() ? shown : ConvertFromUtf8(shown, charset);
}

std::string VisibleControls(const std::string& text) {
  const bool utf8 = utf::IsValid(text.data(), text.size());
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
  return ascii::SameIgnoringCase(answer.c_str(), "y") ||
         ascii::SameIgnoringCase(answer.c_str(), "yes") ||
         LocaleMeansYes(answer);
}

int ConsoleBox(std::FILE* in, std::FILE* out, bool echoNewline,
               const char* text, const char* caption, unsigned style) {
  const bool question = IsQuestion(style);
  if (std::fprintf(out, "[%s] %s%s", ConsoleText(caption).c_str(),
                   ConsoleText(text).c_str(),
                   question ? " [y/N] " : "\n") < 0 ||
      std::fflush(out) != 0)
    return 0;
  if (!question) return platform::kAnswerOk;

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
  return yes ? platform::kAnswerYes : platform::kAnswerNo;
}

}  // namespace posix
