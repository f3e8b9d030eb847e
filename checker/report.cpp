#include "checker/report.h"

#include <cstdarg>
#include <cstdio>

#include "checker/host.h"
#include "config/keys.h"
#include "platform/seam.h"
#include "portable/ascii.h"
#include "portable/emulation/paths.h"
#include "portable/emulation/utf8.h"

namespace check {

namespace {

// `format` filled in, to `stream` through the host's Write.
void WriteFormatted(std::FILE* stream, const char* format, va_list arguments) {
  va_list measuring;
  va_copy(measuring, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  if (length <= 0) return;
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(&text[0], text.size(), format, arguments);
  text.resize(static_cast<std::size_t>(length));
  // Settings and warnings quote values as read: an 8-bit one is shown as
  // Western Windows shows it, never as raw bytes.
  Write(stream, emulation::AsUtf8(text));
}

// Whether the run read `key` of the message file.
bool ReadMessageKey(const std::vector<Event>& record, MessageIndex key) {
  for (const Event& e : record) {
    if (e.kind == Event::kRead &&
        ascii::SameIgnoringCase(emulation::NameOf(e.file).c_str(),
                                kMessageFileName) &&
        ascii::SameIgnoringCase(e.key.c_str(), MessageKey[key]))
      return true;
  }
  return false;
}

}  // namespace

std::string StyleName(unsigned style) {
  if (style == platform::kStyleQuestion) return "question";
  if (style == platform::kStyleNotice) return "notice";
  char number[16];
  std::snprintf(number, sizeof number, "0x%02x", style);
  return number;
}

const char* Branch(const std::vector<Event>& record) {
  for (const Event& e : record) {
    if (e.kind == Event::kFind && e.found)
      return "already running: nothing is offered";
  }
  if (ReadMessageKey(record, kAskRunSetup))
    return "setup offered (the setup's version is newer)";
  if (ReadMessageKey(record, kAskRunExe))
    return "installed application offered";
  return "installed, setup only: nothing is offered";
}

void PrintRun(const std::vector<Event>& record) {
  for (const Event& e : record) {
    if (e.kind == Event::kBox) {
      // UTF-8 already: every value is, once read.
      Print("  box %s [%s] %s\n", StyleName(e.style).c_str(), e.caption.c_str(),
            e.text.c_str());
    } else if (e.kind == Event::kStart) {
      Print("  %s %s\n",
            platform::Started(e.start.result) ? "start" : "fails to start",
            e.text.c_str());
      Print("    program %s: %s\n",
            e.start.program.empty() ? "(none)" : e.start.program.c_str(),
            e.start.why.c_str());
    }
  }
}

void Print(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  WriteFormatted(stdout, format, arguments);
  va_end(arguments);
}

void PrintError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  WriteFormatted(stderr, format, arguments);
  va_end(arguments);
}

}  // namespace check
