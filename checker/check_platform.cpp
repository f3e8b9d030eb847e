// The seam for the checker (see check_platform.h). Files are read with the C
// library (fopen, fread) and looked up by the portable INI reader, so the
// same code serves the Linux and the Windows console build. Boxes and starts
// are recorded; FindWindowA answers from the situation.
#include "checker/check_platform.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ini/ini_reader.h"
#include "platform/seam.h"

namespace check {

namespace {

Situation situation;
std::vector<Event> record;
std::size_t questionsAsked = 0;

bool OnWindows() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

std::string WindowsDirectory() {
  if (OnWindows()) {
    const char* root = std::getenv("SystemRoot");
    return root != nullptr ? root : "C:\\Windows";
  }
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  return home != nullptr ? std::string(home) + "/.config" : "";
}

bool IsFile(const std::string& native) {
  struct stat st;
  return !native.empty() && stat(native.c_str(), &st) == 0 &&
         (st.st_mode & S_IFMT) == S_IFREG;
}

class FileSource final : public ini::Source {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    return std::fread(buffer, 1, capacity, file_);
  }

 private:
  std::FILE* file_;
};

// Opens a profile file for reading; null when it is not a readable file.
std::FILE* OpenProfile(const char* file) {
  const std::string native = ProfileNativePath(file);
  if (!IsFile(native)) return nullptr;
  return std::fopen(native.c_str(), "rb");
}

std::string FirstWord(const std::string& line) {
  std::size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos) return "";
  if (line[i] == '"') {
    const std::size_t end = line.find('"', i + 1);
    return line.substr(
        i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
  }
  return line.substr(i, line.find_first_of(" \t", i) - i);
}

}  // namespace

void Prepare(const Situation& s) {
  situation = s;
  record.clear();
  questionsAsked = 0;
}

const std::vector<Event>& Recorded() { return record; }

std::string FolderAsLauncherSees() {
  if (OnWindows()) return situation.folder;
  std::string out = "Z:";
  for (char c : situation.folder) out += c == '/' ? '\\' : c;
  while (out.size() > 3 && out.back() == '\\') out.pop_back();
  return out;
}

std::string NativePath(const std::string& path) {
  if (OnWindows()) return path;
  if (!path.empty() && path[0] == '/') return path;
  std::string rest = path;
  if (rest.size() >= 2 && rest[1] == ':') {
    if (rest[0] != 'Z' && rest[0] != 'z') return "";
    rest = rest.substr(2);
  } else if (rest.size() >= 2 && rest[0] == '\\' && rest[1] == '\\') {
    return "";
  }
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  return rest;
}

std::string ProfileNativePath(const std::string& path) {
  if (path.find_first_of("\\/:") != std::string::npos) return NativePath(path);
  return WindowsDirectory() + (OnWindows() ? "\\" : "/") + path;
}

bool ReadWhole(const std::string& path, std::string* content) {
  std::FILE* file = OpenProfile(path.c_str());
  if (file == nullptr) return false;
  content->clear();
  char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    content->append(chunk, n);
  std::fclose(file);
  return true;
}

}  // namespace check

namespace platform {

using check::situation;

unsigned GetProfileStringA(const char*, const char*, const char*, char* buffer,
                           unsigned size) {
  return ini::GetString(nullptr, "", "", situation.language.c_str(), buffer,
                        size);
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file, bool* cut) {
  std::FILE* f = check::OpenProfile(file);
  if (f == nullptr)
    return ini::GetString(nullptr, section, key, fallback, buffer, size, cut);
  check::FileSource source(f);
  const unsigned n =
      ini::GetString(&source, section, key, fallback, buffer, size, cut);
  std::fclose(f);
  return n;
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  const std::string settings = check::FolderAsLauncherSees() + "\\pellomar.ini";
  if (situation.overrideInstalled && settings != file &&
      std::strcmp(key, "Version") == 0)
    return situation.installedVersion;
  std::FILE* f = check::OpenProfile(file);
  if (f == nullptr) return fallback;
  check::FileSource source(f);
  const int value = ini::GetInt(&source, section, key, fallback);
  std::fclose(f);
  return value;
}

unsigned GetModuleFileNameA(Instance, char* buffer, unsigned size) {
  const std::string path = check::FolderAsLauncherSees() + "\\pellomar.exe";
  if (size == 0) return 0;
  const std::size_t n = path.size() < size ? path.size() : size - 1;
  std::memcpy(buffer, path.data(), n);
  buffer[n] = '\0';
  return path.size() < size ? static_cast<unsigned>(n) : size;
}

void* FindWindowA(const char*, const char*) {
  static int window;
  return situation.running ? &window : nullptr;
}

unsigned GetFileAttributesA(const char* path) {
  return check::IsFile(check::NativePath(path)) ? kAttributeNormal
                                                : kInvalidFileAttributes;
}

unsigned WinExec(const char* commandLine, unsigned) {
  check::Event start;
  start.kind = check::Event::kStart;
  start.text = commandLine;
  start.native = check::NativePath(check::FirstWord(commandLine));
  start.exists = check::IsFile(start.native);
  check::record.push_back(start);
  return start.exists ? kStarted : kFileNotFound;
}

int MessageBoxA(void*, const char* text, const char* caption, unsigned style) {
  check::Event box;
  box.kind = check::Event::kBox;
  box.caption = caption;
  box.text = text;
  box.style = style;
  check::record.push_back(box);
  if (style != kStyleQuestion) return 1;
  const std::size_t n = check::questionsAsked++;
  const bool yes = n < situation.answers.size() ? situation.answers[n]
                                                : situation.answerAfterwards;
  return yes ? kAnswerYes : 7;
}

}  // namespace platform
