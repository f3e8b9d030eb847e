// Counts the heap allocations of whole launcher runs. The platform here is a
// stand-in that itself never allocates (its files are constant texts read by
// the portable reader, its boxes answer Yes), so every malloc, calloc,
// realloc or operator new counted while LauncherMain runs is the core's.
// Prints the count; the budget is 0.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "launcher/launcher.h"
#include "platform/seam.h"
#include "portable/ini/ini_reader.h"

extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);

namespace {

bool counting = false;
unsigned long allocations = 0;

const char* settings = "";
const char kMessages[] =
    "[ENU]\nAskRunSetup=Install %s?\nAskRunExe=Start %s?\n"
    "ExeErr=%s failed. Install?\nSetupErr=No setup.\n";
const char kInstalled[] = "[Auto]\nVersion=2\nCommand=C:\\PROG\\APP.EXE /x\n";

const char* FileText(const char* path) {
  const char* name = std::strrchr(path, '\\');
  name = name != nullptr ? name + 1 : path;
  if (std::strcmp(name, "pellomar.ini") == 0) return settings;
  if (std::strcmp(name, "pellomar.dat") == 0) return kMessages;
  if (std::strcmp(name, "APP.INI") == 0) return kInstalled;
  return nullptr;
}

}  // namespace

extern "C" void* malloc(std::size_t n) {
  if (counting) ++allocations;
  return __libc_malloc(n);
}
extern "C" void* calloc(std::size_t n, std::size_t size) {
  if (counting) ++allocations;
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, std::size_t n) {
  if (counting) ++allocations;
  return __libc_realloc(p, n);
}

namespace platform {

unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size) {
  return ini::GetString(nullptr, section, key, fallback, buffer, size);
}

unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file, bool* cut) {
  const char* text = FileText(file);
  if (text == nullptr)
    return ini::GetString(nullptr, section, key, fallback, buffer, size, cut);
  ini::MemorySource source(text, std::strlen(text));
  return ini::GetString(&source, section, key, fallback, buffer, size, cut);
}

int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file) {
  const char* text = FileText(file);
  if (text == nullptr) return fallback;
  ini::MemorySource source(text, std::strlen(text));
  return ini::GetInt(&source, section, key, fallback);
}

unsigned GetModuleFileNameA(Instance, char* buffer, unsigned size) {
  const char path[] = "C:\\APP\\DISK1\\LAUNCH.EXE";
  if (size <= sizeof path - 1) return size;
  std::memcpy(buffer, path, sizeof path);
  return sizeof path - 1;
}

void* FindWindowA(const char*, const char*) { return nullptr; }
unsigned GetFileAttributesA(const char*) { return kInvalidFileAttributes; }
bool PathFits(const char*) { return true; }
unsigned WinExec(const char*, unsigned) { return kFileNotFound; }  // all fail
int MessageBoxA(void*, const char*, const char*, unsigned) { return 6; }

}  // namespace platform

int main() {
  // Every branch that shows, formats, resolves and starts: the options dump,
  // setup offered and failing, the installed application failing and setup
  // offered after it.
  const char* const runs[] = {
      "[Auto]\nAppName=Bench\nVersion=3\nIniFile=C:\\PROG\\APP.INI\n"
      "SetupName=..\\setup.exe\nClassName=BenchWindow\nVerbose=1\n",
      "[Auto]\nAppName=Bench\nVersion=2\nIniFile=C:\\PROG\\APP.INI\n"
      "SetupName=setup.exe\nClassName=BenchWindow\nSetupOnly=0\nVerbose=1\n",
  };
  for (const char* run : runs) {
    settings = run;
    counting = true;
    LauncherMain(nullptr, nullptr, "", 1);
    counting = false;
  }
  std::printf("%lu\n", allocations);
  return allocations == 0 ? 0 : 1;
}
