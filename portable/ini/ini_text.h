// The text of an INI file: its bytes in, read through a fixed buffer, and
// text out in pieces that the lookups (ini_reader.h) walk.
//
// What it does:
//  - decides once per file how it is written: UTF-16 (LE or BE, with its
//    byte-order mark), decoded here to UTF-8; else UTF-8, with or without
//    its mark, when every byte up to the end (or a NUL) is well-formed
//    UTF-8; else 8-bit text of a code page. Until a byte above 0x7F matters
//    the decision waits (ASCII reads the same in every encoding); making it
//    reads the file a second time, from the start;
//  - hands on the bytes of a UTF-8 or 8-bit text as they are: lines, '[',
//    ']', '=' and ';' are found in the bytes themselves, as no code page
//    has them among the later bytes of a character. 8-bit text becomes
//    UTF-8 a value at a time, through the caller's CodePage (the lookups
//    store each value so, cut between characters);
//  - ends the text at its first NUL (a byte, or a unit of UTF-16); an
//    unpaired surrogate becomes U+FFFD and an odd last byte is dropped.
//
// What it leaves out: every rule of the profile functions (blanks, comments,
// sections, keys, quotes), which are the lookups'; any code page but
// Windows-1252, which callers bring; writing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ini {

// Yields the bytes of one file, in order, in pieces of any size.
class Source {
 public:
  // Copies up to `capacity` bytes into `buffer`; returns how many, 0 at the
  // end (or on a read error, which counts as the end).
  virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
  // Starts again at the first byte; false when it cannot (the text is then
  // taken as 8-bit, the one encoding that any bytes fit).
  virtual bool Rewind() = 0;

 protected:
  ~Source() = default;
};

// A Source over bytes in memory.
class MemorySource final : public Source {
 public:
  MemorySource(const char* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Read(char* buffer, std::size_t capacity) override;
  bool Rewind() override {
    at_ = 0;
    return true;
  }

 private:
  const char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Turns 8-bit text of one code page into UTF-8.
class CodePage {
 public:
  // Converts the `length` bytes at the start of `text` (a buffer of `size`
  // bytes, size > length) in place into terminated UTF-8: at most size - 1
  // bytes, ending between characters. Returns the number of bytes stored;
  // `cut` tells whether part of the text was left out.
  virtual unsigned ToUtf8(char* text, unsigned length, unsigned size,
                          bool* cut) const = 0;

 protected:
  ~CodePage() = default;
};

// Western Windows' code page 1252, the one used when a caller names none.
const CodePage& Windows1252();

// How a text is written: UTF-8 without or with its byte-order mark, UTF-16
// (with its mark), or 8-bit text of a code page (with or without something
// that looked like a UTF-8 mark, which is passed over all the same).
// UTF-16's two come last, so that one comparison tells them.
enum class Encoding { kUtf8, kUtf8WithMark, kCodePage, kUtf16Le, kUtf16Be };

// A file's text, in pieces of a fixed buffer. Each piece is followed by a
// NUL, so a scan through it needs no bound of its own; a NUL inside a piece
// ends the text (Next and SkipLine stop there, a scan calls End).
class TextStream {
 public:
  static constexpr int kEnd = -1;

  explicit TextStream(Source& source) : source_(source) { Start(); }

  // How the text is written; until decided, a text without UTF-16's mark
  // says UTF-8.
  Encoding Kind() const { return encoding_; }
  // Whether what is handed on is UTF-8: UTF-16 decoded, or a text that is
  // well-formed UTF-8 throughout. Deciding the latter reads the whole text
  // again from its start, once; the stream is used up afterwards.
  bool IsUtf8() { return IsUtf16() || DecideUtf8(); }
  // Decides at once and starts again from the first byte; false when the
  // source cannot start again (the text is then 8-bit, and ended).
  bool DecideAndRestart();

  // The next byte, or kEnd.
  int Next() {
    if (at_ == length_ && !NextPiece()) return kEnd;
    const unsigned char c = static_cast<unsigned char>(data_[at_++]);
    if (c != 0) return c;
    End();
    return kEnd;
  }
  // Consumes the rest of the current line, its line end included (LF, or
  // CR: the LF of a CRLF is then an empty line of its own).
  void SkipLine();

  // The unread part of the current piece, up to PieceEnd(), for scans that
  // jump rather than read byte by byte; MoveTo marks how far they got. Once
  // the text has ended it is empty, and NextPiece says so.
  const char* Rest() const { return data_ + at_; }
  const char* PieceEnd() const { return data_ + length_; }
  void MoveTo(const char* at) { at_ = static_cast<std::size_t>(at - data_); }
  // Drops what is left of the current piece and reads the next; false at the
  // end of the text.
  bool NextPiece();
  // Ends the text where it stands (a scan met its NUL).
  void End() {
    ended_ = true;
    at_ = length_ = 0;
  }

 private:
  static constexpr std::size_t kRawSize = 16384;

  bool IsUtf16() const { return encoding_ >= Encoding::kUtf16Le; }
  bool DecideUtf8();
  void Start();
  // The `n` bytes read into raw_, from `from` on, as the current piece.
  void HandOnBytes(std::size_t from, std::size_t n) {
    data_ = raw_ + from;
    at_ = 0;
    length_ = n - from;
    raw_[n] = '\0';
  }
  void Decode(std::size_t n);

  Source& source_;
  Encoding encoding_ = Encoding::kUtf8;
  bool decided_ = false;
  // One byte more than is read: a NUL after the text as a sentinel.
  char raw_[kRawSize + 1];
  // Each two-byte unit becomes at most three bytes, a surrogate pair four.
  char decoded_[kRawSize / 2 * 3 + 4 + 1];
  const char* data_ = raw_;
  std::size_t at_ = 0;
  std::size_t length_ = 0;
  std::size_t carried_ = 0;        // bytes of UTF-16 left for the next read
  std::uint32_t pendingHigh_ = 0;  // a high surrogate awaiting its partner
  bool last_ = false;   // what is in the buffer is the end of the text
  bool ended_ = false;  // nothing more will be read
};

}  // namespace ini
