// Stand-in for a setup program or an installed application: records that it
// was started in the file named by the environment variable
// PELLOMAR_START_LOG (outside the launcher's folder), in UTF-8, one line each:
//   start <its whole command line>
//   program <the path of its own file>
//   cwd <its current folder>
// and ends. With PELLOMAR_START_SLEEP set to a number of seconds, it first
// sleeps that long, as a setup does that prepares itself before its first
// window, and then enters its message loop (briefly) after recording.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  char out[4 * MAX_PATH * 4] = "";
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

}  // namespace

int main() {
  wchar_t log[MAX_PATH];
  if (GetEnvironmentVariableW(L"PELLOMAR_START_LOG", log, MAX_PATH) == 0)
    return 1;
  char sleep[16] = "";
  if (GetEnvironmentVariableA("PELLOMAR_START_SLEEP", sleep, sizeof sleep) > 0)
    Sleep(static_cast<DWORD>(std::atoi(sleep)) * 1000);

  wchar_t program[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  wchar_t folder[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, folder);
  FILE* out = _wfopen(log, L"ab");
  if (out == nullptr) return 1;
  std::fprintf(out, "start %s\nprogram %s\ncwd %s\n",
               Utf8(GetCommandLineW()).c_str(), Utf8(program).c_str(),
               Utf8(folder).c_str());
  std::fclose(out);

  if (sleep[0] != '\0') {
    // The message loop that a starter waiting for input idle waits for.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
  return 0;
}
