// The one seam between the launcher's portable core and the operating system.
//
// The core (launcher/, config/) calls only what is declared here. Each
// platform folder (win32/, posix/, scripted/) defines every function below
// once; which one a program gets is chosen at link time. The names and
// argument orders are those of the Windows calls they stand for, so the
// Windows layer is a plain forwarder and the others can be checked against it.
//
// Every text is 8-bit and terminated. Sizes count bytes including the
// terminator. None of these functions may crash on any argument the core can
// pass, including empty strings and texts read from hostile files.
#pragma once

namespace platform {

// Opaque handle of the running launcher, given to the start-up code.
using Instance = void*;

// Answer of a message box that means Yes. Anything else counts as No.
constexpr int kAnswerYes = 6;
// Box styles: a notice (OK, information icon) and a question (Yes/No,
// question icon).
constexpr unsigned kStyleNotice = 0x40;
constexpr unsigned kStyleQuestion = 0x24;
// Show flag handed to WinExec: a normal window.
constexpr unsigned kShowNormal = 1;

// WIN.INI lookup: value of `key` in `section` of the user's WIN.INI, or
// `fallback` when absent; at most size - 1 bytes, always terminated (size > 0).
unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size);

// Value of `key` in `section` of the INI file `file`, or `fallback` when the
// file, section or key is missing or unreadable. At most size - 1 bytes are
// stored, always terminated (size > 0); returns the number stored. Names match
// without regard to ASCII case; a path without a folder names a file in the
// Windows directory.
unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file);

// The same value read as an integer (wrapping to 32 bits), or `fallback` when
// it is missing or empty.
int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file);

// Full path of the launcher's executable in Windows form (drive or UNC).
// Returns its length; 0 when unknown. When the path does not fit, the result
// equals `size` and the buffer must not be trusted (it may be cut and may lack
// the terminator).
unsigned GetModuleFileNameA(Instance instance, char* buffer, unsigned size);

// Non-null when a top-level window of class `className` exists. `windowName`
// is always null here (any title).
void* FindWindowA(const char* className, const char* windowName);

// Starts `commandLine` as a separate process without waiting for it. Greater
// than 31 means started; 31 or less is a failure (0, 2 file not found,
// 3 path not found, 11 not executable). An empty command line fails.
unsigned WinExec(const char* commandLine, unsigned show);

// A modal box without owner; returns the button chosen (kAnswerYes for Yes),
// or 0 when no box could be shown.
int MessageBoxA(void* owner, const char* text, const char* caption,
                unsigned style);

}  // namespace platform
