// The seam implemented on the in-memory World of scripted.h. Uses no
// operating-system call at all; profile reads, paths and attributes go
// through the Windows emulation over the World's files.
#include "platform/scripted/scripted.h"

#include <cstdio>

#include "config/keys.h"
#include "platform/seam.h"
#include "portable/ascii.h"
#include "portable/ini/ini_reader.h"

namespace scripted {

namespace {

// The launcher's own files, named as the launcher names them.
const emulation::OwnFiles kOwnFiles = {kSettingsFileName, kMessageFileName,
                                       kLinuxSectionSuffix};

// The World's files as the system below the emulation: Windows paths.
class WorldSystem final : public emulation::System {
 public:
  explicit WorldSystem(const World& world) : world_(world) {}

  bool WindowsPaths() const override { return true; }

  emulation::Entry Inspect(const std::string& native) override {
    emulation::Entry entry;
    if (const World::File* file = world_.FileAt(native)) {
      entry.kind = emulation::Entry::kFile;
      entry.readable = file->readable;
      entry.executable = true;
    } else if (world_.FolderAt(native)) {
      entry.kind = emulation::Entry::kFolder;
      entry.readable = true;
    }
    return entry;
  }

  // Names are found without regard to case already.
  void ForEachName(const std::string&,
                   const std::function<bool(const std::string&)>&) override {}

  bool Read(const std::string& native,
            const std::function<void(ini::Source&)>& use) override {
    const World::File* file = world_.FileAt(native);
    if (file == nullptr || !file->readable) return false;
    ini::MemorySource source(file->content.data(), file->content.size());
    use(source);
    return true;
  }

  std::string Variable(const char* name) override {
    return ascii::SameIgnoringCase(name, "SystemRoot") ? world_.windowsDirectory
                                                       : "";
  }

  std::string CurrentFolder() override { return ""; }

  std::string OwnPath() override {
    const std::string& whole = world_.launcherPath;
    return whole.substr(0, whole.find('\0'));
  }

 private:
  const World& world_;
};

}  // namespace

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(ascii::Upper(c));
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
  const std::string full = WindowsPath(path);
  return FileAt(full) == nullptr && FolderAt(full);
}

std::string World::WindowsPath(const std::string& path) const {
  WorldSystem system(*this);
  return emulation::Windows(system, emulation::Rules::kWindows, kOwnFiles)
      .ProfileFile(path);
}

const World::File* World::Find(const std::string& path) const {
  const File* file = FileAt(WindowsPath(path));
  return file != nullptr && file->readable ? file : nullptr;
}

const World::File* World::FileAt(const std::string& path) const {
  const auto it = files_.find(Upper(path));
  return it == files_.end() ? nullptr : &it->second;
}

bool World::FolderAt(const std::string& path) const {
  std::string folder = Upper(path);
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  if (folder.empty()) return false;
  if (folders_.count(folder) != 0) return true;
  folder += '\\';
  const auto it = files_.lower_bound(folder);
  return it != files_.end() && it->first.compare(0, folder.size(), folder) == 0;
}

World& TheWorld() {
  static World world;
  return world;
}

const emulation::Windows& Emulation() {
  static WorldSystem system(TheWorld());
  static const emulation::Windows windows(system, emulation::Rules::kWindows,
                                          kOwnFiles);
  return windows;
}

}  // namespace scripted

namespace {

using scripted::TheWorld;

// Records a profile read; false when it is the read that is to fail.
bool RecordRead(const char* file, const char* section, const char* key) {
  scripted::World& world = TheWorld();
  world.reads.push_back(std::string(file) + "|" + section + "|" + key);
  return ++world.readCount != world.failReadAt;
}

}  // namespace

namespace platform {

unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size) {
  if (!RecordRead("WIN.INI", section, key))
    return ini::GetString(nullptr, section, key, fallback, buffer, size);
  return scripted::Emulation().GetProfileString(section, key, fallback, buffer,
                                                size);
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file, bool* cut) {
  if (!RecordRead(file, section, key))
    return ini::GetString(nullptr, section, key, fallback, buffer, size, cut);
  return scripted::Emulation().GetPrivateProfileString(section, key, fallback,
                                                       buffer, size, file, cut);
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  if (!RecordRead(file, section, key)) return fallback;
  return scripted::Emulation().GetPrivateProfileInt(section, key, fallback,
                                                    file);
}

unsigned GetModuleFileNameA(Instance, char* buffer, unsigned size) {
  return scripted::Emulation().GetModuleFileName(buffer, size);
}

bool PathFits(const char* path) { return scripted::Emulation().PathFits(path); }

void* FindWindowA(const char* className, const char*) {
  scripted::World& world = TheWorld();
  world.transcript.push_back(std::string("find ") + className);
  for (const std::string& c : world.windowClasses) {
    if (ascii::SameIgnoringCase(c.c_str(), className)) return &world;
  }
  return nullptr;
}

unsigned GetFileAttributesA(const char* path) {
  return scripted::Emulation().GetFileAttributes(path);
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
  if (style != kStyleQuestion) return kAnswerOk;
  if (world.answers.empty()) return world.defaultAnswer;
  const int answer = world.answers.front();
  world.answers.pop_front();
  return answer;
}

}  // namespace platform
