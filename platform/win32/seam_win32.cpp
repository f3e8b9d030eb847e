// The seam on Windows. Each operation forwards to its KERNEL32 or USER32
// namesake: the wide form (GetProfileStringW, GetPrivateProfileStringW,
// GetPrivateProfileIntW, GetModuleFileNameW, FindWindowW, GetFileAttributesW,
// MessageBoxW) with texts converted between UTF-8 and UTF-16, or on Windows
// 95/98/ME the A form with texts converted between UTF-8 and the system code
// page (see calls.h). WinExec is start.cpp's. Added are only the guards the
// core relies on: a value says whether it was cut, and a module path that
// does not fit is reported with the buffer's size on every Windows version.
//
// The launcher's own files are read by the project's INI reader through a
// file of CreateFileW (CreateFileA on 95/98/ME) and ReadFile, their 8-bit
// text in the system code page (MultiByteToWideChar). Two files stay with
// the profile functions: WIN.INI, which Windows maps to the registry, and
// the installed application's INI file, which its installer wrote with those
// functions, which Windows may map to the registry too, and whose recent
// writes Windows 95/98/ME holds in a cache that reading the file would miss.
#include "platform/seam.h"
#include "platform/win32/calls.h"
#include "portable/ini/ini_reader.h"
#include "portable/utf.h"

