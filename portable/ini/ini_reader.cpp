#include "portable/ini/ini_reader.h"

#include <cstdint>
#include <cstring>

#include "portable/ascii.h"
#include "portable/utf.h"

namespace ini {

std::size_t MemorySource::Read(char* buffer, std::size_t capacity) {
  const std::size_t n = capacity < size_ - at_ ? capacity : size_ - at_;
  std::memcpy(buffer, data_ + at_, n);
  at_ += n;
  return n;
}

namespace {

constexpr int kEnd = -1;

// UTF-8's byte-order mark.
constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

class Windows1252Page final : public CodePage {
 public:
  unsigned ToUtf8(char* text, unsigned length, unsigned size,
                  bool* cut) const override {
    return utf::Windows1252ToUtf8(text, length, size, cut);
  }
};

const Windows1252Page kWindows1252;

bool IsBlank(int c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A;
}

bool IsLineEnd(int c) { return c == '\n' || c == '\r'; }

// The first '[' or NUL at or after `p`, where the text is followed by a NUL
// (a sentinel at `end`): the one scan through sections that are not wanted.
// glibc's strchrnul does both in one vectorised pass; elsewhere a plain loop.
const char* FindBracketOrNul(const char* p, const char* end) {
  (void)end;
#if defined(__GLIBC__)
  return strchrnul(p, '[');
#else
  while (*p != '[' && *p != '\0') ++p;
  return p;
#endif
}

// The text of a file as bytes, decoded from UTF-16 when it says so. A NUL
// (a byte, or a code unit of UTF-16) ends the text.
class TextStream {
 public:
  explicit TextStream(Source& source) : source_(source) { Start(); }

  // Whether the bytes handed on are UTF-8: UTF-16 decoded, or a text that
  // is well-formed UTF-8 throughout. Deciding the latter reads the whole
  // text again from its start, once; the stream is used up afterwards.
  bool IsUtf8() {
    if (encoding_ != Encoding::kBytes) return true;
    if (model_ == Model::kUndecided)
      model_ = WholeTextIsUtf8() ? Model::kUtf8 : Model::kEightBit;
    End();
    return model_ == Model::kUtf8;
  }

  // Decides the model at once and starts again from the first byte; false
  // when the source cannot start again.
  bool DecideAndRestart() {
    if (encoding_ != Encoding::kBytes) return true;
    IsUtf8();
    if (!source_.Rewind()) return false;
    encoding_ = Encoding::kBytes;
    data_ = raw_;
    at_ = length_ = carried_ = 0;
    pendingHigh_ = 0;
    utf8Mark_ = last_ = ended_ = false;
    chunkStartsLine_ = true;
    Start();
    return true;
  }

  // How the text is written; a text without UTF-16's mark only once decided.
  ini::Encoding Kind() const {
    if (encoding_ == Encoding::kUtf16Le) return ini::Encoding::kUtf16Le;
    if (encoding_ == Encoding::kUtf16Be) return ini::Encoding::kUtf16Be;
    if (model_ == Model::kEightBit) return ini::Encoding::kCodePage;
    return utf8Mark_ ? ini::Encoding::kUtf8WithMark : ini::Encoding::kUtf8;
  }

  // The next byte, or kEnd.
  int Next() {
    if (at_ == length_ && !Refill()) return kEnd;
    const unsigned char c = static_cast<unsigned char>(data_[at_++]);
    if (c != 0) return c;
    End();
    return kEnd;
  }

  // Consumes the rest of the current line, its line end included.
  void SkipLine() {
    for (;;) {
      if (at_ == length_ && !Refill()) return;
      const char* p = data_ + at_;
      const char* stop = data_ + length_;
      while (p != stop && *p != '\n' && *p != '\r' && *p != '\0') ++p;
      if (p == stop) {
        at_ = length_;
      } else if (*p == '\0') {
        End();
        return;
      } else {
        at_ = static_cast<std::size_t>(p - data_) + 1;
        return;
      }
    }
  }

