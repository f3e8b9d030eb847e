// The seam on Linux and other POSIX systems. Profile reads, paths, the
// launcher's own path and file attributes are the Windows emulation's, over
// this system's files (files.h); boxes (dialogs.h), starts (start.h) and the
// window check (windows_x11.h) are this layer's own. Nothing is ever written.
#include "platform/posix/dialogs.h"
#include "platform/posix/files.h"
#include "platform/posix/start.h"
#include "platform/posix/windows_x11.h"
#include "platform/seam.h"

namespace platform {

unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size) {
  return posix::Emulation().GetProfileString(section, key, fallback, buffer,
                                             size);
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file, bool* cut) {
  return posix::Emulation().GetPrivateProfileString(section, key, fallback,
                                                    buffer, size, file, cut);
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  return posix::Emulation().GetPrivateProfileInt(section, key, fallback, file);
}

unsigned GetModuleFileNameA(Instance, char* buffer, unsigned size) {
  return posix::Emulation().GetModuleFileName(buffer, size);
}

bool PathFits(const char* path) { return posix::Emulation().PathFits(path); }

void* FindWindowA(const char* className, const char*) {
  static int marker;
  return posix::WindowOfClassExists(className) ? &marker : nullptr;
}

unsigned GetFileAttributesA(const char* path) {
  return posix::Emulation().GetFileAttributes(path);
}

unsigned WinExec(const char* commandLine, unsigned) {
  return posix::StartProgram(commandLine);
}

int MessageBoxA(void*, const char* text, const char* caption, unsigned style) {
  return posix::ShowBox(text, caption, style);
}

}  // namespace platform
