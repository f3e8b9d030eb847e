// The seam on Windows. Each operation forwards to its KERNEL32 or USER32
// namesake: the wide form (GetProfileStringW, GetPrivateProfileStringW,
// GetPrivateProfileIntW, GetModuleFileNameW, FindWindowW, GetFileAttributesW,
// MessageBoxW) with texts converted between UTF-8 and UTF-16, or on Windows
// 95/98/ME the A form with texts in the system code page (see calls.h).
// WinExec is start.cpp's. Added are only the guards the core relies on: a
// value says whether it was cut, and a module path that does not fit is
// reported with the buffer's size on every Windows version.
//
// The wide profile functions read a UTF-16 file (with its byte-order mark)
// exactly and decode an 8-bit file with the system code page, as the A
// functions do; a value is then cut to size - 1 bytes of UTF-8 at a character
// boundary.
#include "codec/utf.h"
#include "platform/seam.h"
#include "platform/win32/calls.h"

namespace platform {
namespace {

using win32::wide;
using win32::WideText;

// Receives a value read by a wide function, with room for more than any
// buffer of the launcher holds, so that a value that fills it surely did not
// fit and the conversion alone decides otherwise.
struct WideValue {
  char16_t units[win32::kLongUnits];
  LPWSTR get() { return reinterpret_cast<LPWSTR>(units); }
  static constexpr DWORD kSize = win32::kLongUnits;

  // Converts the `count` units read into `buffer`.
  unsigned ToUtf8(DWORD count, char* buffer, unsigned size, bool* cut) const {
    const bool filled = count >= kSize - 1;
    bool shortened = false;
    const unsigned n = utf::ToUtf8(units, count, buffer, size, &shortened);
    if (cut != nullptr) *cut = shortened || filled;
    return n;
  }
};

// What a read gives when its names cannot be converted whole (longer than
// any text of the launcher): the fallback, as for a missing key.
unsigned Fallback(const WideText<>& fallback, char* buffer, unsigned size,
                  bool* cut) {
  const unsigned n =
      utf::ToUtf8(fallback.units(), win32::kTextUnits, buffer, size, cut);
  if (cut != nullptr && !fallback.complete()) *cut = true;
  return n;
}

}  // namespace

unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size) {
  if (!win32::UseWide())
    return ::GetProfileStringA(section, key, fallback, buffer, size);
  if (size == 0) return 0;
  const WideText<> wSection(section), wKey(key), wFallback(fallback);
  if (!wSection.complete() || !wKey.complete())
    return Fallback(wFallback, buffer, size, nullptr);
  WideValue value;
  const DWORD count = wide.getProfileString(
      wSection.get(), wKey.get(), wFallback.get(), value.get(), value.kSize);
  return value.ToUtf8(count, buffer, size, nullptr);
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file, bool* cut) {
  if (!win32::UseWide()) {
    const DWORD n =
        ::GetPrivateProfileStringA(section, key, fallback, buffer, size, file);
    // The A function reports a cut value as size - 1 characters stored.
    if (cut != nullptr) *cut = size > 0 && n >= size - 1;
    return n;
  }
  if (cut != nullptr) *cut = false;
  if (size == 0) return 0;
  const WideText<> wSection(section), wKey(key), wFallback(fallback),
      wFile(file);
  if (!wSection.complete() || !wKey.complete() || !wFile.complete())
    return Fallback(wFallback, buffer, size, cut);
  WideValue value;
  const DWORD count =
      wide.getPrivateProfileString(wSection.get(), wKey.get(), wFallback.get(),
                                   value.get(), value.kSize, wFile.get());
  return value.ToUtf8(count, buffer, size, cut);
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  if (!win32::UseWide())
    return static_cast<int>(
        ::GetPrivateProfileIntA(section, key, fallback, file));
  const WideText<> wSection(section), wKey(key), wFile(file);
  if (!wSection.complete() || !wKey.complete() || !wFile.complete())
    return fallback;
  return static_cast<int>(wide.getPrivateProfileInt(wSection.get(), wKey.get(),
                                                    fallback, wFile.get()));
}

unsigned GetModuleFileNameA(Instance instance, char* buffer, unsigned size) {
  const HMODULE module = static_cast<HMODULE>(instance);
  if (!win32::UseWide()) {
    const DWORD length = ::GetModuleFileNameA(module, buffer, size);
    return length >= size ? size : length;
  }
  if (size == 0) return 0;
  WideValue path;
  const DWORD length = wide.getModuleFileName(module, path.get(), path.kSize);
  if (length == 0) {
    buffer[0] = '\0';
    return 0;
  }
  // A path that fills the wide buffer may have been cut: unknown, as is one
  // whose UTF-8 does not fit.
  bool cut = false;
  const unsigned n = path.ToUtf8(length, buffer, size, &cut);
  return cut ? size : n;
}

void* FindWindowA(const char* className, const char* windowName) {
  if (!win32::UseWide()) return ::FindWindowA(className, windowName);
  const WideText<> wClass(className), wName(windowName);
  if (!wClass.complete() || !wName.complete()) return nullptr;
  return wide.findWindow(wClass.get(), wName.get());
}

unsigned GetFileAttributesA(const char* path) {
  if (!win32::UseWide()) return ::GetFileAttributesA(path);
  const WideText<> wPath(path);
  if (!wPath.complete()) return kInvalidFileAttributes;
  return wide.getFileAttributes(wPath.get());
}

int MessageBoxA(void* owner, const char* text, const char* caption,
                unsigned style) {
  const HWND window = static_cast<HWND>(owner);
  if (!win32::UseWide()) return ::MessageBoxA(window, text, caption, style);
  // A text too long for the box's buffer shows its beginning.
  const WideText<win32::kLongUnits> wText(text);
  const WideText<> wCaption(caption);
  return wide.messageBox(window, wText.get(), wCaption.get(), style);
}

}  // namespace platform
