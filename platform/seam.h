// The one seam between the launcher's portable core and the operating system.
//
// The core (launcher/, config/) calls only what is declared here. Each
// platform folder (win32/, posix/, scripted/) defines every function below
// once; which one a program gets is chosen at link time. The names and
// argument orders are those of the Windows calls they stand for, so the
// Windows layer is a plain forwarder and the others can be checked against it.
//
// Every text is terminated; sizes count bytes including the terminator. Texts
// are UTF-8 on every platform (each layer converts at its own edge), and a
// value read never ends inside a character. None of these functions may
// crash on any argument the core can pass, including empty strings and texts
// read from hostile files.
#pragma once

namespace platform {

// Opaque handle of the running launcher, given to the start-up code.
using Instance = void*;

// Answer of a message box that means Yes. Anything else counts as No.
constexpr int kAnswerYes = 6;
// The other answers a box gives: OK for a notice, No for a question.
constexpr int kAnswerOk = 1;
constexpr int kAnswerNo = 7;
// Box styles: a notice (OK, information icon) and a question (Yes/No,
// question icon).
constexpr unsigned kStyleNotice = 0x40;
constexpr unsigned kStyleQuestion = 0x24;
// Show flag handed to WinExec: a normal window.
constexpr unsigned kShowNormal = 1;

// Results of WinExec. Up to kLastStartFailure the program did not start;
// anything greater means it did, or that nothing more is to be done.
constexpr unsigned kStartFailed = 0;  // out of resources, or no better reason
constexpr unsigned kFileNotFound = 2;
constexpr unsigned kPathNotFound = 3;
constexpr unsigned kNotExecutable = 11;
constexpr unsigned kLastStartFailure = 31;
constexpr unsigned kStarted = 33;
// The program needs administrator rights and the user declined the consent
// prompt. That is the user's choice, not a failure to report: it counts as
// started, so the launcher neither shows an error nor offers setup again.
// (Windows' own code for a cancelled operation, which no start failure uses.)
constexpr unsigned kStartDeclined = 1223;

inline bool Started(unsigned result) { return result > kLastStartFailure; }

// Results of GetFileAttributesA.
constexpr unsigned kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr unsigned kAttributeDirectory = 0x10;
constexpr unsigned kAttributeNormal = 0x80;  // a file with no other attribute

// WIN.INI lookup: value of `key` in `section` of the user's WIN.INI, or
// `fallback` when absent; at most size - 1 bytes, always terminated (size > 0).
unsigned GetProfileStringA(const char* section, const char* key,
                           const char* fallback, char* buffer, unsigned size);

// Value of `key` in `section` of the INI file `file`, or `fallback` when the
// file, section or key is missing or unreadable. At most size - 1 bytes are
// stored, always terminated (size > 0), never ending inside a UTF-8
// character; returns the number stored. Names match without regard to ASCII
// case; a path without a folder names a file in the Windows directory.
// When `cut` is not null it tells whether the value was longer than what was
// stored: the only sure sign, since a cut at a character boundary may store
// fewer than size - 1 bytes.
unsigned GetPrivateProfileStringA(const char* section, const char* key,
                                  const char* fallback, char* buffer,
                                  unsigned size, const char* file,
                                  bool* cut = nullptr);

// The same value read as an integer (wrapping to 32 bits), or `fallback` when
// it is missing or empty.
int GetPrivateProfileIntA(const char* section, const char* key, int fallback,
                          const char* file);

// The same two reads for the launcher's own files (its settings and message
// files beside it), which every platform reads with the project's INI reader
// and its one text model: UTF-16 with its byte-order mark, UTF-8 with or
// without its mark, else 8-bit text of the system's code page; so that every
// Windows and the Linux launcher read a medium alike. Another program's INI
// file (the installed application's) is read by the two above, as that
// program itself reads it.
unsigned ReadOwnString(const char* section, const char* key,
                       const char* fallback, char* buffer, unsigned size,
                       const char* file, bool* cut = nullptr);
int ReadOwnInt(const char* section, const char* key, int fallback,
               const char* file);

// Full path of the launcher's executable in Windows form (drive or UNC).
// Returns its length; 0 when unknown. When the path does not fit, the result
// equals `size` and the buffer must not be trusted (it may be cut and may lack
// the terminator).
unsigned GetModuleFileNameA(Instance instance, char* buffer, unsigned size);

// Whether the system's file functions take `path` whole: on Windows at most
// MAX_PATH - 1 UTF-16 units (bytes of the code page on Windows 95/98/ME), on
// Linux fewer than PATH_MAX bytes of the native path. The one operation
// without a Windows namesake: Windows fails such a path with no word of why,
// and the launcher names it instead.
bool PathFits(const char* path);

// Non-null when a top-level window of class `className` exists. `windowName`
// is always null here (any title).
void* FindWindowA(const char* className, const char* windowName);

// Attributes of the file or folder at `path`, or kInvalidFileAttributes when
// there is none (or it cannot be known). Used to ask whether a program file
// exists: not invalid and without kAttributeDirectory.
unsigned GetFileAttributesA(const char* path);

// Starts `commandLine` as a separate process without waiting for it (not even
// for its first window), with the program's own folder as its current folder.
// Returns one of the results above: Started() tells whether it started. An
// empty command line fails with kFileNotFound.
unsigned WinExec(const char* commandLine, unsigned show);

// A modal box without owner; returns the button chosen (kAnswerYes for Yes),
// or 0 when no box could be shown.
int MessageBoxA(void* owner, const char* text, const char* caption,
                unsigned style);

}  // namespace platform
