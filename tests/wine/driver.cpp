// Test driver for the Windows launcher, run inside Wine.
//
//   driver.exe [options] LOG LAUNCHER [ANSWER...]
//   driver.exe --list FILE
//     --language CODE   set WIN.INI [intl] sLanguage (kept by Wine and
//                       Windows in the registry, HKCU "Control Panel"
//                       "International") for this run, restoring it after
//     --window CLASS    start window.exe (beside the driver) so that a
//                       top-level window of that class exists during the run
//     --first-box       only report the milliseconds from start to the first
//                       box, then close every box unanswered
//     --cwd FOLDER      start LAUNCHER with FOLDER as its current folder
//     --list FILE       many runs in one Wine process (starting Wine is most
//                       of a run's time): FILE holds one run a line, in UTF-8,
//                       "LOG<tab>LAUNCHER<tab>LANGUAGE<tab>START_LOG<tab>
//                       ANSWER ANSWER...", START_LOG becoming the runs'
//                       PELLOMAR_START_LOG
//
// Starts LAUNCHER in its own folder (unless --cwd says otherwise), inside a
// job object so that every
// program it starts is awaited too. Each message box of the launcher is read
// (caption, text, buttons) and answered: questions take the next ANSWER (yes
// or no; no once they run out), notices are confirmed. LOG receives one line
// per box, "box 0x24 [caption] text" for a Yes/No box and "box 0x40 [caption]
// text" for an OK box (the style is told by the buttons), in UTF-8, then
// "exit N". The first line is "codepage N", the system's ANSI code page.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !IsWindowVisible(window)) return TRUE;
  char cls[64] = "";
  GetClassNameA(window, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0) return TRUE;
  search->found = window;
  return FALSE;
}

std::string Utf8(const wchar_t* text) {
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return "";
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

// A window's text as UTF-8, read as Unicode so that no letter is lost to
// the code page.
std::string TextOf(HWND window) {
  if (window == nullptr) return "";
  wchar_t text[2048] = L"";
  SendMessageW(window, WM_GETTEXT, sizeof text / sizeof text[0],
               reinterpret_cast<LPARAM>(text));
  return Utf8(text);
}

// Adds "launcher ended" to the log of the started programs (named by
// PELLOMAR_START_LOG), so that a test can tell what they recorded before the
// launcher ended and what after.
void RecordLauncherEnded() {
  char path[MAX_PATH];
  if (GetEnvironmentVariableA("PELLOMAR_START_LOG", path, MAX_PATH) == 0)
    return;
  FILE* out = std::fopen(path, "ab");
  if (out == nullptr) return;
  std::fputs("launcher ended\n", out);
  std::fclose(out);
}

HWND VisibleButton(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  return button != nullptr && IsWindowVisible(button) ? button : nullptr;
}

void Press(HWND box, int id) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

const char kInternational[] = "Control Panel\\International";

// Sets sLanguage; returns the previous value ("" when there was none).
std::string SetLanguage(const char* code, bool* hadValue) {
  HKEY key;
  std::string previous;
  *hadValue = false;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kInternational, 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return previous;
  char old[256];
  DWORD size = sizeof old, type = 0;
  if (RegQueryValueExA(key, "sLanguage", nullptr, &type,
                       reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS) {
    *hadValue = true;
    previous.assign(old, size > 0 ? size - 1 : 0);
  }
  if (code != nullptr)
    RegSetValueExA(key, "sLanguage", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(code),
                   static_cast<DWORD>(std::strlen(code) + 1));
  RegCloseKey(key);
  return previous;
}

void RestoreLanguage(const std::string& previous, bool hadValue) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kInternational, 0, KEY_ALL_ACCESS,
                    &key) != ERROR_SUCCESS)
    return;
  if (hadValue)
    RegSetValueExA(key, "sLanguage", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(previous.c_str()),
                   static_cast<DWORD>(previous.size() + 1));
  else
    RegDeleteValueA(key, "sLanguage");
  RegCloseKey(key);
}

