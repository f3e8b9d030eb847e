// The choice between the wide and the 8-bit Windows functions, and the
// conversion of the system code page to UTF-8. Uses GetVersion,
// GetModuleHandleA, GetProcAddress and MultiByteToWideChar; the wide
// functions of KERNEL32 and USER32 are only ever reached through the
// pointers found here.
#include "platform/win32/calls.h"

#include <cstring>

namespace win32 {

WideCalls wide;

namespace {

// Set when every wide function was found.
bool wideReady = false;

// The high bit of GetVersion's result marks Windows 95, 98 and ME.
constexpr DWORD kNotNtFamily = 0x80000000u;

// The names of WideCalls' members, in their order: KERNEL32's functions,
// then the last kUserCalls, USER32's. One string and one loop rather than a
// lookup per member: the launcher must fit in 24 KiB.
constexpr char kWideNames[] =
    "GetProfileStringW\0GetPrivateProfileStringW\0GetPrivateProfileIntW\0"
    "GetModuleFileNameW\0GetFileAttributesW\0SearchPathW\0"
    "GetSystemDirectoryW\0GetWindowsDirectoryW\0GetCurrentDirectoryW\0"
    "GetEnvironmentVariableW\0CreateProcessW\0LoadLibraryW\0CreateFileW\0"
    "FindWindowW\0MessageBoxW\0";
constexpr unsigned kUserCalls = 2;
constexpr unsigned kWideCalls = sizeof(WideCalls) / sizeof(FARPROC);

constexpr unsigned CountNames(const char* names) {
  unsigned count = 0;
  for (; *names != '\0'; ++count) {
    while (*names++ != '\0') {
    }
  }
  return count;
}
static_assert(sizeof(WideCalls) == kWideCalls * sizeof(FARPROC) &&
                  CountNames(kWideNames) == kWideCalls,
              "one name for each wide function");

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
  FARPROC found[kWideCalls];
  const char* name = kWideNames;
  for (unsigned i = 0; i < kWideCalls; ++i) {
    found[i] =
        ::GetProcAddress(i < kWideCalls - kUserCalls ? kernel : user, name);
    if (found[i] == nullptr) return;
    while (*name++ != '\0') {
    }
  }
  // Every member is a function pointer, of the same size and form as
  // GetProcAddress's result.
  std::memcpy(&wide, found, sizeof wide);
  wideReady = true;
}

bool UseWide() { return wideReady; }

template class WideText<kTextUnits>;
template class WideText<kLongUnits>;

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