  // From the start of a line, moves past the next '[' that is the first
  // non-blank character of its line and may open the section `name`;
  // returns false at the end of the text. This is the hot path through
  // sections that are not wanted: it jumps from '[' to '[' and passes over
  // headers of other names without reading them character by character.
  // What it cannot settle within the buffer it leaves to the caller.
  template <typename Name>
  bool NextHeaderFor(const Name& name) {
    bool fromStartsLine = true;
    for (;;) {
      if (at_ == length_) {
        if (!Refill()) return false;
        fromStartsLine = chunkStartsLine_;
      }
      const char* from = data_ + at_;
      const char* end = data_ + length_;
      for (const char* p = from;; ++p) {
        p = FindBracketOrNul(p, end);
        if (p == end) break;
        if (*p == '\0') {
          End();
          return false;
        }
        const char* q = p;
        while (q != from && IsBlank(static_cast<unsigned char>(q[-1]))) --q;
        if (!(q == from ? fromStartsLine : IsLineEnd(q[-1]))) continue;
        if (MayOpen(p + 1, end, name)) {
          at_ = static_cast<std::size_t>(p - data_) + 1;
          return true;
        }
      }
      at_ = length_;
    }
  }

 private:
  // Whether the header text from `p` may be "<blanks>name<blanks>]"; true
  // too when the buffer ends before that is known.
  template <typename Name>
  static bool MayOpen(const char* p, const char* end, const Name& name) {
    while (p != end && IsBlank(static_cast<unsigned char>(*p))) ++p;
    if (static_cast<std::size_t>(end - p) < name.length) return true;
    for (std::size_t i = 0; i < name.length; ++i, ++p) {
      if (ascii::Lower(static_cast<unsigned char>(*p)) !=
          ascii::Lower(static_cast<unsigned char>(name.chars[i])))
        return false;
    }
    while (p != end && IsBlank(static_cast<unsigned char>(*p))) ++p;
    return p == end || *p == ']';
  }

  enum class Encoding { kBytes, kUtf16Le, kUtf16Be };
  enum class Model { kUndecided, kUtf8, kEightBit };
  static constexpr std::size_t kRawSize = 16384;

  // Whether the first `n` bytes read begin with UTF-8's byte-order mark.
  bool HasUtf8Mark(std::size_t n) const {
    if (n < sizeof kUtf8Mark) return false;
    for (std::size_t i = 0; i < sizeof kUtf8Mark; ++i) {
      if (static_cast<unsigned char>(raw_[i]) != kUtf8Mark[i]) return false;
    }
    return true;
  }

  // Reads the whole text from its start and tells whether it is well-formed
  // UTF-8 up to its end or its first NUL (a UTF-8 mark at the start is
  // passed over). A sequence cut by the end of a read is carried to the
  // next one.
  bool WholeTextIsUtf8() {
    if (!source_.Rewind()) return false;
    std::size_t carried = 0;
    bool first = true;
    for (;;) {
      std::size_t n = carried;
      std::size_t got = 0;
      do {
        got = source_.Read(raw_ + n, kRawSize - n);
        n += got;
      } while (got != 0 && first && n < sizeof kUtf8Mark);
      std::size_t from = 0;
      if (first && HasUtf8Mark(n)) from = sizeof kUtf8Mark;
      first = false;
      bool last = got == 0;
      const void* nul = std::memchr(raw_ + from, '\0', n - from);
      if (nul != nullptr) {
        n = static_cast<std::size_t>(static_cast<const char*>(nul) - raw_);
        last = true;
      }
      const std::size_t whole =
          last ? n - from : utf::Boundary(raw_ + from, n - from, n - from);
      if (!utf::IsValid(raw_ + from, whole)) return false;
      if (last) return true;
      carried = n - from - whole;
      std::memmove(raw_, raw_ + from + whole, carried);
    }
  }

  void End() {
    ended_ = true;
    at_ = length_ = 0;
  }

  // Reads the first bytes and recognises a byte-order mark.
  void Start() {
    std::size_t n = 0;
    while (n < 3) {
      const std::size_t got = source_.Read(raw_ + n, kRawSize - n);
      if (got == 0) break;
      n += got;
    }
    const unsigned char* b = reinterpret_cast<const unsigned char*>(raw_);
    std::size_t skip = 0;
    if (HasUtf8Mark(n)) {
      skip = sizeof kUtf8Mark;
      utf8Mark_ = true;
    } else if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
      encoding_ = Encoding::kUtf16Le;
      skip = 2;
    } else if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
      encoding_ = Encoding::kUtf16Be;
      skip = 2;
    }
    if (n == 0) last_ = true;
    if (encoding_ == Encoding::kBytes) {
      data_ = raw_ + skip;
      length_ = n - skip;
      raw_[n] = '\0';
    } else {
      std::memmove(raw_, raw_ + skip, n - skip);
      Decode(n - skip);
    }
  }