std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? "." : path.substr(0, cut);
}

HANDLE StartWindowOwner(const char* cls) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command =
      "\"" + FolderOf(self) + "\\window.exe\" \"" + std::string(cls) + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  for (int i = 0; i < 200 && FindWindowA(cls, nullptr) == nullptr; ++i)
    Sleep(25);
  return pi.hProcess;
}

DWORD ActiveProcesses(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
  if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation,
                                 &info, sizeof info, nullptr))
    return 0;
  return info.ActiveProcesses;
}

// One run of a launcher, as the options and arguments give it.
struct Run {
  std::wstring log;
  std::wstring launcher;
  std::string language;  // empty: WIN.INI's as it is
  std::string windowClass;
  bool firstBoxOnly = false;
  std::vector<std::string> answers;
  std::wstring startLog;       // empty: PELLOMAR_START_LOG as it is
  std::wstring currentFolder;  // empty: the launcher's own folder
};

std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 1) return L"";
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

// Runs the launcher, answering its boxes into the run's log; false when the
// log cannot be written.
bool Drive(const Run& run) {
  FILE* log = _wfopen(run.log.c_str(), L"wb");
  if (log == nullptr) return false;
  // Inherited by the launcher and what it starts.
  if (!run.startLog.empty())
    SetEnvironmentVariableW(L"PELLOMAR_START_LOG", run.startLog.c_str());
  // The system code page: what the 8-bit functions would turn texts into.
  std::fprintf(log, "codepage %u\n", GetACP());
  const char* language = run.language.empty() ? nullptr : run.language.c_str();
  std::vector<std::string> answers = run.answers;
  bool firstBoxOnly = run.firstBoxOnly;

  bool hadLanguage = false;
  const std::string previousLanguage =
      language != nullptr ? SetLanguage(language, &hadLanguage) : "";
  HANDLE windowOwner = !run.windowClass.empty()
                           ? StartWindowOwner(run.windowClass.c_str())
                           : nullptr;

  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  const std::wstring& launcher = run.launcher;
  std::wstring command = L"\"" + launcher + L"\"";
  const std::wstring folder =
      run.currentFolder.empty()
          ? launcher.substr(0, launcher.find_last_of(L"\\/"))
          : run.currentFolder;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const DWORD started = GetTickCount();
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED, nullptr, folder.c_str(), &si, &pi)) {
    std::fprintf(log, "cannot start %s (error %lu)\n",
                 Utf8(launcher.c_str()).c_str(), GetLastError());
    std::fclose(log);
    CloseHandle(job);
    if (windowOwner != nullptr) {
      TerminateProcess(windowOwner, 0);
      CloseHandle(windowOwner);
    }
    if (language != nullptr) RestoreLanguage(previousLanguage, hadLanguage);
    return true;
  }
  AssignProcessToJobObject(job, pi.hProcess);
  ResumeThread(pi.hThread);
  size_t nextAnswer = 0;
  bool timedOut = false;
  for (;;) {
    if (WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0) {
      RecordLauncherEnded();
      break;
    }
    if (GetTickCount() - started > 60000) {
      timedOut = true;
      TerminateProcess(pi.hProcess, 99);
      break;
    }
    Search search = {pi.dwProcessId, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    HWND box = search.found;
    if (box == nullptr) continue;

    if (firstBoxOnly) {
      std::fprintf(log, "first-box %lu\n", GetTickCount() - started);
      firstBoxOnly = false;
      answers.clear();
    }
    const bool question = VisibleButton(box, IDYES) != nullptr &&
                          VisibleButton(box, IDNO) != nullptr;
    const bool notice = VisibleButton(box, IDOK) != nullptr;
    const std::string caption = TextOf(box);
    const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
    std::fprintf(log, "box %s [%s] %s\n",
                 question ? "0x24"
                 : notice ? "0x40"
                          : "0x??",
                 caption.c_str(), text.c_str());
    std::fflush(log);
    int button = IDOK;
    if (question) {
      const bool yes =
          nextAnswer < answers.size() && answers[nextAnswer] == "yes";
      ++nextAnswer;
      button = yes ? IDYES : IDNO;
    } else if (!notice) {
      button = IDCANCEL;
    }
    Press(box, button);
    for (int i = 0; i < 500 && IsWindow(box) && IsWindowVisible(box); ++i)
      Sleep(10);
  }

  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  // Programs the launcher started belong to the job: wait for them too, so
  // that what they record is complete when the driver ends.
  for (int i = 0; i < 1000 && ActiveProcesses(job) > 0; ++i) Sleep(20);
  if (timedOut) std::fprintf(log, "timeout\n");
  std::fprintf(log, "exit %lu\n", code);
  std::fclose(log);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(job);

  if (windowOwner != nullptr) {
    TerminateProcess(windowOwner, 0);
    CloseHandle(windowOwner);
  }
  if (language != nullptr) RestoreLanguage(previousLanguage, hadLanguage);
  return true;
}

