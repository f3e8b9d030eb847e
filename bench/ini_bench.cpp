// INI lookups through the Linux platform layer (open, fstat, read, close and
// the portable reader), against the floor of reading the same file into a
// fixed buffer with the same system calls.
//
//   ini_bench DIR [benchmark options]   writes its files into DIR, then runs
//   ini_bench --peak-memory DIR         prints the peak resident size after
//                                       lookups in each file, in KiB
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/seam.h"

namespace {

std::string folder;

// A settings file of about `size` bytes: sections of 10 to 50 keys with
// values of 10 to 60 characters, and the wanted section with the wanted key
// at the very end. With `keysPerSection` set, every section has that many
// short keys instead (a header every few lines: the reader's hardest case).
void WriteSettings(const std::string& path, std::size_t size,
                   int keysPerSection = 0) {
  FILE* out = std::fopen(path.c_str(), "wb");
  unsigned random = 12345;
  const auto next = [&random](unsigned range) {
    random = random * 1103515245u + 12345u;
    return (random >> 16) % range;
  };
  std::size_t written = 0;
  for (int section = 0; written + 128 < size; ++section) {
    written +=
        static_cast<std::size_t>(std::fprintf(out, "[Section%d]\r\n", section));
    const int keys =
        keysPerSection > 0 ? keysPerSection : 10 + static_cast<int>(next(41));
    for (int key = 0; key < keys && written + 128 < size; ++key) {
      const int length =
          keysPerSection > 0 ? 10 : 10 + static_cast<int>(next(51));
      written += static_cast<std::size_t>(std::fprintf(
          out, "Key%d=%.*s\r\n", key, length,
          "Some ordinary value of a setting, with words, numbers 0123456789"));
    }
  }
  std::fprintf(out, "[Auto]\r\nAppName=Bench\r\nVersion=3\r\n");
  std::fclose(out);
}

void WriteTypical(const std::string& path) {
  FILE* out = std::fopen(path.c_str(), "wb");
  std::fprintf(out,
               "; Settings of the launcher for Sample App.\r\n"
               "; Every key is described in the README.\r\n[Auto]\r\n"
               "; caption of every box\r\nAppName=Sample App\r\n"
               "; version that the setup program installs\r\nVersion=3\r\n"
               "; the installed application's own INI file\r\n"
               "IniFile=C:\\Program Files\\Sample App\\sampleapp.ini\r\n"
               "; the setup program, beside the launcher\r\n"
               "SetupName=setup.exe\r\n"
               "; window class of the running application\r\n"
               "ClassName=SampleAppMainWindow\r\n"
               "; never offer the installed application\r\nSetupOnly=0\r\n"
               "; diagnostics\r\nVerbose=0\r\n");
  while (std::ftell(out) < 1024) std::fprintf(out, "; padding comment\r\n");
  std::fclose(out);
}

std::string Path(const char* name) { return folder + "/" + name; }

void Lookup(benchmark::State& state, const char* file, const char* key) {
  const std::string path = Path(file);
  char value[256];
  for (auto _ : state) {
    benchmark::DoNotOptimize(platform::GetPrivateProfileStringA(
        "Auto", key, "", value, 255, path.c_str()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::strlen(value) + 1));
}

// The same system calls as the layer: open, fstat, reads into a fixed buffer
// of the reader's size up to the size fstat gave, close.
void Floor(benchmark::State& state, const char* file) {
  const std::string path = Path(file);
  static char buffer[16384];
  for (auto _ : state) {
    const int fd =
        open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat st;
    fstat(fd, &st);
    for (off_t left = st.st_size; left > 0;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      left -= n;
    }
    close(fd);
    benchmark::DoNotOptimize(buffer);
  }
}

long PeakKiB() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

BENCHMARK_CAPTURE(Lookup, typical_1KiB, "typical.ini", "Verbose");
BENCHMARK_CAPTURE(Floor, typical_1KiB, "typical.ini");
BENCHMARK_CAPTURE(Lookup, missing_key_1KiB, "typical.ini", "NoSuchKey");
BENCHMARK_CAPTURE(Floor, missing_key_1KiB, "typical.ini");
BENCHMARK_CAPTURE(Lookup, end_of_1MiB, "large1.ini", "Version");
BENCHMARK_CAPTURE(Floor, end_of_1MiB, "large1.ini");
BENCHMARK_CAPTURE(Lookup, end_of_1MiB_dense, "dense1.ini", "Version");
BENCHMARK_CAPTURE(Floor, end_of_1MiB_dense, "dense1.ini");
BENCHMARK_CAPTURE(Lookup, end_of_64MiB, "large64.ini", "Version")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Floor, end_of_64MiB, "large64.ini")
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  const bool peak = argc >= 3 && std::strcmp(argv[1], "--peak-memory") == 0;
  if (argc < 2) {
    std::fprintf(stderr, "usage: ini_bench [--peak-memory] DIR [options]\n");
    return 2;
  }
  folder = argv[peak ? 2 : 1];
  WriteTypical(Path("typical.ini"));
  WriteSettings(Path("large1.ini"), 1 << 20);
  WriteSettings(Path("large64.ini"), 64u << 20);
  WriteSettings(Path("dense1.ini"), 1 << 20, 8);
  if (peak) {
    char value[256];
    for (const char* file : {"typical.ini", "large1.ini", "large64.ini"}) {
      for (int i = 0; i < 3; ++i)
        platform::GetPrivateProfileStringA("Auto", "Version", "", value, 255,
                                           Path(file).c_str());
      std::printf("%s %ld\n", file, PeakKiB());
    }
    return 0;
  }
  argv[1] = argv[0];
  --argc;
  ++argv;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