  // Whether the text that follows the current piece starts a line: the
  // piece ends in a line end, perhaps followed by blanks.
  void NoteHowPieceEnds() {
    const char* e = data_ + length_;
    while (e != data_ && IsBlank(static_cast<unsigned char>(e[-1]))) --e;
    if (e != data_) chunkStartsLine_ = IsLineEnd(e[-1]);
  }

  bool Refill() {
    NoteHowPieceEnds();
    while (!ended_) {
      if (last_) {
        End();
        break;
      }
      if (encoding_ == Encoding::kBytes) {
        const std::size_t got = source_.Read(raw_, kRawSize);
        if (got == 0) {
          last_ = true;
          continue;
        }
        data_ = raw_;
        at_ = 0;
        length_ = got;
        raw_[got] = '\0';
        return true;
      }
      const std::size_t got =
          source_.Read(raw_ + carried_, kRawSize - carried_);
      if (got == 0) {
        // A lone last byte is dropped; a lone high surrogate becomes U+FFFD.
        last_ = true;
        if (pendingHigh_ == 0) continue;
        pendingHigh_ = 0;
        data_ = decoded_;
        at_ = 0;
        length_ = utf::Encode(utf::kReplacement, decoded_);
        decoded_[length_] = '\0';
        return true;
      }
      Decode(carried_ + got);
      if (length_ != 0) return true;
    }
    return false;
  }

  // Decodes `n` bytes of UTF-16 from raw_ into decoded_. An odd last byte is
  // carried over to the next read; a NUL code unit ends the text.
  void Decode(std::size_t n) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(raw_);
    const bool little = encoding_ == Encoding::kUtf16Le;
    std::size_t out = 0;
    std::size_t i = 0;
    for (; i + 1 < n; i += 2) {
      const std::uint32_t unit =
          little ? (b[i] | (b[i + 1] << 8)) : ((b[i] << 8) | b[i + 1]);
      if (unit == 0) {
        last_ = true;
        pendingHigh_ = 0;
        i = n;
        break;
      }
      if (pendingHigh_ != 0) {
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        out += utf::Encode(
            low ? 0x10000 + ((pendingHigh_ - 0xD800) << 10) + (unit - 0xDC00)
                : utf::kReplacement,
            decoded_ + out);
        pendingHigh_ = 0;
        if (low) continue;
      }
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        pendingHigh_ = unit;
      } else {
        const bool strayLow = unit >= 0xDC00 && unit <= 0xDFFF;
        out += utf::Encode(strayLow ? utf::kReplacement : unit, decoded_ + out);
      }
    }
    carried_ = n - i;
    if (carried_ != 0) raw_[0] = raw_[i];
    data_ = decoded_;
    at_ = 0;
    length_ = out;
    decoded_[out] = '\0';
  }

  Source& source_;
  Encoding encoding_ = Encoding::kBytes;
  Model model_ = Model::kUndecided;  // of a text without UTF-16's mark
  // One byte more than is read: a NUL after the text as a sentinel.
  char raw_[kRawSize + 1];
  // Each two-byte unit becomes at most three bytes, a surrogate pair four.
  char decoded_[kRawSize / 2 * 3 + 4 + 1];
  const char* data_ = raw_;
  std::size_t at_ = 0;
  std::size_t length_ = 0;
  std::size_t carried_ = 0;
  std::uint32_t pendingHigh_ = 0;
  bool utf8Mark_ = false;        // a UTF-8 byte-order mark was skipped
  bool last_ = false;            // what is in the buffer is the end of the text
  bool ended_ = false;           // nothing more will be read
  bool chunkStartsLine_ = true;  // the current piece begins a line
};

// A requested section or key name, trimmed of blanks.
struct Name {
  explicit Name(const char* text) {
    while (IsBlank(static_cast<unsigned char>(*text))) ++text;
    std::size_t n = std::strlen(text);
    while (n > 0 && IsBlank(static_cast<unsigned char>(text[n - 1]))) --n;
    chars = text;
    length = n;
  }
  const char* chars;
  std::size_t length;
};

// Compares a name in the file, fed one character at a time, with a requested
// name. Blanks before and after the name in the file are ignored; blanks
// inside it must match exactly.
class NameMatcher {
 public:
  explicit NameMatcher(const Name& name) : name_(name) {}

