// Owns a hidden top-level window of the class named on its command line, so
// that the launcher sees its application as running. Runs until it is ended,
// or for a minute at the most; `window CLASS 0` runs until it is ended, which
// keeps Wine's desktop process up between the tests' runs
// (scripts/lib/desktop.sh).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
  WNDCLASSA cls = {};
  cls.lpfnWndProc = DefWindowProcA;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = argv[1];
  if (RegisterClassA(&cls) == 0) return 1;
  if (CreateWindowA(argv[1], "running", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                    nullptr, nullptr, cls.hInstance, nullptr) == nullptr)
    return 1;
  if (seconds > 0)
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    DispatchMessageA(&msg);
  }
  return 0;
}
