// Answers profile queries with the portable INI reader, in the format of
// tests/wine/profile_query.cpp, for the differential test against Win32.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "portable/ini/ini_reader.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  FILE* out = std::fopen(argv[2], "wb");
  if (!in || out == nullptr) return 2;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string fields[4];
    std::istringstream split(line);
    for (std::string& f : fields) std::getline(split, f, '\t');
    std::ifstream file(fields[1], std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)),
                     std::istreambuf_iterator<char>());
    ini::MemorySource source(text.data(), text.size());
    ini::Source* from = file ? &source : nullptr;
    if (fields[0] == "i") {
      std::fprintf(
          out, "i %d\n",
          ini::GetInt(from, fields[2].c_str(), fields[3].c_str(), -77));
    } else {
      char value[256];
      const unsigned n = ini::GetString(from, fields[2].c_str(),
                                        fields[3].c_str(), "<def>", value, 255);
      std::fprintf(out, "s %u ", n);
      for (unsigned k = 0; k < n; ++k)
        std::fprintf(out, "%02x", static_cast<unsigned char>(value[k]));
      std::fprintf(out, "\n");
    }
  }
  std::fclose(out);
  return 0;
}
