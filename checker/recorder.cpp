// The seam for the checker (see recorder.h). Profile reads, paths and
// attributes are the emulation's; the language, the window check and the
// answers come from the situation; starts are chosen by the emulation's
// rules and recorded, never made.
#include "checker/recorder.h"

#include "config/keys.h"
#include "platform/seam.h"
#include "portable/ascii.h"
#include "portable/ini/ini_reader.h"

namespace check {

namespace {

const emulation::Windows* windows = nullptr;
Situation situation;
std::vector<Event> record;
std::size_t questionsAsked = 0;

void RecordRead(const char* file, const char* key) {
  Event read;
  read.kind = Event::kRead;
  read.file = file;
  read.key = key;
  record.push_back(read);
}

}  // namespace

void Attach(const emulation::Windows& emulated) { windows = &emulated; }

void Prepare(const Situation& s) {
  situation = s;
  record.clear();
  questionsAsked = 0;
}

const std::vector<Event>& Recorded() { return record; }

}  // namespace check

namespace platform {

using check::situation;
using check::windows;

unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size) {
  if (ascii::SameIgnoringCase(section, "intl") &&
      ascii::SameIgnoringCase(key, "sLanguage"))
    return ini::GetString(nullptr, section, key, situation.language.c_str(),
                          buffer, size);
  return windows->GetProfileString(section, key, fallback, buffer, size);
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file, bool* cut) {
  check::RecordRead(file, key);
  return windows->GetPrivateProfileString(section, key, fallback, buffer, size,
                                          file, cut);
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  check::RecordRead(file, key);
  if (situation.overrideInstalled && !windows->IsSettingsFile(file) &&
      ascii::SameIgnoringCase(key, SettingKey[kVersion]))
    return situation.installedVersion;
  return windows->GetPrivateProfileInt(section, key, fallback, file);
}

unsigned GetModuleFileNameA(Instance, char* buffer, unsigned size) {
  return windows->GetModuleFileName(buffer, size);
}

bool PathFits(const char* path) { return windows->PathFits(path); }

void* FindWindowA(const char* className, const char*) {
  static int window;
  check::Event find;
  find.kind = check::Event::kFind;
  find.text = className;
  find.found = situation.running;
  check::record.push_back(find);
  return situation.running ? &window : nullptr;
}

unsigned GetFileAttributesA(const char* path) {
  return windows->GetFileAttributes(path);
}

unsigned WinExec(const char* commandLine, unsigned) {
  check::Event start;
  start.kind = check::Event::kStart;
  start.text = commandLine;
  start.start = windows->ChooseStart(commandLine);
  check::record.push_back(start);
  return start.start.result;
}

int MessageBoxA(void*, const char* text, const char* caption, unsigned style) {
  check::Event box;
  box.kind = check::Event::kBox;
  box.caption = caption;
  box.text = text;
  box.style = style;
  check::record.push_back(box);
  if (style != kStyleQuestion) return kAnswerOk;
  const std::size_t n = check::questionsAsked++;
  const bool yes = n < situation.answers.size() ? situation.answers[n]
                                                : situation.answerAfterwards;
  return yes ? kAnswerYes : kAnswerNo;
}

}  // namespace platform
