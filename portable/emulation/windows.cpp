#include "portable/emulation/windows.h"

#include <algorithm>
#include <cstring>

#include "platform/seam.h"
#include "portable/ascii.h"
#include "portable/emulation/paths.h"
#include "portable/emulation/utf8.h"
#include "portable/utf.h"

namespace emulation {

namespace {

const char kWinIni[] = "win.ini";
// The longest paths each system's file functions take: Windows' MAX_PATH
// UTF-16 units and Linux's PATH_MAX bytes, terminators included.
constexpr std::size_t kWindowsPathUnits = 260;
constexpr std::size_t kLinuxPathBytes = 4096;
// Where Windows is when nothing says otherwise.
const char kDefaultWindowsDirectory[] = "C:\\Windows";

// A file as Windows' own profile functions read it, for the reader: UTF-16
// with its little-endian mark as it is; anything else is 8-bit text of the
// code page, handed on in UTF-8, converted a line at a time (no code page has
// a line end inside a character). A UTF-8 mark or UTF-16 BE are then that
// code page's characters, as those functions see them.
class ProfileFunctionsText final : public ini::Source {
 public:
  ProfileFunctionsText(ini::Source& file, const ini::CodePage& codePage)
      : file_(file), codePage_(codePage) {}

  std::size_t Read(char* buffer, std::size_t capacity) override {
    if (!started_) Start();
    if (utf16_) {
      if (!raw_.empty()) return Hand(&raw_, buffer, capacity);
      return file_.Read(buffer, capacity);
    }
    while (out_.empty() && !(ended_ && raw_.empty())) Convert();
    return Hand(&out_, buffer, capacity);
  }

  bool Rewind() override {
    if (!file_.Rewind()) return false;
    started_ = utf16_ = ended_ = false;
    raw_.clear();
    out_.clear();
    return true;
  }

 private:
  // How much of a line without its end is converted at once.
  static constexpr std::size_t kLongestPiece = 65536;

  void Start() {
    started_ = true;
    char first[2];
    std::size_t n = 0;
    while (n < sizeof first) {
      const std::size_t got = file_.Read(first + n, sizeof first - n);
      if (got == 0) break;
      n += got;
    }
    raw_.assign(first, n);
    ended_ = n < sizeof first;
    utf16_ = n == 2 && static_cast<unsigned char>(first[0]) == 0xFF &&
             static_cast<unsigned char>(first[1]) == 0xFE;
  }

  // Reads on and converts every whole line read (or all, at the end).
  void Convert() {
    if (!ended_) {
      char piece[4096];
      const std::size_t got = file_.Read(piece, sizeof piece);
      ended_ = got == 0;
      raw_.append(piece, got);
    }
    std::size_t n = raw_.size();
    if (!ended_) {
      const std::size_t line = raw_.find_last_of("\r\n");
      if (line == std::string::npos && n < kLongestPiece) return;
      if (line != std::string::npos) n = line + 1;
    }
    std::string text = raw_.substr(0, n);
    raw_.erase(0, n);
    text.resize(n * 3 + 1);
    bool cut = false;
    text.resize(codePage_.ToUtf8(&text[0], static_cast<unsigned>(n),
                                 static_cast<unsigned>(text.size()), &cut));
    out_ += text;
  }

  static std::size_t Hand(std::string* from, char* buffer,
                          std::size_t capacity) {
    const std::size_t n = std::min(capacity, from->size());
    std::memcpy(buffer, from->data(), n);
    from->erase(0, n);
    return n;
  }

  ini::Source& file_;
  const ini::CodePage& codePage_;
  bool started_ = false;
  bool utf16_ = false;
  bool ended_ = false;
  std::string raw_;  // read, not yet handed on or converted
  std::string out_;  // converted, not yet handed on
};

std::vector<std::string> Components(const std::string& path, char separator) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  while (from <= path.size()) {
    std::size_t to = path.find(separator, from);
    if (to == std::string::npos) to = path.size();
    if (to > from) parts.push_back(path.substr(from, to - from));
    from = to + 1;
  }
  return parts;
}

}  // namespace

