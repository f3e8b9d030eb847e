// The seam on Linux and other POSIX systems. Profile reads open the file
// (open, fstat, read, close: nothing stays open past the call) and hand it to
// the portable INI reader; everything else is in posix_support.h. Nothing is
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
  explicit FileSource(int fd) : fd_(fd) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, capacity);
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) return 0;
    }
  }

 private:
  int fd_;
};

// Opens a regular file for reading; -1 for anything else. O_NONBLOCK keeps
// a fifo from blocking the open.
int OpenProfile(const char* file) {
  const std::string path = posix::ProfilePath(file);
  if (path.empty()) return -1;
  const int fd =
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
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
  const int fd = OpenProfile("win.ini");
  long found = -1;
  if (fd >= 0) {
    FileSource source(fd);
    found = ini::FindString(&source, section, key, buffer, size);
    ::close(fd);
  }
  if (found >= 0) return static_cast<unsigned>(found);
  // Without a win.ini that says otherwise, the language is the user's locale.
  if (SameIgnoringCase(section, "intl") && SameIgnoringCase(key, "sLanguage"))
    return CopyCut(posix::LanguageFromLocale(), buffer, size);
  return CopyCut(fallback, buffer, size);
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file) {
  const int fd = OpenProfile(file);
  if (fd < 0)
    return ini::GetString(nullptr, section, key, fallback, buffer, size);
  FileSource source(fd);
  const unsigned n =
      ini::GetString(&source, section, key, fallback, buffer, size);
  ::close(fd);
  return n;
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  const int fd = OpenProfile(file);
  if (fd < 0) return fallback;
  FileSource source(fd);
  const int value = ini::GetInt(&source, section, key, fallback);
  ::close(fd);
  return value;
}

unsigned GetModuleFileNameA(Instance, char* buffer, unsigned size) {
  const std::string native = posix::OwnExecutablePath();
  if (native.empty() || size == 0) return 0;
  const std::string path = posix::ToWindowsPath(native);
  if (path.size() >= size) {
    CopyCut(path, buffer, size);
    return size;
  }
  return CopyCut(path, buffer, size);
}

void* FindWindowA(const char* className, const char*) {
  static int marker;
  return posix::WindowOfClassExists(className) ? &marker : nullptr;
}

unsigned WinExec(const char* commandLine, unsigned) {
  return posix::StartProgram(commandLine);
}

int MessageBoxA(void*, const char* text, const char* caption, unsigned style) {
  return posix::ShowBox(text, caption, style);
}

}  // namespace platform