// The runs of a --list file; a line that is not a run is skipped.
std::vector<Run> ReadList(const wchar_t* path) {
  std::vector<Run> runs;
  FILE* in = _wfopen(path, L"rb");
  if (in == nullptr) return runs;
  std::string line;
  for (int c = std::fgetc(in);; c = std::fgetc(in)) {
    if (c != EOF && c != '\n') {
      if (c != '\r') line += static_cast<char>(c);
      continue;
    }
    std::vector<std::string> fields(1);
    for (const char ch : line) {
      if (ch == '\t')
        fields.emplace_back();
      else
        fields.back() += ch;
    }
    if (fields.size() >= 4) {
      Run run;
      run.log = Wide(fields[0]);
      run.launcher = Wide(fields[1]);
      run.language = fields[2];
      run.startLog = Wide(fields[3]);
      if (fields.size() > 4) {
        std::string answer;
        for (const char ch : fields[4] + " ") {
          if (ch != ' ') {
            answer += ch;
          } else if (!answer.empty()) {
            run.answers.push_back(answer);
            answer.clear();
          }
        }
      }
      runs.push_back(run);
    }
    line.clear();
    if (c == EOF) break;
  }
  std::fclose(in);
  return runs;
}

}  // namespace

int main() {
  // Arguments as Unicode: the launcher's folder may have any name.
  int argc = 0;
  wchar_t** wideArgs = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Utf8(wideArgs[i]));
  Run run;
  int at = 1;
  for (; at < argc && args[at].compare(0, 2, "--") == 0; ++at) {
    if (args[at] == "--language" && at + 1 < argc) {
      run.language = args[++at];
    } else if (args[at] == "--window" && at + 1 < argc) {
      run.windowClass = args[++at];
    } else if (args[at] == "--cwd" && at + 1 < argc) {
      run.currentFolder = wideArgs[++at];
    } else if (args[at] == "--first-box") {
      run.firstBoxOnly = true;
    } else if (args[at] == "--list" && at + 1 < argc) {
      const std::wstring list = wideArgs[++at];
      for (const Run& listed : ReadList(list.c_str()))
        if (!Drive(listed)) return 2;
      return 0;
    } else {
      std::fprintf(stderr, "driver: unknown option %s\n", args[at].c_str());
      return 2;
    }
  }
  if (argc - at < 2) {
    std::fprintf(stderr,
                 "usage: driver [options] LOG LAUNCHER [ANSWER...]\n"
                 "       driver --list FILE\n");
    return 2;
  }
  run.log = wideArgs[at];
  run.launcher = wideArgs[at + 1];
  run.answers.assign(args.begin() + at + 2, args.end());
  return Drive(run) ? 0 : 2;
}
