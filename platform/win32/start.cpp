// Starting programs on Windows: the seam's WinExec.
//
// Uses SearchPath (to learn which program Windows will pick, as
// command_line.h describes), GetFileAttributes, GetSystemDirectory,
// CreateProcess and CloseHandle, in their wide forms (A on Windows 95/98/ME);
// for a bare program name also GetModuleFileName, GetCurrentDirectory,
// GetWindowsDirectory, GetEnvironmentVariable and, where Windows has it,
// NeedCurrentDirectoryForExePath; GetBinaryType where Windows has it.
//
// The program found is the one started: CreateProcess gets its full path as
// the program name, so no second search, by other rules, can pick another
// file. A 16-bit program (for which CreateProcess wants no separate name)
// starts instead from a command line that begins with its full path in
// quotes. A bare name is searched in
// CreateProcess's own order, leaving the current folder out where
// NoDefaultCurrentDirectoryInExePath asks for that.
// Only when Windows refuses a program that needs administrator rights
// (ERROR_ELEVATION_REQUIRED, Windows Vista and later): LoadLibraryW for
// SHELL32 and OLE32 from the system folder, CoInitializeEx and
// ShellExecuteExW, which asks the user for consent.
//
// The program runs on its own: nothing waits for it, not even for its first
// window (WinExec waits until the program is idle for input), and both of its
// handles are closed at once. Its current folder is the program's own folder
// (the launcher's may be anywhere), except for a bare program name, which
// Windows finds on its search path, where the launcher's current folder is
// kept. On Windows 95/98/ME the command line is first converted from UTF-8
// to the system code page. A batch file (.bat, .cmd) is run by the system
// folder's cmd.exe, as Windows asks, quoted so that a folder with blanks
// works; a Windows Installer package (.msi) by the system folder's
// msiexec.exe /i, as double-clicking it does. Left out: the 16-bit results
// of WinExec beyond the named ones of seam.h.
#include "platform/seam.h"
#include "platform/win32/calls.h"
// After windows.h, which calls.h brings.
#include <shellapi.h>

#include "portable/command_line.h"
#include "portable/utf.h"

