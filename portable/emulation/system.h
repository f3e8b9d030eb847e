// What the Windows emulation asks of the system below it: plain facts about
// native paths and the process, with no Windows rule in them. The Linux
// layer answers from the real file system, the scripted platform from its
// in-memory files, and the checker from a folder on either system.
#pragma once

#include <functional>
#include <string>

#include "portable/ini/ini_reader.h"

namespace emulation {

// What is at a native path.
struct Entry {
  enum Kind { kNone, kFile, kFolder, kOther } kind = kNone;
  bool readable = false;
  bool executable = false;  // this user may execute it
};

class System {
 public:
  // Native paths are Windows paths themselves (a Windows host, or an
  // in-memory Windows) rather than POSIX paths under one root seen on Z:.
  virtual bool WindowsPaths() const = 0;

  // The entry at `native`, exactly as named (links followed).
  virtual Entry Inspect(const std::string& native) = 0;
  // Hands the names in `folder` to `visit` until it returns true.
  virtual void ForEachName(
      const std::string& folder,
      const std::function<bool(const std::string&)>& visit) = 0;
  // Hands the bytes of the regular file at `native` to `use`; false, without
  // calling it, when there is no readable regular file. Opening never blocks.
  virtual bool Read(const std::string& native,
                    const std::function<void(ini::Source&)>& use) = 0;

  // An environment variable; empty when unset.
  virtual std::string Variable(const char* name) = 0;
  // The home folder of the user's password entry; empty when unknown.
  virtual std::string PasswordHome() { return ""; }
  // The current folder (native, absolute); empty when unknown.
  virtual std::string CurrentFolder() = 0;
  // The running launcher's executable (native, absolute); empty when unknown.
  virtual std::string OwnPath() = 0;
  // The user's language as a Windows code, for a WIN.INI that names none;
  // empty when the system has no such notion.
  virtual std::string UserLanguage() { return ""; }

 protected:
  ~System() = default;
};

}  // namespace emulation
