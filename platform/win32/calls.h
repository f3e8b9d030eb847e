// Which Windows functions the layer calls: the wide (UTF-16) ones wherever
// Windows has them, chosen once at start-up.
//
// Windows of the NT family (NT 4, 2000 and every later one) gets the wide
// functions: the layer converts the launcher's UTF-8 to and from UTF-16 at the
// seam, so that any folder name and any message language work whatever the
// system code page. Windows 95, 98 and ME, whose wide functions are mostly
// empty shells, keep the 8-bit (A) functions: the layer converts the
// launcher's UTF-8 to and from the system code page for them. The wide
// functions are looked up with GetProcAddress, so the executable imports none
// of them and still loads on those old Windows.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "portable/utf.h"

namespace win32 {

// In the order of their names in calls.cpp, which looks them up in one loop.
struct WideCalls {
  DWORD(WINAPI* getProfileString)(LPCWSTR, LPCWSTR, LPCWSTR, LPWSTR, DWORD);
  DWORD(WINAPI* getPrivateProfileString)
  (LPCWSTR, LPCWSTR, LPCWSTR, LPWSTR, DWORD, LPCWSTR);
  UINT(WINAPI* getPrivateProfileInt)(LPCWSTR, LPCWSTR, INT, LPCWSTR);
  DWORD(WINAPI* getModuleFileName)(HMODULE, LPWSTR, DWORD);
  DWORD(WINAPI* getFileAttributes)(LPCWSTR);
  DWORD(WINAPI* searchPath)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPWSTR, LPWSTR*);
  UINT(WINAPI* getSystemDirectory)(LPWSTR, UINT);
  UINT(WINAPI* getWindowsDirectory)(LPWSTR, UINT);
  DWORD(WINAPI* getCurrentDirectory)(DWORD, LPWSTR);
  DWORD(WINAPI* getEnvironmentVariable)(LPCWSTR, LPWSTR, DWORD);
  BOOL(WINAPI* createProcess)
  (LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
   LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
  HMODULE(WINAPI* loadLibrary)(LPCWSTR);
  HANDLE(WINAPI* createFile)
  (LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  HWND(WINAPI* findWindow)(LPCWSTR, LPCWSTR);
  int(WINAPI* messageBox)(HWND, LPCWSTR, LPCWSTR, UINT);
};

// The wide functions; meaningful only when UseWide() is true.
extern WideCalls wide;

// Decides once, before the launcher runs, which functions are used.
void ChooseCalls();

// True when the wide functions are used; else the A functions, with texts
// converted between UTF-8 and the system code page at the seam, so that the
// launcher's texts are UTF-8 on every Windows.
bool UseWide();

// Looks up `name` in `module` as a function of type Function; null when the
// module lacks it.
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  const FARPROC found = ::GetProcAddress(module, name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// Size in UTF-16 units of the buffers that hold a text of the launcher (its
// texts live in 256-byte buffers, so each fits) and of those that receive a
// value, a path or a command line from Windows.
constexpr unsigned kTextUnits = 256;
constexpr unsigned kLongUnits = 1024;

// A text of the launcher in UTF-16 (at most Units - 1 units), for a wide
// function. A null text stays null.
template <unsigned Units = kTextUnits>
class WideText {
 public:
  explicit WideText(const char* text)
      : null_(text == nullptr),
        complete_(utf::ToUtf16(null_ ? "" : text, units_, Units)) {}
  LPCWSTR get() const {
    return null_ ? nullptr : reinterpret_cast<LPCWSTR>(units_);
  }
  LPWSTR writable() { return reinterpret_cast<LPWSTR>(units_); }
  const char16_t* units() const { return units_; }
  // False when the text did not fit and only its beginning is held.
  bool complete() const { return complete_; }

 private:
  char16_t units_[Units];
  bool null_;
  bool complete_;
};

// Built once, in calls.cpp: each file's own copy of a constructor would stay
// in the launcher.
extern template class WideText<kTextUnits>;
extern template class WideText<kLongUnits>;

// Turns the `length` bytes of 8-bit text of the system code page at the
// start of `text` (a buffer of `size` bytes, size > length) in place into
// terminated UTF-8: at most size - 1 bytes, ending between characters.
// Returns the number of bytes stored; `cut`, when not null, tells whether
// part of the text was left out.
unsigned AnsiToUtf8(char* text, unsigned length, unsigned size, bool* cut);

// A text of the launcher in the system code page, for an A function of
// Windows 95/98/ME: any text of the launcher, a path or a box's text. A null
// text stays null; a character the code page lacks becomes its default
// character.
class AnsiText {
 public:
  explicit AnsiText(const char* text);
  LPCSTR get() const { return null_ ? nullptr : bytes_; }
  // The bytes themselves: "" for a null text.
  const char* bytes() const { return bytes_; }
  // False when the text did not fit and only its beginning is held.
  bool complete() const { return complete_; }

 private:
  char bytes_[2 * kLongUnits];
  bool null_;
  bool complete_;
};

}  // namespace win32
