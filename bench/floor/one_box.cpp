// The floor of the Windows launcher's size and time to first box: a program
// that only shows one message box, built with the launcher's own flags and
// start-up (no C runtime).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#ifdef __MINGW32__
extern "C" void WINAPI PellomarStartup() {
  ::ExitProcess(static_cast<UINT>(
      ::MessageBoxA(nullptr, "Floor", "Floor", MB_OK | MB_ICONINFORMATION)));
}
#else
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return ::MessageBoxA(nullptr, "Floor", "Floor", MB_OK | MB_ICONINFORMATION);
}
#endif
