// The seam on Linux and other POSIX systems. Profile reads open the file
// (open, fstat, read, close: nothing stays open past the call; opendir and
// readdir when only a name of another case exists) and hand it to the
// portable INI reader; everything else is in posix_support.h. Nothing is
// ever written. A folder, fifo or device where a file is expected reads as a
// missing file.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/ini/ini_reader.h"
#include "platform/posix/posix_support.h"
#include "platform/seam.h"

namespace {

class FileSource final : public ini::Source {
 public:
  // `size` is the file's size when it was opened: reading stops there, so
  // the end of a small file costs no extra read.
  FileSource(int fd, off_t size) : fd_(fd), left_(size) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    if (left_ <= 0) return 0;
    if (static_cast<off_t>(capacity) > left_)
      capacity = static_cast<std::size_t>(left_);
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, capacity);
      if (n > 0) left_ -= n;
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) return 0;
    }
  }

 private:
  int fd_;
  off_t left_;
};

// An open profile file: a regular file for reading, or nothing.
struct Profile {
  int fd = -1;
  off_t size = 0;
};

int OpenForReading(const std::string& path) {
  // O_NONBLOCK keeps a fifo from blocking the open.
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

Profile OpenProfile(const char* file) {
  Profile profile;
  const std::string path = posix::ProfilePath(file);
  if (path.empty()) return profile;
  int fd = OpenForReading(path);
  if (fd < 0 && errno == ENOENT) {
    const std::string other = posix::SameNameIgnoringCase(path);
    if (!other.empty()) fd = OpenForReading(other);
  }
  if (fd < 0) return profile;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return profile;
  }
  profile.fd = fd;
  profile.size = st.st_size;
  return profile;
}

unsigned CopyCut(const std::string& text, char* buffer, unsigned size) {
  if (size == 0) return 0;
  const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<unsigned>(n);
}

bool SameIgnoringCase(const char* a, const char* b) {
  return ::strcasecmp(a, b) == 0;
}

}  // namespace

namespace platform {

unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size) {
  if (size == 0) return 0;
  const Profile winIni = OpenProfile("win.ini");
  long found = -1;
  if (winIni.fd >= 0) {
    FileSource source(winIni.fd, winIni.size);
    found = ini::FindString(&source, section, key, buffer, size);
    ::close(winIni.fd);
  }
  if (found >= 0) return static_cast<unsigned>(found);
  // Without a win.ini that says otherwise, the language is the user's locale.
  if (SameIgnoringCase(section, "intl") && SameIgnoringCase(key, "sLanguage"))
    return CopyCut(posix::LanguageFromLocale(), buffer, size);
  return CopyCut(fallback, buffer, size);
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file, bool* cut) {
  const Profile profile = OpenProfile(file);
  if (profile.fd < 0)
    return ini::GetString(nullptr, section, key, fallback, buffer, size, cut);
  FileSource source(profile.fd, profile.size);
  const unsigned n =
      ini::GetString(&source, section, key, fallback, buffer, size, cut);
  ::close(profile.fd);
  return n;
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  const Profile profile = OpenProfile(file);
  if (profile.fd < 0) return fallback;
  FileSource source(profile.fd, profile.size);
  const int value = ini::GetInt(&source, section, key, fallback);
  ::close(profile.fd);
  return value;
}

unsigned GetModuleFileNameA(Instance, char* buffer, unsigned size) {
  // The launcher's own path cannot change while it runs: it is worked out
  // once, into plain storage (nothing to destroy when the process ends).
  static char path[4096];
  static unsigned length = 0;
  static bool known = false;
  if (!known) {
    known = true;
    const std::string windows =
        posix::ToWindowsPath(posix::OwnExecutablePath());
    if (windows.size() > 2 && windows.size() < sizeof path) {
      std::memcpy(path, windows.c_str(), windows.size() + 1);
      length = static_cast<unsigned>(windows.size());
    }
  }
  if (length == 0 || size == 0) return 0;
  if (length >= size) {
    CopyCut(path, buffer, size);
    return size;
  }
  return CopyCut(path, buffer, size);
}

void* FindWindowA(const char* className, const char*) {
  static int marker;
  return posix::WindowOfClassExists(className) ? &marker : nullptr;
}

unsigned GetFileAttributesA(const char* path) {
  return posix::FileAttributes(path);
}

unsigned WinExec(const char* commandLine, unsigned) {
  return posix::StartProgram(commandLine);
}

int MessageBoxA(void*, const char* text, const char* caption, unsigned style) {
  return posix::ShowBox(text, caption, style);
}

}  // namespace platform
