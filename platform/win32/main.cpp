// Start-up of the Windows launcher: a GUI program without a console window.
// The command line is passed on but has no effect.
//
// MinGW builds use PellomarStartup below as the entry point instead of the C
// runtime's: the launcher needs nothing of that runtime (no constructors, no
// heap, no stdio), and leaving it out keeps the executable small and its
// imports down to KERNEL32 and USER32. Other compilers keep their own
// start-up, which calls WinMain.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "launcher/launcher.h"
#include "platform/win32/calls.h"

namespace {

// From here on, DLLs that the system loads on the launcher's behalf (message
// boxes pull in a few) come only from the system folder, never from the
// launcher's own folder, where a medium or a downloads folder may hold a
// planted one. Looked up at run time: older Windows lacks the call.
void LoadDllsFromSystemFolderOnly() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return;
  const FARPROC found = ::GetProcAddress(kernel, "SetDefaultDllDirectories");
  if (found == nullptr) return;
  const auto setDirectories =
      reinterpret_cast<SetDirectories>(reinterpret_cast<void (*)()>(found));
  setDirectories(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                   int show) {
  LoadDllsFromSystemFolderOnly();
  win32::ChooseCalls();
  return LauncherMain(instance, previous, commandLine, show);
}

#ifdef __MINGW32__
// What the C runtime would hand to WinMain: the command line after the
// program name, and the show command the starter asked for.
extern "C" void WINAPI PellomarStartup() {
  char* tail = ::GetCommandLineA();
  if (*tail == '"') {
    ++tail;
    while (*tail != '\0' && *tail != '"') ++tail;
    if (*tail == '"') ++tail;
  } else {
    while (*tail > ' ') ++tail;
  }
  while (*tail == ' ' || *tail == '\t') ++tail;
  STARTUPINFOA startup;
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0
                       ? startup.wShowWindow
                       : SW_SHOWDEFAULT;
  ::ExitProcess(static_cast<UINT>(
      WinMain(::GetModuleHandleA(nullptr), nullptr, tail, show)));
}
#endif
