// The seam on Windows: each operation forwards to its KERNEL32 or USER32
// namesake (GetProfileStringA, GetPrivateProfileStringA,
// GetPrivateProfileIntA, GetModuleFileNameA, FindWindowA, WinExec,
// MessageBoxA). Nothing is added but two guards the core relies on: an empty
// command line fails without reaching the system, and a module path that did
// not fit is reported with the buffer's size on every Windows version.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/seam.h"

namespace platform {

unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size) {
  return ::GetProfileStringA(section, key, fallback, buffer, size);
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file, bool* cut) {
  const DWORD n =
      ::GetPrivateProfileStringA(section, key, fallback, buffer, size, file);
  // The A function reports a cut value as size - 1 characters stored.
  if (cut != nullptr) *cut = size > 0 && n >= size - 1;
  return n;
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  return static_cast<int>(
      ::GetPrivateProfileIntA(section, key, fallback, file));
}

unsigned GetModuleFileNameA(Instance instance, char* buffer, unsigned size) {
  const DWORD length =
      ::GetModuleFileNameA(static_cast<HMODULE>(instance), buffer, size);
  return length >= size ? size : length;
}

void* FindWindowA(const char* className, const char* windowName) {
  return ::FindWindowA(className, windowName);
}

unsigned GetFileAttributesA(const char* path) {
  return ::GetFileAttributesA(path);
}

unsigned WinExec(const char* commandLine, unsigned show) {
  if (commandLine[0] == '\0') return kFileNotFound;
  return ::WinExec(commandLine, show);
}

int MessageBoxA(void* owner, const char* text, const char* caption,
                unsigned style) {
  return ::MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

}  // namespace platform
