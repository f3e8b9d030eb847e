// The checker on Windows: file facts from GetFileAttributesA, FindFirstFileA
// and FindNextFileA, bytes from CreateFileA and ReadFile (a disk file only,
// opened for reading and shared with every writer), getenv, and
// GetCurrentDirectoryA, GetModuleFileNameA and GetFullPathNameA. Windows
// keeps no execute permission: every file counts as executable.
#include <windows.h>

#include <cstdlib>

#include "checker/code_page.h"
#include "checker/host.h"
#include "codec/utf.h"

namespace check {

namespace {

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

std::string FromBuffer(DWORD length, const char* buffer, DWORD size) {
  return length > 0 && length < size ? std::string(buffer, length) : "";
}

class WindowsSystem final : public emulation::System {
 public:
  bool WindowsPaths() const override { return true; }

  emulation::Entry Inspect(const std::string& native) override {
    emulation::Entry entry;
    const DWORD attributes = GetFileAttributesA(native.c_str());
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
    WIN32_FIND_DATAA found;
    const std::string pattern =
        folder + (folder.empty() || folder.back() == '\\' ? "*" : "\\*");
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      if (visit(found.cFileName)) break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }

  bool Read(const std::string& native,
            const std::function<void(ini::Source&)>& use) override {
    const HANDLE file =
        CreateFileA(native.c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool disk =
        GetFileType(file) == FILE_TYPE_DISK &&
        (GetFileAttributesA(native.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (disk) {
      HandleSource source(file);
      use(source);
    }
    CloseHandle(file);
    return disk;
  }

  std::string Variable(const char* name) override {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
  }

  std::string CurrentFolder() override {
    char path[MAX_PATH];
    return FromBuffer(GetCurrentDirectoryA(sizeof path, path), path,
                      sizeof path);
  }

  std::string OwnPath() override {
    char path[MAX_PATH];
    return FromBuffer(GetModuleFileNameA(nullptr, path, sizeof path), path,
                      sizeof path);
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
  char full[MAX_PATH];
  return FromBuffer(GetFullPathNameA(path.c_str(), sizeof full, full, nullptr),
                    full, sizeof full);
}

}  // namespace check
