// Portable INI lookups with the results of the Windows profile functions.
//
// Works on text, not on files: the caller hands in a Source that yields the
// file's bytes in pieces, so the same code serves real files, in-memory files
// and tests on plain strings. The text is streamed through a fixed buffer; a
// file is never loaded whole, and reading stops as soon as the answer is
// known.
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
//  - LF, CR and CRLF end lines; a NUL byte ends the text;
//  - a UTF-8 byte-order mark is skipped; UTF-16 text (LE or BE, with its
//    byte-order mark) is decoded and handed on as UTF-8. Other text is passed
//    on byte for byte;
//  - a value too long for the buffer is cut before a UTF-8 character that
//    would not fit whole, so fewer than size - 1 bytes may be stored; bytes
//    that are no valid UTF-8 there (8-bit text of a code page) are cut where
//    the count says, losing nothing more.
//
// What it does not do: list sections or keys through null names, write
// anything, expand anything, or map code pages. Scan walks a whole text
// instead, for checking a file line by line with the same rules.
#pragma once

#include <cstddef>

namespace ini {

// Yields the bytes of one file, in order, in pieces of any size.
class Source {
 public:
  // Copies up to `capacity` bytes into `buffer`; returns how many, 0 at the
  // end (or on a read error, which counts as the end).
  virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;

 protected:
  ~Source() = default;
};

// A Source over bytes in memory.
class MemorySource final : public Source {
 public:
  MemorySource(const char* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Read(char* buffer, std::size_t capacity) override;

 private:
  const char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Value of `key` in `section` into `buffer` (as GetString stores it), or -1
// when the key is missing or has no value (the buffer may then hold anything).
// `cut`, when not null, tells whether a value found was longer than stored.
long FindString(Source* source, const char* section, const char* key,
                char* buffer, unsigned size, bool* cut = nullptr);

// Value of `key` in `section`, as GetPrivateProfileStringA gives it. A null
// `source` is a missing file. At most size - 1 bytes are stored and the text
// is always terminated (nothing is written when size is 0), never ending
// inside a UTF-8 character; returns the number of bytes stored. `cut`, when
// not null, tells whether the value (or the fallback) was longer than what
// was stored.
unsigned GetString(Source* source, const char* section, const char* key,
                   const char* fallback, char* buffer, unsigned size,
                   bool* cut = nullptr);

// Value of `key` in `section` as an integer, as GetPrivateProfileIntA gives
// it: `fallback` when the value is missing or empty.
int GetInt(Source* source, const char* section, const char* key, int fallback);

// The same for a key that is there: false, leaving `value` alone, when the
// key is missing or has no value; an empty value gives `fallback`.
bool FindInt(Source* source, const char* section, const char* key, int fallback,
             int* value);

// How a text is written, as its first bytes say.
enum class Encoding { kBytes, kUtf8WithMark, kUtf16Le, kUtf16Be };

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
// text as it does for the lookups. Values go through `buffer` (size > 0).
// Linear time, and no memory beyond the buffers of one line.
Encoding Scan(Source* source, char* buffer, unsigned size,
              LineVisitor* visitor);

// The integer syntax of the profile functions: leading blanks, one optional
// sign directly followed by digits, up to the first other character; "0x",
// "0o" and "0b" select hexadecimal, octal and binary; wraps to 32 bits.
int ParseInt(const char* text);

}  // namespace ini