  void Feed(int c) {
    if (failed_) return;
    if (IsBlank(c)) {
      if (at_ == 0 && pending_ == 0) return;  // leading blank
      if (at_ + pending_ >= name_.length || name_.chars[at_ + pending_] != c)
        blankMismatch_ = true;
      ++pending_;
      return;
    }
    if (blankMismatch_) {
      failed_ = true;
      return;
    }
    at_ += pending_;
    pending_ = 0;
    if (at_ >= name_.length || ascii::Lower(static_cast<unsigned char>(
                                   name_.chars[at_])) != ascii::Lower(c)) {
      failed_ = true;
      return;
    }
    ++at_;
  }

  bool Failed() const { return failed_; }
  bool Matched() const { return !failed_ && at_ == name_.length; }

 private:
  const Name& name_;
  std::size_t at_ = 0;
  std::size_t pending_ = 0;
  bool blankMismatch_ = false;
  bool failed_ = false;
};

// Collects a value into the caller's buffer: its first `size` bytes are kept
// (enough for size - 1 once a quote is removed), while the position and
// character of the last non-blank are tracked to the end of the line.
class ValueCollector {
 public:
  ValueCollector(char* buffer, unsigned size) : buffer_(buffer), size_(size) {}

  void Feed(int c) {
    if (length_ == 0 && IsBlank(c)) return;
    if (length_ < size_) buffer_[length_] = static_cast<char>(c);
    if (length_ == 0) first_ = c;
    ++length_;
    if (!IsBlank(c)) {
      trimmed_ = length_;
      last_ = c;
    }
  }

  // Removes one pair of matching quotes, cuts, terminates; returns the count
  // and tells in `cut` whether the value was longer. `eightBit()` is asked
  // only for a value that holds a byte above 0x7F: the code page of an
  // 8-bit text, or null for UTF-8.
  template <typename EightBit>
  unsigned Finish(bool* cut, const EightBit& eightBit) {
    std::uint64_t n = trimmed_;
    std::size_t from = 0;
    if (n >= 2 && (first_ == '"' || first_ == '\'') && last_ == first_) {
      from = 1;
      n -= 2;
    }
    const std::size_t held =
        n < size_ - 1 ? static_cast<std::size_t>(n) : std::size_t{size_ - 1};
    const CodePage* page = HasHighByte(from, held) ? eightBit() : nullptr;
    if (page != nullptr) {
      std::memmove(buffer_, buffer_ + from, held);
      bool shortened = false;
      const unsigned stored =
          page->ToUtf8(buffer_, static_cast<unsigned>(held), size_, &shortened);
      *cut = n > held || shortened;
      return stored;
    }
    *cut = n > size_ - 1;
    // UTF-8 here is well-formed (a text that is not is 8-bit): a character
    // that starts in the kept bytes and is not whole there runs past them.
    if (*cut) n = utf::Boundary(buffer_ + from, size_ - 1, size_ - 1);
    std::memmove(buffer_, buffer_ + from, static_cast<std::size_t>(n));
    buffer_[n] = '\0';
    return static_cast<unsigned>(n);
  }

 private:
  bool HasHighByte(std::size_t from, std::size_t length) const {
    for (std::size_t i = from; i < from + length; ++i) {
      if (static_cast<unsigned char>(buffer_[i]) >= 0x80) return true;
    }
    return false;
  }

  char* buffer_;
  unsigned size_;
  std::uint64_t length_ = 0;
  std::uint64_t trimmed_ = 0;
  int first_ = 0;
  int last_ = 0;
};

unsigned CopyFallback(const char* fallback, char* buffer, unsigned size,
                      bool* cut) {
  if (fallback == nullptr) fallback = "";
  std::size_t n = std::strlen(fallback);
  if (cut != nullptr) *cut = n > size - 1;
  if (n > size - 1) n = utf::Boundary(fallback, n, size - 1);
  std::memmove(buffer, fallback, n);
  buffer[n] = '\0';
  return static_cast<unsigned>(n);
}

enum class Lookup { kMissing, kNoValue, kValue };

