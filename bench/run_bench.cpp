// A whole run of the Linux launcher in console mode on a typical folder,
// answering No, from process start to exit, against the floor program
// (floor/read_one.cpp) started the same way.
//
//   run_bench LAUNCHER FLOOR FOLDER [benchmark options]
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

extern char** environ;

namespace {

std::string launcher, floorProgram, folder;

// Starts `program` with "n" on standard input and output thrown away, and
// waits for it.
void RunOnce(const std::string& program, const std::string& argument) {
  int input[2];
  if (pipe(input) != 0) return;
  (void)!write(input[1], "n\n", 2);
  close(input[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null",
                                   O_WRONLY, 0);
  std::string first = program, second = argument;
  char* argv[] = {&first[0], argument.empty() ? nullptr : &second[0], nullptr};
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) ==
      0) {
    int status;
    waitpid(pid, &status, 0);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(input[0]);
}

void Launcher(benchmark::State& state) {
  for (auto _ : state) RunOnce(launcher, "");
}

void Floor(benchmark::State& state) {
  const std::string settings = folder + "/pellomar.ini";
  for (auto _ : state) RunOnce(floorProgram, settings);
}

}  // namespace

BENCHMARK(Launcher)->Unit(benchmark::kMicrosecond);
BENCHMARK(Floor)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: run_bench LAUNCHER FLOOR FOLDER [options]\n");
    return 2;
  }
  launcher = argv[1];
  floorProgram = argv[2];
  folder = argv[3];
  argv[3] = argv[0];
  argc -= 3;
  argv += 3;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
