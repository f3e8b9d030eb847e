// Answers profile queries with the real Win32 functions, for the differential
// test of the portable INI reader (run under Wine).
//
//   profile_query.exe QUERIES ANSWERS
//
// QUERIES holds one query per line, fields separated by tabs:
//   s<TAB>native-path<TAB>section<TAB>key      GetPrivateProfileStringA
//   i<TAB>native-path<TAB>section<TAB>key      GetPrivateProfileIntA
// Native paths are absolute Linux paths, reached through drive Z:. ANSWERS
// receives one line per query: "s <count> <value as hex>" or "i <value>".
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  FILE* in = std::fopen(argv[1], "rb");
  FILE* out = std::fopen(argv[2], "wb");
  if (in == nullptr || out == nullptr) return 2;
  char line[4096];
  while (std::fgets(line, sizeof line, in) != nullptr) {
    line[std::strcspn(line, "\r\n")] = '\0';
    char* fields[4] = {line, nullptr, nullptr, nullptr};
    for (int i = 1; i < 4; ++i) {
      fields[i] = std::strchr(fields[i - 1], '\t');
      if (fields[i] == nullptr) return 2;
      *fields[i]++ = '\0';
    }
    std::string path = std::string("Z:") + fields[1];
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    if (fields[0][0] == 'i') {
      std::fprintf(out, "i %d\n",
                   static_cast<int>(GetPrivateProfileIntA(fields[2], fields[3],
                                                          -77, path.c_str())));
    } else {
      char value[256];
      const DWORD n = GetPrivateProfileStringA(fields[2], fields[3], "<def>",
                                               value, 255, path.c_str());
      std::fprintf(out, "s %lu ", static_cast<unsigned long>(n));
      for (DWORD k = 0; k < n; ++k)
        std::fprintf(out, "%02x", static_cast<unsigned char>(value[k]));
      std::fprintf(out, "\n");
    }
  }
  std::fclose(out);
  return 0;
}