// Finds `key` in the first section named `section`. On kValue the value is in
// `buffer`, converted from `codePage` when the text is 8-bit; with a null
// `codePage` its bytes are kept as they are (a number reads the same).
Lookup Find(TextStream& in, const Name& section, const Name& key, char* buffer,
            unsigned size, bool* cut, const CodePage* codePage) {
  // Lines before the first header belong to a section without a name.
  bool inTarget = section.length == 0;
  for (;;) {
    int c;
    if (inTarget) {
      c = in.Next();
      while (IsBlank(c)) c = in.Next();
      if (c == kEnd) return Lookup::kMissing;
      if (IsLineEnd(c)) continue;
      if (c == ';') {
        in.SkipLine();
        continue;
      }
    } else {
      // Outside the wanted section only its own header matters.
      if (!in.NextHeaderFor(section)) return Lookup::kMissing;
      c = '[';
    }
    const bool maybeHeader = c == '[';

    NameMatcher sectionName(section);
    NameMatcher keyName(key);
    ValueCollector value(buffer, size);
    bool header = false;      // a ']' closed the section name
    bool equals = false;      // the key ended at '='
    bool collecting = false;  // the key matched: the rest is its value
    if (inTarget) keyName.Feed(c);
    for (;;) {
      c = in.Next();
      if (c == kEnd || IsLineEnd(c)) break;
      if (maybeHeader && c == ']') {
        header = true;
        in.SkipLine();
        break;
      }
      if (maybeHeader) sectionName.Feed(c);
      if (!inTarget) continue;
      if (collecting) {
        value.Feed(c);
      } else if (!equals && c == '=') {
        equals = true;
        collecting = keyName.Matched();
      } else if (!equals) {
        keyName.Feed(c);
      }
      if (!maybeHeader && ((equals && !collecting) || keyName.Failed())) {
        in.SkipLine();
        break;
      }
    }

    if (header) {
      // Only the first section of a name is visible: leaving it ends the
      // search.
      if (inTarget) return Lookup::kMissing;
      inTarget = sectionName.Matched();
      continue;
    }
    if (!inTarget) continue;
    if (collecting) {
      value.Finish(cut, [&in, codePage]() -> const CodePage* {
        return codePage == nullptr || in.IsUtf8() ? nullptr : codePage;
      });
      return Lookup::kValue;
    }
    if (!equals && keyName.Matched()) return Lookup::kNoValue;
  }
}

}  // namespace

namespace {

long FindValue(Source* source, const char* section, const char* key,
               char* buffer, unsigned size, bool* cut,
               const CodePage* codePage) {
  bool wasCut = false;
  if (cut != nullptr) *cut = false;
  if (size == 0 || source == nullptr || section == nullptr || key == nullptr)
    return -1;
  TextStream in(*source);
  if (Find(in, Name(section), Name(key), buffer, size, &wasCut, codePage) !=
      Lookup::kValue)
    return -1;
  if (cut != nullptr) *cut = wasCut;
  return static_cast<long>(std::strlen(buffer));
}

}  // namespace

const CodePage& Windows1252() { return kWindows1252; }

long FindIn(Source* source, const char* section, const char* key, char* buffer,
            unsigned size, bool* cut, const CodePage& codePage) {
  return FindValue(source, section, key, buffer, size, cut, &codePage);
}

unsigned GetIn(Source* source, const char* section, const char* key,
               const char* fallback, char* buffer, unsigned size, bool* cut,
               const CodePage& codePage) {
  if (cut != nullptr) *cut = false;
  if (size == 0) return 0;
  const long found = FindIn(source, section, key, buffer, size, cut, codePage);
  if (found >= 0) return static_cast<unsigned>(found);
  return CopyFallback(fallback, buffer, size, cut);
}

int GetInt(Source* source, const char* section, const char* key, int fallback) {
  int value = fallback;
  FindInt(source, section, key, fallback, &value);
  return value;
}

bool FindInt(Source* source, const char* section, const char* key, int fallback,
             int* value) {
  // Only the first 29 characters of a value are read as a number, as the
  // Windows function reads it through a buffer of 30.
  // The digits are ASCII in every model, so the text is never decided.
  char text[30];
  const long found =
      FindValue(source, section, key, text, sizeof text, nullptr, nullptr);
  if (found < 0) return false;
  *value = found == 0 ? fallback : ParseInt(text);
  return true;
}

namespace {

// Collects a name, trimmed of blanks; its first kNameSize - 1 bytes are kept.
class NameCollector {
 public:
  void Feed(int c) {
    if (length_ == 0 && IsBlank(c)) return;
    if (length_ < kNameSize - 1) text_[length_] = static_cast<char>(c);
    ++length_;
    if (!IsBlank(c)) trimmed_ = length_;
  }

