// The choice between the wide and the 8-bit Windows functions. Uses
// GetVersion, GetModuleHandleA and GetProcAddress; the wide functions of
// KERNEL32 and USER32 are only ever reached through the pointers found here.
#include "platform/win32/calls.h"

namespace win32 {

WideCalls wide;

namespace {

// Set when every wide function was found.
bool wideReady = false;

// The high bit of GetVersion's result marks Windows 95, 98 and ME.
constexpr DWORD kNotNtFamily = 0x80000000u;

template <typename Function>
bool Load(HMODULE module, const char* name, Function* slot) {
  *slot = Lookup<Function>(module, name);
  return *slot != nullptr;
}

}  // namespace

void ChooseCalls() {
#ifdef PELLOMAR_TEST_ANSI
  // Test build: the path of the old Windows, on any Windows.
  return;
#endif
  if ((::GetVersion() & kNotNtFamily) != 0) return;
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  const HMODULE user = ::GetModuleHandleA("user32.dll");
  if (kernel == nullptr || user == nullptr) return;
  wideReady =
      Load(kernel, "GetProfileStringW", &wide.getProfileString) &&
      Load(kernel, "GetPrivateProfileStringW", &wide.getPrivateProfileString) &&
      Load(kernel, "GetPrivateProfileIntW", &wide.getPrivateProfileInt) &&
      Load(kernel, "GetModuleFileNameW", &wide.getModuleFileName) &&
      Load(kernel, "GetFileAttributesW", &wide.getFileAttributes) &&
      Load(kernel, "SearchPathW", &wide.searchPath) &&
      Load(kernel, "GetSystemDirectoryW", &wide.getSystemDirectory) &&
      Load(kernel, "GetWindowsDirectoryW", &wide.getWindowsDirectory) &&
      Load(kernel, "GetCurrentDirectoryW", &wide.getCurrentDirectory) &&
      Load(kernel, "GetEnvironmentVariableW", &wide.getEnvironmentVariable) &&
      Load(kernel, "CreateProcessW", &wide.createProcess) &&
      Load(kernel, "LoadLibraryW", &wide.loadLibrary) &&
      Load(user, "FindWindowW", &wide.findWindow) &&
      Load(user, "MessageBoxW", &wide.messageBox);
}

bool UseWide() { return wideReady; }

}  // namespace win32
