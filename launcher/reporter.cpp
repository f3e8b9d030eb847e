#include "launcher/reporter.h"

#include "config/readers.h"
#include "config/text.h"
#include "launcher/format.h"
#include "platform/seam.h"

int Reporter::Show(const char* text, unsigned style) const {
  char caption[text::kBufferSize];
  ReadSetting(kAppName, caption, text::kReadSize);
  return platform::MessageBoxA(nullptr, text, caption, style);
}

void Reporter::Note(const char* text) const {
  if (verbose_ == 0) return;
  Show(text, platform::kStyleNotice);
}

void Reporter::NoteText(const char* format, const char* argument) const {
  if (verbose_ == 0) return;
  char message[text::kBufferSize];
  FormatWithText(message, format, argument);
  Show(message, platform::kStyleNotice);
}

void Reporter::NoteNumber(const char* format, int argument) const {
  if (verbose_ == 0) return;
  char message[text::kBufferSize];
  FormatWithNumber(message, format, argument);
  Show(message, platform::kStyleNotice);
}

int Reporter::Ask(const char* format, const char* argument) const {
  char message[text::kBufferSize];
  FormatWithText(message, format, argument);
  return Show(message, platform::kStyleQuestion);
}

void Reporter::PathTooLong(const char* path) const {
  static const char kLead[] =
      "This path is longer than the system allows, so nothing is read or "
      "started from it: ";
  char notice[sizeof kLead + text::kPathSize];
  if (text::Copy(notice, sizeof notice, kLead))
    text::Append(notice, sizeof notice, path);
  Show(notice, platform::kStyleNotice);
}

void Reporter::DumpOptions() const {
  if (verbose_ == 0) return;
  if (Show("Dump Options?", platform::kStyleQuestion) != platform::kAnswerYes)
    return;

  char value[text::kBufferSize];
  ReadSetting(kClassName, value, text::kReadSize);
  NoteText("ClassName=<%s>", value);
  ReadSetting(kAppName, value, text::kReadSize);
  NoteText("AppName=<%s>", value);
  ReadSetting(kSetupName, value, text::kReadSize);
  NoteText("run setup<%s>", value);
  NoteNumber("setup version %d", ReadSettingInt(kVersion));
  NoteNumber("installed version %d", ReadInstalledVersion());
  Note(ReadSettingInt(kSetupOnly) != 0 ? "setup only" : "run setup or exe");
  ReadSetting(kIniFile, value, text::kReadSize);
  NoteText("target ini <%s>", value);
}
