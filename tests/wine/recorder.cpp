// Stand-in for a setup program or an installed application: records that it
// was started, with its whole command line, in the file named by the
// environment variable PELLOMAR_START_LOG (outside the launcher's folder),
// and ends at once.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

int main() {
  char log[MAX_PATH];
  if (GetEnvironmentVariableA("PELLOMAR_START_LOG", log, MAX_PATH) == 0)
    return 1;
  FILE* out = std::fopen(log, "a");
  if (out == nullptr) return 1;
  std::fprintf(out, "start %s\n", GetCommandLineA());
  std::fclose(out);
  return 0;
}
