// Bounded string work for the core: copying and appending terminated texts
// into fixed buffers. These replace the unbounded lstrcpyA and lstrcatA; each
// reports whether the whole text fitted, so a caller can refuse a cut result.
#pragma once

namespace text {

// Size of every text buffer of the launcher, and the size handed to every
// read (so at most 254 characters of a value survive).
constexpr unsigned kBufferSize = 256;
constexpr unsigned kReadSize = 255;
constexpr unsigned kLongestValue = kReadSize - 1;

// Size of a path buffer: the launcher's own path, files beside it, and the
// values that name files (IniFile, SetupName, Command). Linux takes paths of
// up to PATH_MAX (4096) bytes; Windows MAX_PATH (260) UTF-16 units, which in
// UTF-8 are at most 780 bytes whatever the script, so this holds both.
constexpr unsigned kPathSize = 4096;
constexpr unsigned kLongestPath = kPathSize - 1;

unsigned Length(const char* s);

// Copies `source` into `buffer` (capacity `size` bytes, terminator included).
// Returns false, leaving the empty string, when it does not fit.
bool Copy(char* buffer, unsigned size, const char* source);

// Appends `source` to the terminated text in `buffer`. Returns false, leaving
// the empty string, when the whole result does not fit.
bool Append(char* buffer, unsigned size, const char* source);

}  // namespace text