namespace platform {
namespace {

using win32::AnsiText;
using win32::wide;
using win32::WideText;

// An A function's value, in `buffer`, made UTF-8 in place; `cut` as for the
// seam's reads, `filled` when the A function said the value was cut.
unsigned AnsiValue(DWORD count, bool filled, char* buffer, unsigned size,
                   bool* cut) {
  bool shortened = false;
  const unsigned n = win32::AnsiToUtf8(buffer, count, size, &shortened);
  if (cut != nullptr) *cut = shortened || filled;
  return n;
}

// The system code page, for the reader.
class SystemCodePage final : public ini::CodePage {
 public:
  unsigned ToUtf8(char* text, unsigned length, unsigned size,
                  bool* cut) const override {
    return win32::AnsiToUtf8(text, length, size, cut);
  }
};

// Built at compile time: the launcher has no constructors to run.
const SystemCodePage kSystemCodePage;

// One of the launcher's own files, open for reading while others may read,
// write and (where Windows has that) delete or rename it; ReadFile hands out
// its bytes.
class OwnFile final : public ini::Source {
 public:
  explicit OwnFile(const char* path) {
    if (win32::UseWide()) {
      // The launcher's paths fit in its 256-byte buffers.
      const WideText<> wPath(path);
      if (wPath.complete())
        handle_ = wide.createFile(
            wPath.get(), GENERIC_READ,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    } else {
      // Windows 95/98/ME refuse FILE_SHARE_DELETE.
      const AnsiText aPath(path);
      if (aPath.complete())
        handle_ = ::CreateFileA(aPath.get(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    // A device or a pipe could block a read: only a file on a disk counts.
    if (handle_ != INVALID_HANDLE_VALUE &&
        ::GetFileType(handle_) != FILE_TYPE_DISK) {
      ::CloseHandle(handle_);
      handle_ = INVALID_HANDLE_VALUE;
    }
  }
  ~OwnFile() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  OwnFile(const OwnFile&) = delete;
  OwnFile& operator=(const OwnFile&) = delete;

  // The reader's source, or null when the file cannot be read.
  ini::Source* source() {
    return handle_ != INVALID_HANDLE_VALUE ? this : nullptr;
  }

  std::size_t Read(char* buffer, std::size_t capacity) override {
    DWORD got = 0;
    if (!::ReadFile(handle_, buffer, static_cast<DWORD>(capacity), &got,
                    nullptr))
      return 0;
    return got;
  }
  bool Rewind() override {
    return ::SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) == 0;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

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

// A value of WIN.INI (`file` null) or of the INI file `file`, through the
// profile functions; `cut` as for the seam's reads. One body for both reads,
// which differ only in the function called.
unsigned ProfileString(const char* section, const char* key,
                       const char* fallback, char* buffer, unsigned size,
                       const char* file, bool* cut) {
  if (cut != nullptr) *cut = false;
  if (size == 0) return 0;
  if (!win32::UseWide()) {
    const AnsiText aSection(section), aKey(key), aFallback(fallback);
    const AnsiText aFile(file);
    const DWORD n = file == nullptr
                        ? ::GetProfileStringA(aSection.get(), aKey.get(),
                                              aFallback.get(), buffer, size)
                        : ::GetPrivateProfileStringA(aSection.get(), aKey.get(),
                                                     aFallback.get(), buffer,
                                                     size, aFile.get());
    // The A function reports a cut value as size - 1 characters stored.
    return AnsiValue(n, file != nullptr && n >= size - 1, buffer, size, cut);
  }
  const WideText<> wSection(section), wKey(key), wFallback(fallback);
  const WideText<win32::kLongUnits> wFile(file);
  if (!wSection.complete() || !wKey.complete() || !wFile.complete())
    return Fallback(wFallback, buffer, size, cut);
  WideValue value;
  const DWORD count =
      file == nullptr
          ? wide.getProfileString(wSection.get(), wKey.get(), wFallback.get(),
                                  value.get(), value.kSize)
          : wide.getPrivateProfileString(wSection.get(), wKey.get(),
                                         wFallback.get(), value.get(),
                                         value.kSize, wFile.get());
  return value.ToUtf8(count, buffer, size, cut);
}

}  // namespace

unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size) {
  return ProfileString(section, key, fallback, buffer, size, nullptr, nullptr);
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file, bool* cut) {
  return ProfileString(section, key, fallback, buffer, size, file, cut);
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  if (!win32::UseWide()) {
    const AnsiText aSection(section), aKey(key);
    const AnsiText aFile(file);
    return static_cast<int>(::GetPrivateProfileIntA(aSection.get(), aKey.get(),
                                                    fallback, aFile.get()));
  }
  const WideText<> wSection(section), wKey(key);
  const WideText<win32::kLongUnits> wFile(file);
  if (!wSection.complete() || !wKey.complete() || !wFile.complete())
    return fallback;
  return static_cast<int>(wide.getPrivateProfileInt(wSection.get(), wKey.get(),
                                                    fallback, wFile.get()));
}

unsigned GetModuleFileNameA(Instance instance, char* buffer, unsigned size) {
  const HMODULE module = static_cast<HMODULE>(instance);
  if (size == 0) return 0;
  if (!win32::UseWide()) {
    const DWORD length = ::GetModuleFileNameA(module, buffer, size);
    if (length >= size) return size;
    bool cut = false;
    const unsigned n = AnsiValue(length, false, buffer, size, &cut);
    return cut ? size : n;
  }
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

bool PathFits(const char* path) {
  if (!win32::UseWide()) {
    const AnsiText aPath(path);
    unsigned length = 0;
    while (aPath.bytes()[length] != '\0') ++length;
    return aPath.complete() && length < MAX_PATH;
  }
  char16_t units[MAX_PATH];
  return utf::ToUtf16(path, units, MAX_PATH);
}

// The core asks for any title: `windowName` is always null.
void* FindWindowA(const char* className, const char*) {
  if (!win32::UseWide()) {
    const AnsiText aClass(className);
    return aClass.complete() ? ::FindWindowA(aClass.get(), nullptr) : nullptr;
  }
  const WideText<> wClass(className);
  if (!wClass.complete()) return nullptr;
  return wide.findWindow(wClass.get(), nullptr);
}

unsigned GetFileAttributesA(const char* path) {
  if (!win32::UseWide()) {
    const AnsiText aPath(path);
    return aPath.complete() ? ::GetFileAttributesA(aPath.get())
                            : kInvalidFileAttributes;
  }
  const WideText<win32::kLongUnits> wPath(path);
  if (!wPath.complete()) return kInvalidFileAttributes;
  return wide.getFileAttributes(wPath.get());
}

int MessageBoxA(void* owner, const char* text, const char* caption,
                unsigned style) {
  const HWND window = static_cast<HWND>(owner);
  if (!win32::UseWide()) {
    // The text in the system code page: a character it lacks shows as its
    // default character.
    const AnsiText aText(text);
    const AnsiText aCaption(caption);
    return ::MessageBoxA(window, aText.get(), aCaption.get(), style);
  }
  // A text too long for the box's buffer shows its beginning.
  const WideText<win32::kLongUnits> wText(text);
  const WideText<> wCaption(caption);
  return wide.messageBox(window, wText.get(), wCaption.get(), style);
}

unsigned ReadOwnString(const char* section, const char* key,
                       const char* fallback, char* buffer, unsigned size,
                       const char* file, bool* cut) {
  OwnFile own(file);
  return ini::GetString(own.source(), section, key, fallback, buffer, size, cut,
                        &kSystemCodePage);
}

int ReadOwnInt(const char* section, const char* key, int fallback,
               const char* file) {
  OwnFile own(file);
  return ini::GetInt(own.source(), section, key, fallback);
}

}  // namespace platform
