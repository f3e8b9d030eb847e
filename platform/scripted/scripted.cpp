// The seam implemented on the in-memory World of scripted.h. Uses no
// operating-system call at all; INI text goes through the portable reader.
#include "platform/scripted/scripted.h"

#include <cstdio>
#include <cstring>

#include "platform/ini/ini_reader.h"
#include "platform/seam.h"

namespace scripted {

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

void World::Reset() { *this = World(); }

void World::SetFile(const std::string& path, const std::string& content) {
  files_[Upper(WindowsPath(path))] = File{content, true};
}

void World::SetUnreadable(const std::string& path) {
  files_[Upper(WindowsPath(path))] = File{"", false};
}

void World::RemoveFile(const std::string& path) {
  files_.erase(Upper(WindowsPath(path)));
}

void World::SetFolder(const std::string& path) {
  folders_.insert(Upper(WindowsPath(path)));
}

bool World::IsFolder(const std::string& path) const {
  return folders_.count(Upper(WindowsPath(path))) != 0;
}

std::string World::WindowsPath(const std::string& path) const {
  if (path.find_first_of("\\:") != std::string::npos) return path;
  return windowsDirectory + "\\" + path;
}

const World::File* World::Find(const std::string& path) const {
  const auto it = files_.find(Upper(WindowsPath(path)));
  if (it == files_.end() || !it->second.readable) return nullptr;
  return &it->second;
}

World& TheWorld() {
  static World world;
  return world;
}

}  // namespace scripted

namespace {

using scripted::TheWorld;

const scripted::World::File* OpenForRead(const char* file, const char* section,
                                         const char* key) {
  scripted::World& world = TheWorld();
  world.reads.push_back(std::string(file) + "|" + section + "|" + key);
  if (++world.readCount == world.failReadAt) return nullptr;
  return world.Find(file);
}

}  // namespace

namespace platform {

unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size) {
  return GetPrivateProfileStringA(section, key, fallback, buffer, size,
                                  "WIN.INI");
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file, bool* cut) {
  const scripted::World::File* found = OpenForRead(file, section, key);
  if (found == nullptr)
    return ini::GetString(nullptr, section, key, fallback, buffer, size, cut);
  ini::MemorySource source(found->content.data(), found->content.size());
  return ini::GetString(&source, section, key, fallback, buffer, size, cut);
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  const scripted::World::File* found = OpenForRead(file, section, key);
  if (found == nullptr) return fallback;
  ini::MemorySource source(found->content.data(), found->content.size());
  return ini::GetInt(&source, section, key, fallback);
}

unsigned GetModuleFileNameA(Instance, char* buffer, unsigned size) {
  const std::string& whole = TheWorld().launcherPath;
  const std::string path = whole.substr(0, whole.find('\0'));
  if (path.empty() || size == 0) return 0;
  if (path.size() >= size) {
    // As older Windows does: cut, unterminated, and the result is the size.
    std::memcpy(buffer, path.data(), size);
    return size;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<unsigned>(path.size());
}

void* FindWindowA(const char* className, const char*) {
  scripted::World& world = TheWorld();
  world.transcript.push_back(std::string("find ") + className);
  for (const std::string& c : world.windowClasses) {
    if (scripted::Upper(c) == scripted::Upper(className)) return &world;
  }
  return nullptr;
}

unsigned GetFileAttributesA(const char* path) {
  const scripted::World& world = TheWorld();
  if (world.IsFolder(path)) return kAttributeDirectory;
  return world.Find(path) != nullptr ? kAttributeNormal
                                     : kInvalidFileAttributes;
}

unsigned WinExec(const char* commandLine, unsigned) {
  scripted::World& world = TheWorld();
  world.transcript.push_back(std::string("start ") + commandLine);
  world.starts.push_back(commandLine);
  if (commandLine[0] == '\0') return kFileNotFound;
  if (world.startResults.empty()) return world.defaultStartResult;
  const unsigned result = world.startResults.front();
  world.startResults.pop_front();
  return result;
}

int MessageBoxA(void*, const char* text, const char* caption, unsigned style) {
  scripted::World& world = TheWorld();
  if (world.beforeBox) world.beforeBox(world.boxCount);
  char styleText[16];
  std::snprintf(styleText, sizeof styleText, "0x%02x", style);
  world.transcript.push_back(std::string("box ") + styleText + " [" + caption +
                             "] " + text);
  world.boxes.push_back(scripted::Box{caption, text, style});
  if (++world.boxCount == world.failBoxAt) return 0;
  if (style != kStyleQuestion) return 1;  // OK
  if (world.answers.empty()) return world.defaultAnswer;
  const int answer = world.answers.front();
  world.answers.pop_front();
  return answer;
}

}  // namespace platform
