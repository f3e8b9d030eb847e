// The lookups of the profile functions on a file's text (ini_text.h hands
// it over): blanks, comments, section headers, keys and quoted values, and
// the walk through a whole text for the checker.
#include "portable/ini/ini_reader.h"

#include <cstdint>
#include <cstring>

#include "portable/ascii.h"
#include "portable/utf.h"

namespace ini {

namespace {

constexpr int kEnd = TextStream::kEnd;

bool IsBlank(int c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A;
}

bool IsLineEnd(int c) { return c == '\n' || c == '\r'; }

// The first '[' or NUL at or after `p` in a piece of text (the NUL after the
// piece at the latest): the one scan through sections that are not wanted.
// glibc's strchrnul does both in one vectorised pass; elsewhere a plain loop.
const char* FindBracketOrNul(const char* p) {
#if defined(__GLIBC__)
  return strchrnul(p, '[');
#else
  while (*p != '[' && *p != '\0') ++p;
  return p;
#endif
}

// Whether the header text from `p` may be "<blanks>name<blanks>]"; true too
// when the piece ends before that is known.
template <typename Name>
bool MayOpen(const char* p, const char* end, const Name& name) {
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

// From the start of a line, moves past the next '[' that is the first
// non-blank character of its line and may open the section `name`; returns
// false at the end of the text. This is the hot path through sections that
// are not wanted: it jumps from '[' to '[' and passes over headers of other
// names without reading them character by character. What it cannot settle
// within a piece it leaves to the caller.
template <typename Name>
bool NextHeaderFor(TextStream& in, const Name& name) {
  bool fromStartsLine = true;
  for (;;) {
    if (in.Rest() == in.PieceEnd() && !in.NextPiece()) return false;
    const char* from = in.Rest();
    const char* end = in.PieceEnd();
    for (const char* p = FindBracketOrNul(from); p != end;
         p = FindBracketOrNul(p + 1)) {
      if (*p == '\0') {
        in.End();
        return false;
      }
      const char* q = p;
      while (q != from && IsBlank(static_cast<unsigned char>(q[-1]))) --q;
      if (!(q == from ? fromStartsLine : IsLineEnd(q[-1]))) continue;
      if (MayOpen(p + 1, end, name)) {
        in.MoveTo(p + 1);
        return true;
      }
    }
    // Whether the next piece starts a line: this one ends in a line end,
    // perhaps followed by blanks.
    const char* e = end;
    while (e != from && IsBlank(static_cast<unsigned char>(e[-1]))) --e;
    if (e != from) fromStartsLine = IsLineEnd(e[-1]);
    in.MoveTo(end);
  }
}

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
      if (!NextHeaderFor(in, section)) return Lookup::kMissing;
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
  // The digits are ASCII in every encoding, so the text is never decided.
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
