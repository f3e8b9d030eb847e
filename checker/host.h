// The system the checker runs on, and the folder it checks as a launcher in
// it would see it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "portable/emulation/system.h"

namespace check {

// The real system below the checker (host_posix.cpp or host_windows.cpp).
emulation::System& HostSystem();

// `path` as an absolute native path; empty when it cannot be resolved.
std::string FullPath(const std::string& path);

// The program's arguments in UTF-8, as the host hands them over (Windows as
// UTF-16, whatever the code page; POSIX as they are).
std::vector<std::string> Arguments(int argc, char** argv);

// Writes UTF-8 text to `stream` (stdout or stderr) so that the host shows it:
// a Windows console gets it as UTF-16, anything else the bytes.
void Write(std::FILE* stream, const std::string& utf8);

// printf to Write(stdout), and to Write(stderr).
void Print(const char* format, ...);
void PrintError(const char* format, ...);

// The host's system as a launcher named `launcher` in `folder` sees it,
// started from its own folder (as a desktop or autorun starts it).
class FolderSystem final : public emulation::System {
 public:
  FolderSystem(emulation::System& host, const std::string& folder,
               const std::string& launcher)
      : host_(host), folder_(folder), launcher_(launcher) {}

  // Shows every file of the folder without execute permission, as a file
  // system without execute bits (FAT, Joliet) would.
  void ClearExecuteBits() { withoutExecuteBits_ = true; }

  bool WindowsPaths() const override { return host_.WindowsPaths(); }
  emulation::Entry Inspect(const std::string& native) override {
    emulation::Entry entry = host_.Inspect(native);
    if (withoutExecuteBits_ && native.compare(0, folder_.size(), folder_) == 0)
      entry.executable = false;
    return entry;
  }
  void ForEachName(
      const std::string& folder,
      const std::function<bool(const std::string&)>& visit) override {
    host_.ForEachName(folder, visit);
  }
  bool Read(const std::string& native,
            const std::function<void(ini::Source&)>& use) override {
    return host_.Read(native, use);
  }
  std::string Variable(const char* name) override {
    return host_.Variable(name);
  }
  std::string PasswordHome() override { return host_.PasswordHome(); }
  std::string CurrentFolder() override { return folder_; }
  std::string OwnPath() override { return launcher_; }
  std::string UserLanguage() override { return host_.UserLanguage(); }

 private:
  emulation::System& host_;
  std::string folder_;
  std::string launcher_;
  bool withoutExecuteBits_ = false;
};

}  // namespace check
