// The checker on Windows, wholly through the wide (UTF-16) functions so that
// a folder of any name can be checked whatever the system's code page: file
// facts from GetFileAttributesW, FindFirstFileW and FindNextFileW, bytes from
// CreateFileW and ReadFile (a disk file only, opened for reading and shared
// with every writer), GetEnvironmentVariableW, GetCurrentDirectoryW,
// GetModuleFileNameW and GetFullPathNameW; the arguments from
// CommandLineToArgvW; output through WriteConsoleW to a console. Paths and
// texts are UTF-8 everywhere else, converted here by the system's own
// MultiByteToWideChar and WideCharToMultiByte. Windows keeps no execute
// permission: every file counts as executable.
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include "checker/code_page.h"
#include "checker/host.h"
#include "portable/utf.h"

namespace check {

namespace {

// The longest path the wide functions take, with the \\?\ form.
constexpr DWORD kLongestPath = 32768;

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return L"";
  const int length = MultiByteToWideChar(
      CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0)
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                        &wide[0], length);
  return wide;
}

std::string Utf8(const wchar_t* wide, std::size_t length) {
  if (length == 0) return "";
  const int size = WideCharToMultiByte(
      CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), &utf8[0],
                        size, nullptr, nullptr);
  return utf8;
}

std::string Utf8(const wchar_t* wide) { return Utf8(wide, lstrlenW(wide)); }

// What a function that fills `buffer` and returns the length (or, when the
// buffer is too small, its size or more) gave: empty on failure.
std::string FromBuffer(DWORD length, const std::wstring& buffer) {
  return length > 0 && length < buffer.size() ? Utf8(buffer.data(), length)
                                              : "";
}

class HandleSource final : public ini::Source {
 public:
  explicit HandleSource(HANDLE file) : file_(file) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    const DWORD most =
        capacity > 0x10000000u ? 0x10000000u : static_cast<DWORD>(capacity);
    DWORD got = 0;
    if (!ReadFile(file_, buffer, most, &got, nullptr)) return 0;
    return got;
  }
  bool Rewind() override {
    return SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == 0;
  }

 private:
  HANDLE file_;
};

// A code page through MultiByteToWideChar, which shows a byte sequence that
// is no character of it as Windows itself does.
class SystemCodePage final : public Converter {
 public:
  explicit SystemCodePage(UINT codePage) : codePage_(codePage) {}
  unsigned ToUtf8(char* text, unsigned length, unsigned size,
                  bool* cut) const override {
    std::u16string units(length, u'\0');
    const int n =
        length == 0
            ? 0
            : MultiByteToWideChar(codePage_, 0, text, static_cast<int>(length),
                                  reinterpret_cast<LPWSTR>(&units[0]),
                                  static_cast<int>(length));
    return utf::ToUtf8(units.data(), static_cast<unsigned>(n), text, size, cut);
  }

 private:
  UINT codePage_;
};

class WindowsSystem final : public emulation::System {
 public:
  bool WindowsPaths() const override { return true; }

  emulation::Entry Inspect(const std::string& native) override {
    emulation::Entry entry;
    const DWORD attributes = GetFileAttributesW(Wide(native).c_str());
    if (native.empty() || attributes == INVALID_FILE_ATTRIBUTES) return entry;
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.kind = folder ? emulation::Entry::kFolder : emulation::Entry::kFile;
    entry.readable = true;
    entry.executable = !folder;
    return entry;
  }

  void ForEachName(
      const std::string& folder,
      const std::function<bool(const std::string&)>& visit) override {
    WIN32_FIND_DATAW found;
    const std::string pattern =
        folder + (folder.empty() || folder.back() == '\\' ? "*" : "\\*");
    const HANDLE search = FindFirstFileW(Wide(pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      if (visit(Utf8(found.cFileName))) break;
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }

  bool Read(const std::string& native,
            const std::function<void(ini::Source&)>& use) override {
    const std::wstring path = Wide(native);
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool disk =
        GetFileType(file) == FILE_TYPE_DISK &&
        (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (disk) {
      HandleSource source(file);
      use(source);
    }
    CloseHandle(file);
    return disk;
  }

  std::string Variable(const char* name) override {
    std::wstring value(kLongestPath, L'\0');
    return FromBuffer(
        GetEnvironmentVariableW(Wide(name).c_str(), &value[0], kLongestPath),
        value);
  }

  std::string CurrentFolder() override {
    std::wstring path(kLongestPath, L'\0');
    return FromBuffer(GetCurrentDirectoryW(kLongestPath, &path[0]), path);
  }

  std::string OwnPath() override {
    std::wstring path(kLongestPath, L'\0');
    return FromBuffer(GetModuleFileNameW(nullptr, &path[0], kLongestPath),
                      path);
  }
};

}  // namespace

emulation::System& HostSystem() {
  static WindowsSystem system;
  return system;
}

std::unique_ptr<Converter> OpenCodePage(unsigned codePage) {
  if (!IsValidCodePage(codePage)) return nullptr;
  return std::make_unique<SystemCodePage>(codePage);
}

std::string FullPath(const std::string& path) {
  std::wstring full(kLongestPath, L'\0');
  return FromBuffer(
      GetFullPathNameW(Wide(path).c_str(), kLongestPath, &full[0], nullptr),
      full);
}

std::vector<std::string> Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void Write(std::FILE* stream, const std::string& utf8) {
  const HANDLE handle =
      GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      !GetConsoleMode(handle, &mode)) {
    // A file or pipe: the UTF-8 bytes.
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    return;
  }
  // A console shows UTF-16 whatever its code page; what the C library still
  // holds for it goes first.
  std::fflush(stream);
  const std::wstring wide = Wide(utf8);
  DWORD written = 0;
  WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written,
                nullptr);
}

}  // namespace check
