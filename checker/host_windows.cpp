// The checker on Windows: file facts from GetFileAttributesA, FindFirstFileA
// and FindNextFileA, bytes from CreateFileA and ReadFile (a disk file only,
// opened for reading and shared with every writer), getenv, and
// GetCurrentDirectoryA, GetModuleFileNameA and GetFullPathNameA. Windows
// keeps no execute permission: every file counts as executable.
#include <windows.h>

#include <cstdlib>

#include "checker/host.h"

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

 private:
  HANDLE file_;
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

std::string FullPath(const std::string& path) {
  char full[MAX_PATH];
  return FromBuffer(GetFullPathNameA(path.c_str(), sizeof full, full, nullptr),
                    full, sizeof full);
}

}  // namespace check