char Windows::Separator() const { return system_.WindowsPaths() ? '\\' : '/'; }

std::string Windows::NativePath(const std::string& path) const {
  return system_.WindowsPaths() ? path : ToNativePath(path);
}

std::string Windows::FullPath(const std::string& path) const {
  if (rules_ == Rules::kLinux) return path;
  const std::string current = system_.CurrentFolder();
  return FullWindowsPath(path, current.empty() ? "" : WindowsPath(current));
}

std::string Windows::WindowsPath(const std::string& native) const {
  return system_.WindowsPaths() ? native : ToWindowsPath(native);
}

std::string Windows::Absolute(const std::string& native) const {
  if (native.empty()) return "";
  const bool rooted = system_.WindowsPaths()
                          ? native[0] == '\\' || native[0] == '/' ||
                                (native.size() >= 2 && native[1] == ':')
                          : native[0] == '/';
  if (rooted) return native;
  const std::string current = system_.CurrentFolder();
  return current.empty() ? native : Join(current, native, Separator());
}

std::string Windows::Locate(const std::string& native) const {
  const std::string path = Absolute(native);
  if (path.empty()) return "";
  if (system_.Inspect(path).kind != Entry::kNone) return path;
  // A Windows file system ignores letter case by itself; a POSIX one is
  // searched folder by folder, from the root.
  if (system_.WindowsPaths() || path[0] != '/') return "";
  std::string found = "/";
  for (const std::string& part : Components(path, '/')) {
    const std::string exact = Join(found, part, '/');
    if (part == "." || part == ".." ||
        system_.Inspect(exact).kind != Entry::kNone) {
      found = exact;
      continue;
    }
    std::string best;
    system_.ForEachName(found, [&](const std::string& name) {
      if (ascii::SameIgnoringCase(name.data(), name.size(), part.data(),
                                  part.size()) &&
          (best.empty() || name < best))
        best = name;
      return false;
    });
    if (best.empty()) return "";
    found = Join(found, best, '/');
  }
  return system_.Inspect(found).kind != Entry::kNone ? found : "";
}

std::string Windows::WindowsDirectory() const {
  if (system_.WindowsPaths()) {
    const std::string root = system_.Variable("SystemRoot");
    return root.empty() ? kDefaultWindowsDirectory : root;
  }
  const std::string config = system_.Variable("XDG_CONFIG_HOME");
  if (!config.empty() && config[0] == '/') return config;
  std::string home = system_.Variable("HOME");
  if (home.empty()) home = system_.PasswordHome();
  return home.empty() ? "" : Join(home, ".config", '/');
}

std::string Windows::ProfileFile(const std::string& file) const {
  if (!IsBareName(file)) return NativePath(FullPath(file));
  const std::string windows = WindowsDirectory();
  return windows.empty() ? "" : Join(windows, file, Separator());
}

