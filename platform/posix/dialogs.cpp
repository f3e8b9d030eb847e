// Message boxes for the POSIX layer. On a display that answers (display.cpp)
// the first that works of: zenity, kdialog (found on PATH, started with
// posix_spawn under a UTF-8 locale, awaited with waitpid, their error output
// read through a pipe) and the built-in X11 box (x11_box.cpp); otherwise,
// and when none of them can show the box, the console (console.cpp). Left
// out: any toolkit linked into the launcher.
#include "platform/posix/dialogs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/box_style.h"
#include "platform/posix/console.h"
#include "platform/posix/dialog_locale.h"
#include "platform/posix/display.h"
#include "platform/posix/x11_box.h"
#include "platform/seam.h"
#include "portable/emulation/utf8.h"

extern char** environ;

namespace posix {

namespace {

constexpr std::size_t kMessageLimit = 4096;

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

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(&s[0]);
  pointers.push_back(nullptr);
  return pointers;
}

// Runs a dialog program and waits for it; its exit status, or -1 when it
// could not be run or could not reach the display. The program's error
// output is read here: zenity and kdialog exit with 1, as for No, when they
// cannot open the display, and only their message tells the two apart.
int RunDialog(const std::string& program, std::vector<std::string> args,
              std::vector<std::string> environment) {
  args.insert(args.begin(), program);
  const std::vector<char*> argv = Pointers(args);
  const std::vector<char*> envp = Pointers(environment);
  int errors[2];
  if (pipe2(errors, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
  pid_t pid;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr,
                                  argv.data(), envp.data());
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
      if (message.size() < kMessageLimit)
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

// The environment of a dialog program: a UTF-8 locale, and no DISPLAY when
// only a Wayland display answers (the program would wait on the silent X
// server).
std::vector<std::string> DialogProgramEnvironment() {
  std::vector<std::string> environment;
  const bool x11 = X11DisplayAnswers();
  for (char** e = environ; *e != nullptr; ++e) {
    if (x11 || std::strncmp(*e, "DISPLAY=", 8) != 0)
      environment.emplace_back(*e);
  }
  return DialogEnvironment(environment, InstalledLocale);
}

// The answer from a dialog program's exit status: 0 is Yes or OK, 1 is No or
// a closed window; anything else (zenity's 255 for text it refuses) failed.
int AnswerFromStatus(int status, bool question) {
  if (status == 0) return question ? platform::kAnswerYes : platform::kAnswerOk;
  if (status == 1) return question ? platform::kAnswerNo : platform::kAnswerOk;
  return -1;
}

// Shows the box with zenity, else kdialog; -1 when neither could show it.
int DialogProgramBox(const char* text, const char* caption, unsigned style) {
  const std::string body = emulation::AsUtf8(text);
  const std::string title = emulation::AsUtf8(caption);
  const bool question = IsQuestion(style);
  int answer = -1;
  const std::string zenity = FindInPath("zenity");
  if (!zenity.empty()) {
    answer = AnswerFromStatus(
        RunDialog(zenity,
                  {question ? "--question" : "--info", "--title=" + title,
                   "--text=" + body, "--no-markup"},
                  DialogProgramEnvironment()),
        question);
  }
  const std::string kdialog = answer < 0 ? FindInPath("kdialog") : "";
  if (!kdialog.empty()) {
    answer = AnswerFromStatus(
        RunDialog(kdialog, KdialogArguments(title, body, question),
                  DialogProgramEnvironment()),
        question);
  }
  return answer;
}

}  // namespace

std::vector<std::string> KdialogArguments(const std::string& title,
                                          const std::string& body,
                                          bool question) {
  // kdialog shows text that looks like markup as rich text. Given as rich
  // text with everything that markup could claim escaped, it shows exactly
  // as written: the second and later blanks of a run as no-break spaces,
  // backslashes as references (so that no "\n" of a Windows path can turn
  // into a line break).
  std::string rich = "<qt>";
  char previous = '\0';
  for (const char c : body) {
    switch (c) {
      case '<':
        rich += "&lt;";
        break;
      case '>':
        rich += "&gt;";
        break;
      case '&':
        rich += "&amp;";
        break;
      case '"':
        rich += "&quot;";
        break;
      case '\\':
        rich += "&#92;";
        break;
      case ' ':
        rich += previous == ' ' ? "&nbsp;" : " ";
        break;
      default:
        rich += c;
    }
    previous = c;
  }
  rich += "</qt>";
  return {"--title", title, question ? "--yesno" : "--msgbox", rich};
}

int ShowBox(const char* text, const char* caption, unsigned style) {
  if (X11DisplayAnswers() || WaylandDisplayAnswers()) {
    int answer = DialogProgramBox(text, caption, style);
    if (answer < 0) answer = X11MessageBox(text, caption, style);
    if (answer >= 0) return answer;
  }
  return ConsoleBox(stdin, stdout, isatty(STDIN_FILENO) == 0, text, caption,
                    style);
}

}  // namespace posix
