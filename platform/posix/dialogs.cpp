// Message boxes for the POSIX layer: a modal dialog through the desktop's
// dialog program (zenity, else kdialog; found on PATH, started with
// posix_spawn, awaited with waitpid, its error output read through a pipe) when
// DISPLAY or WAYLAND_DISPLAY is set, and a console fallback on standard input
// and output otherwise. Left out: any dialog of our own, and any toolkit linked
// into the launcher.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/posix_support.h"
#include "platform/seam.h"

extern char** environ;

namespace posix {

namespace {

constexpr int kAnswerOk = 1;
constexpr int kAnswerNo = 7;

bool IsQuestion(unsigned style) { return (style & 0x0F) == 0x04; }

std::string FindInPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    std::string candidate = dirs.substr(start, end - start);
    candidate = (candidate.empty() ? "." : candidate) + "/" + program;
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return "";
}

// Dialog programs want UTF-8. Text that is not (an 8-bit message file) is
// taken as Latin-1, so that it shows rather than vanishes.
std::string AsUtf8(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  bool valid = true;
  for (std::size_t i = 0; p[i] != 0 && valid;) {
    std::size_t extra = p[i] < 0x80             ? 0
                        : (p[i] & 0xE0) == 0xC0 ? 1
                        : (p[i] & 0xF0) == 0xE0 ? 2
                        : (p[i] & 0xF8) == 0xF0 ? 3
                                                : 4;
    if (extra == 4) valid = false;
    for (std::size_t k = 1; valid && k <= extra; ++k)
      valid = (p[i + k] & 0xC0) == 0x80;
    i += extra + 1;
  }
  if (valid) return text;
  std::string out;
  for (std::size_t i = 0; p[i] != 0; ++i) {
    if (p[i] < 0x80) {
      out += static_cast<char>(p[i]);
    } else {
      out += static_cast<char>(0xC0 | (p[i] >> 6));
      out += static_cast<char>(0x80 | (p[i] & 0x3F));
    }
  }
  return out;
}

// Runs a dialog program and waits for it; its exit status, or -1 when it
// could not be run or could not reach the display. The program's error
// output is read here: zenity and kdialog exit with 1, as for No, when they
// cannot open the display, and only their message tells the two apart.
int RunDialog(const std::string& program, std::vector<std::string> args) {
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  int errors[2];
  if (pipe2(errors, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
  pid_t pid;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr,
                                  argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(errors[1]);
  if (spawned != 0) {
    close(errors[0]);
    return -1;
  }
  std::string message;
  char chunk[512];
  for (;;) {
    const ssize_t n = read(errors[0], chunk, sizeof chunk);
    if (n > 0) {
      if (message.size() < 4096)
        message.append(chunk, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  close(errors[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (!WIFEXITED(status)) return -1;
  const int code = WEXITSTATUS(status);
  if (code != 0 && message.find("display") != std::string::npos) return -1;
  return code;
}

// Shows the box with zenity or kdialog; -1 when neither could show it.
int DesktopBox(const char* text, const char* caption, unsigned style) {
  const std::string body = AsUtf8(text);
  const std::string title = AsUtf8(caption);
  const bool question = IsQuestion(style);
  int status = -1;
  const std::string zenity = FindInPath("zenity");
  if (!zenity.empty()) {
    status = RunDialog(zenity,
                       {question ? "--question" : "--info", "--title=" + title,
                        "--text=" + body, "--no-markup"});
  } else {
    const std::string kdialog = FindInPath("kdialog");
    if (kdialog.empty()) return -1;
    status = RunDialog(
        kdialog, {"--title", title, question ? "--yesno" : "--msgbox", body});
  }
  // 0 is Yes or OK, 1 is No or a closed window; anything else failed.
  if (status == 0) return question ? platform::kAnswerYes : kAnswerOk;
  if (status == 1) return question ? kAnswerNo : kAnswerOk;
  return -1;
}

bool HasDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x != nullptr && x[0] != '\0') ||
         (wayland != nullptr && wayland[0] != '\0');
}

bool MeansYes(const char* line) {
  while (*line == ' ' || *line == '\t') ++line;
  std::size_t n = std::strcspn(line, " \t\r\n");
  if (n != 1 && n != 3) return false;
  const char* yes = "yes";
  for (std::size_t i = 0; i < n; ++i) {
    const char c = line[i] >= 'A' && line[i] <= 'Z'
                       ? static_cast<char>(line[i] - 'A' + 'a')
                       : line[i];
    if (c != yes[i]) return false;
  }
  const char* rest = line + n;
  return rest[std::strspn(rest, " \t\r\n")] == '\0';
}

}  // namespace

int ConsoleBox(std::FILE* in, std::FILE* out, bool echoNewline,
               const char* text, const char* caption, unsigned style) {
  const bool question = IsQuestion(style);
  if (std::fprintf(out, "[%s] %s%s", caption, text,
                   question ? " [y/N] " : "\n") < 0 ||
      std::fflush(out) != 0)
    return 0;
  if (!question) return kAnswerOk;

  char line[256];
  bool yes = false;
  if (std::fgets(line, sizeof line, in) != nullptr) {
    yes = MeansYes(line);
    // Drop the rest of an overlong line, so it is not the next answer.
    bool complete = std::strchr(line, '\n') != nullptr;
    while (!complete && std::fgets(line, sizeof line, in) != nullptr) {
      yes = false;
      complete = std::strchr(line, '\n') != nullptr;
    }
  } else {
    echoNewline = true;
  }
  if (echoNewline) {
    std::fputc('\n', out);
    std::fflush(out);
  }
  return yes ? platform::kAnswerYes : kAnswerNo;
}

int ShowBox(const char* text, const char* caption, unsigned style) {
  if (HasDisplay()) {
    const int answer = DesktopBox(text, caption, style);
    if (answer >= 0) return answer;
  }
  return ConsoleBox(stdin, stdout, isatty(STDIN_FILENO) == 0, text, caption,
                    style);
}

}  // namespace posix
