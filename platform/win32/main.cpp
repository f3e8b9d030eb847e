// Start-up of the Windows launcher: a GUI program without a console window.
// The command line is passed on but has no effect.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "launcher/launcher.h"

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
  return LauncherMain(instance, previous, commandLine, show);
}
