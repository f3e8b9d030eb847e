// The lookups of Windows' profile functions, on the text of an INI file.
//
// Works on text, not on files: the caller hands in a Source that yields the
// file's bytes in pieces, so the same code serves real files, in-memory files
// and tests on plain strings. ini_text.h turns the bytes into text, through a
// fixed buffer; a file is never loaded whole, and reading stops as soon as
// the answer is known.
//
// What it does:
//  - section and key names match without regard to ASCII case; names and
//    values are trimmed of blanks (space, tab, vertical tab, form feed, and
//    the DOS end-of-file mark 0x1A found on old CD-ROMs);
//  - "[ Name ]" is section "Name"; the name ends at the first ']' and the rest
//    of that line is ignored; a '[' line without ']' is an ordinary line;
//  - a line whose first non-blank character is ';' is a comment; a ';' later
//    in a line is ordinary text;
//  - the first key of a name wins, and only the first section of a name is
//    visible; a key line without '=' has no value and gives the fallback;
//  - one pair of matching quotes (" or ') around a trimmed value is removed;
//  - LF, CR and CRLF end lines (a NUL ends the text, ini_text.h);
//  - every value and name is handed on as UTF-8, whatever the file's
//    encoding; a lookup decides between UTF-8 and 8-bit text only for a
//    value that holds a byte above 0x7F, Scan before the first line;
//  - a value too long for the buffer is cut between characters, so fewer
//    than size - 1 bytes may be stored.
//
// What it does not do: list sections or keys through null names, write
// anything, expand anything. Scan walks a whole text instead, for checking a
// file line by line with the same rules.
//
// Stack: a lookup or a scan holds about 41 KiB in one frame (the text's
// buffers: 16 KiB read, and 24 KiB for UTF-16 decoded to UTF-8), plus the
// caller's value buffer; nothing else grows with the file. On Windows a
// frame over 4 KiB is touched page by page by the compiler's stack probe
// (libgcc's, which the launcher links).
#pragma once

#include "portable/ini/ini_text.h"

namespace ini {

// Value of `key` in `section` into `buffer` (as GetString stores it), or -1
// when the key is missing or has no value (the buffer may then hold anything).
// `cut`, when not null, tells whether a value found was longer than stored.
// `codePage` converts a value of an 8-bit file (null: Windows-1252).
long FindIn(Source* source, const char* section, const char* key, char* buffer,
            unsigned size, bool* cut, const CodePage& codePage);
inline long FindString(Source* source, const char* section, const char* key,
                       char* buffer, unsigned size, bool* cut = nullptr,
                       const CodePage* codePage = nullptr) {
  // Resolved here, so that a program that always names its code page does
  // not link Windows-1252.
  return FindIn(source, section, key, buffer, size, cut,
                codePage != nullptr ? *codePage : Windows1252());
}

// Value of `key` in `section`, as GetPrivateProfileStringA gives it. A null
// `source` is a missing file. At most size - 1 bytes are stored and the text
// is always terminated (nothing is written when size is 0), never ending
// inside a UTF-8 character; returns the number of bytes stored. `cut`, when
// not null, tells whether the value (or the fallback) was longer than what
// was stored. `codePage` as for FindString; the fallback is UTF-8 already.
unsigned GetIn(Source* source, const char* section, const char* key,
               const char* fallback, char* buffer, unsigned size, bool* cut,
               const CodePage& codePage);
inline unsigned GetString(Source* source, const char* section, const char* key,
                          const char* fallback, char* buffer, unsigned size,
                          bool* cut = nullptr,
                          const CodePage* codePage = nullptr) {
  return GetIn(source, section, key, fallback, buffer, size, cut,
               codePage != nullptr ? *codePage : Windows1252());
}

// Value of `key` in `section` as an integer, as GetPrivateProfileIntA gives
// it: `fallback` when the value is missing or empty.
int GetInt(Source* source, const char* section, const char* key, int fallback);

// The same for a key that is there: false, leaving `value` alone, when the
// key is missing or has no value; an empty value gives `fallback`.
bool FindInt(Source* source, const char* section, const char* key, int fallback,
             int* value);

// Names kept by Scan: their first kNameSize - 1 bytes.
constexpr unsigned kNameSize = 256;

// A section header or a key line as the lookups above see it.
struct Line {
  enum Kind { kSection, kKey } kind;
  // 1-based; LF, CR and CRLF each end one line (after UTF-16 decoding).
  unsigned long number;
  // The section name, or the key (the whole line when it has no '='),
  // trimmed and terminated; `nameCut` when longer than kept.
  const char* name;
  bool nameCut;
  // Key lines: whether there is a '=', and the value as GetString stores it
  // in a buffer of Scan's size (trimmed, one pair of quotes removed, cut to
  // size - 1 bytes, terminated); `valueCut` when it was longer.
  bool hasValue;
  const char* value;
  unsigned valueLength;
  bool valueCut;
  // 1-based columns, in characters (a UTF-8 sequence is one): where the
  // line's text starts (its '[' or key), and where its value starts (past
  // the '=' and blanks; the end of the line when the value is empty).
  unsigned long column;
  unsigned long valueColumn;
};

class LineVisitor {
 public:
  // Before the first line: how the text is written.
  virtual void Begin(Encoding) {}
  virtual void Visit(const Line& line) = 0;

 protected:
  ~LineVisitor() = default;
};

// Hands every section header and key line of the whole text to `visitor`,
// in order; blank lines and comments are passed over, and a NUL ends the
// text as it does for the lookups. Values go through `buffer` (size > 0);
// names and values of an 8-bit file are converted by `codePage` (null:
// Windows-1252). Linear time (two passes over a file without UTF-16's mark),
// and no memory beyond the buffers of one line.
Encoding Scan(Source* source, char* buffer, unsigned size, LineVisitor* visitor,
              const CodePage* codePage = nullptr);

// The integer syntax of the profile functions: leading blanks, one optional
// sign directly followed by digits, up to the first other character; "0x",
// "0o" and "0b" select hexadecimal, octal and binary; wraps to 32 bits.
int ParseInt(const char* text);

}  // namespace ini