  // The name, converted from `codePage` when it is not null.
  const char* Finish(bool* cut, const CodePage* codePage) {
    *cut = trimmed_ > kNameSize - 1;
    const unsigned n = static_cast<unsigned>(*cut ? kNameSize - 1 : trimmed_);
    text_[n] = '\0';
    if (codePage != nullptr) {
      bool shortened = false;
      codePage->ToUtf8(text_, n, kNameSize, &shortened);
      *cut |= shortened;
    } else if (*cut) {
      text_[utf::Boundary(text_, n, n)] = '\0';
    }
    return text_;
  }

 private:
  char text_[kNameSize];
  std::uint64_t length_ = 0;
  std::uint64_t trimmed_ = 0;
};

// Moves past the line end `ending` (a CR and the LF after it are one) and
// returns the first character of the next line.
int NextLine(TextStream& in, int ending, unsigned long* number) {
  ++*number;
  const int c = in.Next();
  return ending == '\r' && c == '\n' ? in.Next() : c;
}

int RestOfLine(TextStream& in, int c) {
  while (c != kEnd && !IsLineEnd(c)) c = in.Next();
  return c;
}

}  // namespace

Encoding Scan(Source* source, char* buffer, unsigned size, LineVisitor* visitor,
              const CodePage* codePage) {
  TextStream in(*source);
  // A source that cannot start again is read as 8-bit text from where the
  // decision left it: nothing, as for an unreadable file.
  in.DecideAndRestart();
  const CodePage* page = in.Kind() != Encoding::kCodePage ? nullptr
                         : codePage != nullptr            ? codePage
                                                          : &Windows1252();
  visitor->Begin(in.Kind());
  unsigned long number = 1;
  unsigned long column = 1;  // of c, on its line
  // The next character; a byte that continues a UTF-8 sequence takes no
  // column of its own.
  const auto advance = [&in, &column](int current) {
    column += (current & 0xC0) != 0x80;
    return in.Next();
  };
  int c = in.Next();
  for (;;) {
    while (IsBlank(c)) c = advance(c);
    if (c == kEnd) break;
    if (c == ';') c = RestOfLine(in, in.Next());
    if (c == kEnd) break;
    if (IsLineEnd(c)) {
      c = NextLine(in, c, &number);
      column = 1;
      continue;
    }
    const unsigned long start = column;
    unsigned long valueColumn = 0;

    // As in Find: a line that opens with '[' is a header once a ']' follows
    // on it; until then it is read as a key line too.
    const bool maybeHeader = c == '[';
    NameCollector section;
    NameCollector key;
    ValueCollector value(buffer, size);
    bool header = false;
    bool equals = false;
    key.Feed(c);
    for (;;) {
      c = advance(c);
      if (equals && valueColumn == 0 && !IsBlank(c)) valueColumn = column;
      if (c == kEnd || IsLineEnd(c)) break;
      if (maybeHeader && c == ']') {
        header = true;
        c = RestOfLine(in, in.Next());
        break;
      }
      if (maybeHeader) section.Feed(c);
      if (equals) {
        value.Feed(c);
      } else if (c == '=') {
        equals = true;
      } else {
        key.Feed(c);
      }
    }

    Line line{};
    line.number = number;
    line.kind = header ? Line::kSection : Line::kKey;
    line.name = header ? section.Finish(&line.nameCut, page)
                       : key.Finish(&line.nameCut, page);
    line.hasValue = !header && equals;
    line.value = "";
    line.column = start;
    line.valueColumn = valueColumn;
    if (line.hasValue) {
      line.valueLength =
          value.Finish(&line.valueCut, [page]() { return page; });
      line.value = buffer;
    }
    visitor->Visit(line);
    if (c == kEnd) break;
    c = NextLine(in, c, &number);
    column = 1;
  }
  return in.Kind();
}

int ParseInt(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != '\0' && *p <= ' ') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  unsigned base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
    base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
    p += 2;
  }
  std::uint32_t total = 0;
  for (;; ++p) {
    unsigned digit;
    if (*p >= '0' && *p <= '9') {
      digit = *p - '0';
    } else if (*p >= 'a' && *p <= 'z') {
      digit = *p - 'a' + 10;
    } else if (*p >= 'A' && *p <= 'Z') {
      digit = *p - 'A' + 10;
    } else {
      break;
    }
    if (digit >= base) break;
    total = total * base + digit;
  }
  if (negative) total = 0u - total;
  return static_cast<int>(total);
}

}  // namespace ini