namespace platform {
namespace {

using win32::wide;
using win32::WideText;

// Not in every MinGW's headers.
constexpr DWORD kErrorElevationRequired = 740;
constexpr DWORD kCoInitApartmentThreaded = 0x2, kCoInitDisableOle1Dde = 0x4;

// Bytes of a path or a command line in UTF-8 (a path of SearchPath's
// longest result, a command line with the interpreter's options around it).
constexpr unsigned kPathSize = 1024;
constexpr unsigned kCommandSize = 1536;

template <typename T>
void Clear(T* object) {
  unsigned char* bytes = reinterpret_cast<unsigned char*>(object);
  for (unsigned i = 0; i < sizeof(T); ++i) bytes[i] = 0;
}

bool CopyText(char* out, unsigned size, const char* text, unsigned length) {
  if (length >= size) return false;
  for (unsigned i = 0; i < length; ++i) out[i] = text[i];
  out[length] = '\0';
  return true;
}

bool IsFile(DWORD attributes) {
  return attributes != kInvalidFileAttributes &&
         (attributes & kAttributeDirectory) == 0;
}

// The program that Windows picks, with its full path.
struct Found {
  char path[kPathSize];
  unsigned folderLength;  // the folder with its last backslash
};

// GetBinaryType's answers for programs of 16-bit Windows, MS-DOS and OS/2.
constexpr DWORD kDosBinary = 1, kWowBinary = 2, kPifBinary = 3, kOs216 = 5;
// The longest value an environment variable holds, in UTF-16 units.
constexpr DWORD kVariableUnits = 32767;

// The KERNEL32 function `name`, where this Windows has it.
template <typename Function>
Function OptionalCall(const char* name) {
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  return kernel != nullptr ? win32::Lookup<Function>(kernel, name) : nullptr;
}

// Looks for the bare program name `name` as CreateProcess does: the
// launcher's own folder, the current folder, the system folder, the 16-bit
// system folder, the Windows folder, then PATH. The current folder is left
// out when NeedCurrentDirectoryForExePath says so (the variable
// NoDefaultCurrentDirectoryInExePath is set). SearchPath's own order puts
// the current folder after the Windows folder and never leaves it out, so
// each place is searched on its own. Returns SearchPath's result.
DWORD SearchBareName(LPCWSTR name, LPWSTR full, LPWSTR* file) {
  using NeedCurrentFunction = BOOL(WINAPI*)(LPCWSTR);
  const auto needCurrent =
      OptionalCall<NeedCurrentFunction>("NeedCurrentDirectoryForExePathW");
  const bool current = needCurrent == nullptr || needCurrent(name);
  char16_t units[MAX_PATH + 8];
  LPWSTR folder = reinterpret_cast<LPWSTR>(units);
  for (int place = 0; place < 5; ++place) {
    DWORD n = 0;
    if (place == 0) {
      n = wide.getModuleFileName(nullptr, folder, MAX_PATH);
      if (n >= MAX_PATH) continue;
      while (n > 0 && folder[n - 1] != L'\\') --n;
      folder[n] = 0;
    } else if (place == 1) {
      n = current ? wide.getCurrentDirectory(MAX_PATH, folder) : 0;
    } else if (place == 2) {
      n = wide.getSystemDirectory(folder, MAX_PATH);
    } else {
      n = wide.getWindowsDirectory(folder, MAX_PATH);
      if (place == 3 && n > 0 && n < MAX_PATH) {
        const wchar_t kSystem[] = L"\\System";
        for (unsigned i = 0; i < sizeof kSystem / sizeof *kSystem; ++i)
          folder[n + i] = kSystem[i];
      }
    }
    if (n == 0 || n >= MAX_PATH) continue;
    const DWORD found =
        wide.searchPath(folder, name, L".exe", win32::kLongUnits, full, file);
    if (found != 0) return found;
  }
  char16_t path[kVariableUnits];
  LPWSTR pathText = reinterpret_cast<LPWSTR>(path);
  const DWORD n =
      wide.getEnvironmentVariable(L"PATH", pathText, kVariableUnits);
  if (n == 0 || n >= kVariableUnits) return 0;
  return wide.searchPath(pathText, name, L".exe", win32::kLongUnits, full,
                         file);
}

// Whether Windows finds a program named `candidate`: SearchPath looks where
// CreateProcess looks and adds ".exe" to a name without extension, as
// CreateProcess does. Records the full path in the Found at `context`; the
// folder ends where SearchPath says the file name begins (scanning for a
// backslash could stop inside a double-byte character of an old Windows'
// code page).
bool FindProgram(const char* candidate, void* context) {
  Found* found = static_cast<Found*>(context);
  if (!win32::UseWide()) {
    LPSTR name = nullptr;
    const DWORD n = ::SearchPathA(nullptr, candidate, ".exe", kPathSize,
                                  found->path, &name);
    if (n == 0 || n >= kPathSize || name == nullptr) return false;
    found->folderLength = static_cast<unsigned>(name - found->path);
    return IsFile(::GetFileAttributesA(found->path));
  }
  const WideText<> wCandidate(candidate);
  if (!wCandidate.complete()) return false;
  char16_t full[win32::kLongUnits];
  LPWSTR fullText = reinterpret_cast<LPWSTR>(full);
  LPWSTR name = nullptr;
  unsigned length = 0;
  while (candidate[length] != '\0') ++length;
  const DWORD n = cmdline::IsBareName(candidate, length)
                      ? SearchBareName(wCandidate.get(), fullText, &name)
                      : wide.searchPath(nullptr, wCandidate.get(), L".exe",
                                        win32::kLongUnits, fullText, &name);
  if (n == 0 || n >= win32::kLongUnits || name == nullptr) return false;
  if (!IsFile(wide.getFileAttributes(fullText))) return false;
  bool cut = false;
  found->folderLength =
      utf::ToUtf8(full, static_cast<unsigned>(name - fullText), found->path,
                  kPathSize, &cut);
  if (!cut) utf::ToUtf8(full, n, found->path, kPathSize, &cut);
  return !cut;
}

// Whether CreateProcess wants the program at `path` named only at the head
// of the command line: a 16-bit Windows, MS-DOS or OS/2 program, as
// GetBinaryType tells. That function belongs to the NT family (Windows
// 95/98/ME lack it), so there every program is named as a 32-bit one.
bool WantsNoProgramName(const char* path) {
  using BinaryTypeFunction = BOOL(WINAPI*)(LPCWSTR, LPDWORD);
  if (!win32::UseWide()) return false;
  const auto binaryType = OptionalCall<BinaryTypeFunction>("GetBinaryTypeW");
  const WideText<win32::kLongUnits> wPath(path);
  DWORD type = 0;
  if (binaryType == nullptr || !wPath.complete() ||
      !binaryType(wPath.get(), &type))
    return false;
  return type == kDosBinary || type == kWowBinary || type == kPifBinary ||
         type == kOs216;
}

// Full path of `name` in the system folder, when that file exists.
bool SystemFile(const char* name, char* path, unsigned size) {
  unsigned length = 0;
  if (win32::UseWide()) {
    char16_t folder[MAX_PATH];
    const UINT n =
        wide.getSystemDirectory(reinterpret_cast<LPWSTR>(folder), MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    bool cut = false;
    length = utf::ToUtf8(folder, n, path, size, &cut);
    if (cut) return false;
  } else {
    length = ::GetSystemDirectoryA(path, size);
    if (length == 0 || length >= size) return false;
  }
  unsigned at = length;
  if (at + 1 < size) path[at++] = '\\';
  for (; *name != '\0' && at + 1 < size; ++name) path[at++] = *name;
  if (*name != '\0') return false;
  path[at] = '\0';
  return IsFile(platform::GetFileAttributesA(path));
}

// CreateProcess without waiting; `error` receives the reason of a failure.
bool CreateProcessText(const char* application, const char* commandLine,
                       const char* folder, unsigned show, DWORD* error) {
#ifdef PELLOMAR_TEST_ELEVATION
  // Test build (tests/wine): every program needs administrator rights, so
  // the shell's start runs, which Wine never asks for by itself.
  *error = kErrorElevationRequired;
  return false;
#endif
  PROCESS_INFORMATION process;
  BOOL started = FALSE;
  if (win32::UseWide()) {
    STARTUPINFOW startup;
    Clear(&startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    const WideText<win32::kLongUnits> wApplication(application),
        wFolder(folder);
    WideText<win32::kLongUnits> wCommand(commandLine);
    if (!wApplication.complete() || !wFolder.complete() ||
        !wCommand.complete()) {
      *error = ERROR_FILENAME_EXCED_RANGE;
      return false;
    }
    started = wide.createProcess(wApplication.get(), wCommand.writable(),
                                 nullptr, nullptr, FALSE, 0, nullptr,
                                 wFolder.get(), &startup, &process);
  } else {
    STARTUPINFOA startup;
    Clear(&startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    char command[kCommandSize];
    unsigned length = 0;
    while (commandLine[length] != '\0') ++length;
    if (!CopyText(command, sizeof command, commandLine, length)) {
      *error = ERROR_FILENAME_EXCED_RANGE;
      return false;
    }
    started = ::CreateProcessA(application, command, nullptr, nullptr, FALSE, 0,
                               nullptr, folder, &startup, &process);
  }
  if (!started) {
    *error = ::GetLastError();
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

// The seam's result for a reason that a start failed.
unsigned ResultOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return kPathNotFound;
    case ERROR_BAD_FORMAT:
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_INVALID_EXE_SIGNATURE:
    case ERROR_EXE_MARKED_INVALID:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
      return kNotExecutable;
    case ERROR_CANCELLED:
      return kStartDeclined;
    default:
      return kStartFailed;
  }
}

// A DLL of the system folder, never one beside the launcher.
HMODULE LoadSystemLibrary(const char* name) {
  char path[kPathSize];
  if (!SystemFile(name, path, sizeof path)) return nullptr;
  const WideText<win32::kLongUnits> wPath(path);
  return wPath.complete() ? wide.loadLibrary(wPath.get()) : nullptr;
}

// Starts `program` with `parameters` through the shell, which asks the user
// for consent to run it with administrator rights. Wide functions only: the
// Windows that refuse such programs all have them.
unsigned StartElevated(const char* program, const char* parameters,
                       const char* folder, unsigned show) {
  using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  using CoInitializeExFunction = HRESULT(WINAPI*)(LPVOID, DWORD);
  using CoUninitializeFunction = void(WINAPI*)();
  if (!win32::UseWide()) return kStartFailed;
  const HMODULE shell = LoadSystemLibrary("shell32.dll");
  if (shell == nullptr) return kStartFailed;
  const auto shellExecute =
      win32::Lookup<ShellExecuteExFunction>(shell, "ShellExecuteExW");
  if (shellExecute == nullptr) return kStartFailed;
  const WideText<win32::kLongUnits> wProgram(program), wFolder(folder);
  const WideText<> wParameters(parameters[0] != '\0' ? parameters : nullptr);
  if (!wProgram.complete() || !wFolder.complete() || !wParameters.complete())
    return kStartFailed;

  // The shell may hand the start to extensions that need COM in a
  // single-threaded apartment.
  const HMODULE ole = LoadSystemLibrary("ole32.dll");
  const auto coInitialize =
      ole != nullptr
          ? win32::Lookup<CoInitializeExFunction>(ole, "CoInitializeEx")
          : nullptr;
  const auto coUninitialize =
      ole != nullptr
          ? win32::Lookup<CoUninitializeFunction>(ole, "CoUninitialize")
          : nullptr;
  const bool com = coInitialize != nullptr &&
                   SUCCEEDED(coInitialize(nullptr, kCoInitApartmentThreaded |
                                                       kCoInitDisableOle1Dde));

  SHELLEXECUTEINFOW info;
  Clear(&info);
  info.cbSize = sizeof info;
  // Done before returning, since the launcher ends right after; failures
  // are reported by the launcher itself.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpFile = wProgram.get();
  info.lpParameters = wParameters.get();
  info.lpDirectory = wFolder.get();
  info.nShow = static_cast<int>(show);
#ifdef PELLOMAR_TEST_DECLINED
  // Test build (tests/wine): the user declines the consent prompt, so the
  // shell starts nothing.
  const BOOL started = FALSE;
  const DWORD error = ERROR_CANCELLED;
#else
  const BOOL started = shellExecute(&info);
  const DWORD error = started ? 0 : ::GetLastError();
#endif
  if (com && coUninitialize != nullptr) coUninitialize();
  return started ? kStarted : ResultOf(error);
}

// WinExec with `commandLine` in UTF-8, or in the system code page on
// 95/98/ME, as the functions it calls take it.
unsigned Start(const char* commandLine, unsigned show) {
  if (commandLine[0] == '\0') return kFileNotFound;
  Found found;
  const cmdline::Program program =
      cmdline::PickProgram(commandLine, FindProgram, &found);
  char folder[kPathSize];
  const char* ownFolder = nullptr;
  if (program.found &&
      !cmdline::IsBareName(commandLine + program.begin,
                           program.end - program.begin) &&
      CopyText(folder, sizeof folder, found.path, found.folderLength))
    ownFolder = folder;
  const char* arguments = commandLine + program.arguments;

  // What is started: the program found, by its full path; a batch file or
  // an installer package by its runner from the system folder (where there
  // is none, the line as it is); nothing found, the line as it is, for
  // CreateProcess to fail on.
  DWORD error = ERROR_FILE_NOT_FOUND;
  const char* application = program.found ? found.path : nullptr;
  const char* line = commandLine;
  char runner[kPathSize];
  char command[kCommandSize];
  if (program.found) {
    const cmdline::Runner kind = cmdline::RunnerOf(found.path);
    const char* runnerName = cmdline::RunnerProgram(kind);
    const bool byRunner =
        runnerName != nullptr && SystemFile(runnerName, runner, sizeof runner);
    if (byRunner || (runnerName == nullptr && WantsNoProgramName(found.path))) {
      application = byRunner ? runner : nullptr;
      if (!cmdline::RunnerCommandLine(command, sizeof command, kind, found.path,
                                      arguments))
        return kStartFailed;
      line = command;
    } else if (runnerName != nullptr) {
      application = nullptr;
    }
  }
  if (CreateProcessText(application, line, ownFolder, show, &error))
    return kStarted;
  if (error == kErrorElevationRequired && program.found)
    return StartElevated(found.path, cmdline::SkipBlanks(arguments), ownFolder,
                         show);
  return ResultOf(error);
}

}  // namespace

unsigned WinExec(const char* commandLine, unsigned show) {
  if (win32::UseWide()) return Start(commandLine, show);
  const win32::AnsiText ansi(commandLine);
  return ansi.complete() ? Start(ansi.bytes(), show) : kStartFailed;
}

}  // namespace platform