bool Windows::IsBesideLauncher(const char* file, const char* fileName) const {
  // Most files are told apart by their name, without the launcher's path.
  const char* name = file;
  for (const char* p = file; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  if (!ascii::SameIgnoringCase(name, fileName)) return false;
  const std::string own = system_.OwnPath();
  if (own.empty()) return false;
  const std::string beside = Join(FolderOf(WindowsPath(own)), fileName, '\\');
  return ascii::SameIgnoringCase(beside.c_str(), file);
}

bool Windows::IsSettingsFile(const char* file) const {
  return IsBesideLauncher(file, ownFiles_.settings);
}

bool Windows::ReadByProfileFunctions(const char* file) const {
  return rules_ == Rules::kWindows &&
         !IsBesideLauncher(file, ownFiles_.settings) &&
         !IsBesideLauncher(file, ownFiles_.messages);
}

std::string Windows::LinuxSection(const char* section) const {
  return std::string(section) + ownFiles_.linuxSuffix;
}

bool Windows::ReadProfile(const std::string& file,
                          const std::function<void(ini::Source&)>& use) const {
  const std::string native = Absolute(ProfileFile(file));
  if (native.empty()) return false;
  const std::function<void(ini::Source&)> read =
      !ReadByProfileFunctions(file.c_str()) ? use : [&](ini::Source& source) {
        ProfileFunctionsText text(source, codePage_);
        use(text);
      };
  if (system_.Read(native, read)) return true;
  const std::string other = Locate(native);
  return !other.empty() && other != native && system_.Read(other, read);
}

unsigned Windows::GetProfileString(const char* section, const char* key,
                                   const char* fallback, char* buffer,
                                   unsigned size) const {
  if (size == 0) return 0;
  long found = -1;
  ReadProfile(kWinIni, [&](ini::Source& source) {
    found = ini::FindString(&source, section, key, buffer, size, nullptr,
                            &codePage_);
  });
  if (found >= 0) return static_cast<unsigned>(found);
  // Without a WIN.INI that says otherwise, the language is the system's.
  if (ascii::SameIgnoringCase(section, "intl") &&
      ascii::SameIgnoringCase(key, "sLanguage")) {
    const std::string language = system_.UserLanguage();
    if (!language.empty())
      return ini::GetString(nullptr, section, key, language.c_str(), buffer,
                            size);
  }
  return ini::GetString(nullptr, section, key, fallback, buffer, size);
}

unsigned Windows::GetPrivateProfileString(const char* section, const char* key,
                                          const char* fallback, char* buffer,
                                          unsigned size, const char* file,
                                          bool* cut) const {
  if (cut != nullptr) *cut = false;
  if (size == 0) return 0;
  if (rules_ == Rules::kLinux && IsSettingsFile(file)) {
    long found = -1;
    const std::string linuxSection = LinuxSection(section);
    ReadProfile(file, [&](ini::Source& source) {
      found = ini::FindString(&source, linuxSection.c_str(), key, buffer, size,
                              cut, &codePage_);
    });
    if (found >= 0) return static_cast<unsigned>(found);
  }
  unsigned stored = 0;
  if (!ReadProfile(file, [&](ini::Source& source) {
        stored = ini::GetString(&source, section, key, fallback, buffer, size,
                                cut, &codePage_);
      }))
    stored = ini::GetString(nullptr, section, key, fallback, buffer, size, cut);
  return stored;
}

int Windows::GetPrivateProfileInt(const char* section, const char* key,
                                  int fallback, const char* file) const {
  int value = fallback;
  if (rules_ == Rules::kLinux && IsSettingsFile(file)) {
    bool found = false;
    const std::string linuxSection = LinuxSection(section);
    ReadProfile(file, [&](ini::Source& source) {
      found =
          ini::FindInt(&source, linuxSection.c_str(), key, fallback, &value);
    });
    if (found) return value;
  }
  ReadProfile(file, [&](ini::Source& source) {
    value = ini::GetInt(&source, section, key, fallback);
  });
  return value;
}

unsigned Windows::GetModuleFileName(char* buffer, unsigned size) const {
  const std::string own = system_.OwnPath();
  if (own.empty() || size == 0) return 0;
  const std::string path = WindowsPath(own);
  if (path.size() >= size) {
    // As older Windows does: cut, unterminated, and the result is the size.
    std::memcpy(buffer, path.data(), size);
    return size;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<unsigned>(path.size());
}

unsigned Windows::GetFileAttributes(const char* path) const {
  const std::string native = NativePath(FullPath(path));
  const std::string found = native.empty() ? "" : Locate(native);
  if (found.empty()) return platform::kInvalidFileAttributes;
  return system_.Inspect(found).kind == Entry::kFolder
             ? platform::kAttributeDirectory
             : platform::kAttributeNormal;
}

bool Windows::PathFits(const char* path) const {
  if (rules_ == Rules::kLinux) return NativePath(path).size() < kLinuxPathBytes;
  std::size_t units = 0;
  for (const char32_t c : DecodeUtf8(path))
    units += c >= utf::kFirstSupplementary ? 2 : 1;
  return units < kWindowsPathUnits;
}

}  // namespace emulation
