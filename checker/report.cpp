#include "checker/report.h"

#include <cstdio>

#include "config/keys.h"
#include "platform/ascii.h"
#include "platform/emulation/paths.h"
#include "platform/seam.h"

namespace check {

namespace {

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
      std::printf("  box %s [%s] %s\n", StyleName(e.style).c_str(),
                  e.caption.c_str(), e.text.c_str());
    } else if (e.kind == Event::kStart) {
      std::printf(
          "  %s %s\n",
          platform::Started(e.start.result) ? "start" : "fails to start",
          e.text.c_str());
      std::printf("    program %s: %s\n",
                  e.start.program.empty() ? "(none)" : e.start.program.c_str(),
                  e.start.why.c_str());
    }
  }
}

}  // namespace check
