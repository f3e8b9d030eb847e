// The choice between the wide and the 8-bit Windows functions, and the
// conversion of the system code page to UTF-8. Uses GetVersion,
// GetModuleHandleA, GetProcAddress and MultiByteToWideChar; the wide
// functions of KERNEL32 and USER32 are only ever reached through the
// pointers found here.
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
      Load(kernel, "CreateFileW", &wide.createFile) &&
      Load(user, "FindWindowW", &wide.findWindow) &&
      Load(user, "MessageBoxW", &wide.messageBox);
}

bool UseWide() { return wideReady; }

AnsiText::AnsiText(const char* text) : null_(text == nullptr) {
  const WideText<kLongUnits> units(null_ ? "" : text);
  const int n = ::WideCharToMultiByte(CP_ACP, 0, units.get(), -1, bytes_,
                                      sizeof bytes_, nullptr, nullptr);
  complete_ = units.complete() && n > 0;
  if (n == 0) bytes_[0] = '\0';
}

unsigned AnsiToUtf8(char* text, unsigned length, unsigned size, bool* cut) {
  // Each byte is at most one UTF-16 unit; a text longer than any of the
  // launcher's does not fit and gives nothing.
  char16_t units[kLongUnits];
  const int n =
      ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length),
                            reinterpret_cast<LPWSTR>(units), kLongUnits);
  bool shortened = false;
  const unsigned stored =
      utf::ToUtf8(units, static_cast<unsigned>(n), text, size, &shortened);
  if (cut != nullptr) *cut = shortened || (n == 0 && length > 0);
  return stored;
}

}  // namespace win32
