// The floor of a whole native run: a minimal C++ program that reads one file
// and prints one line.
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  FILE* in = std::fopen(argv[1], "rb");
  if (in == nullptr) return 1;
  char line[256];
  if (std::fgets(line, sizeof line, in) == nullptr) line[0] = '\0';
  std::fclose(in);
  std::printf("[floor] %s\n", line);
  return 0;
}
