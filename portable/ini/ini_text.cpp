// Bytes of a file into text: the byte-order mark, the one decision between
// UTF-8 and 8-bit text, UTF-16 decoded, the NUL that ends a text.
#include "portable/ini/ini_text.h"

#include <cstring>

#include "portable/utf.h"

namespace ini {

std::size_t MemorySource::Read(char* buffer, std::size_t capacity) {
  const std::size_t n = capacity < size_ - at_ ? capacity : size_ - at_;
  std::memcpy(buffer, data_ + at_, n);
  at_ += n;
  return n;
}

namespace {

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

// Whether the first `n` bytes of `text` begin with UTF-8's byte-order mark.
bool HasUtf8Mark(const char* text, std::size_t n) {
  if (n < sizeof kUtf8Mark) return false;
  for (std::size_t i = 0; i < sizeof kUtf8Mark; ++i) {
    if (static_cast<unsigned char>(text[i]) != kUtf8Mark[i]) return false;
  }
  return true;
}

// Reads the whole text from its start and tells whether it is well-formed
// UTF-8 up to its end or its first NUL (a UTF-8 mark at the start is passed
// over), using `raw` for its pieces. A sequence cut by the end of a read is
// carried to the next one.
bool WholeTextIsUtf8(Source& source, char* raw, std::size_t capacity) {
  if (!source.Rewind()) return false;
  std::size_t carried = 0;
  bool first = true;
  for (;;) {
    std::size_t n = carried;
    std::size_t got = 0;
    do {
      got = source.Read(raw + n, capacity - n);
      n += got;
    } while (got != 0 && first && n < sizeof kUtf8Mark);
    std::size_t from = 0;
    if (first && HasUtf8Mark(raw, n)) from = sizeof kUtf8Mark;
    first = false;
    bool last = got == 0;
    const void* nul = std::memchr(raw + from, '\0', n - from);
    if (nul != nullptr) {
      n = static_cast<std::size_t>(static_cast<const char*>(nul) - raw);
      last = true;
    }
    const std::size_t whole =
        last ? n - from : utf::Boundary(raw + from, n - from, n - from);
    if (!utf::IsValid(raw + from, whole)) return false;
    if (last) return true;
    carried = n - from - whole;
    std::memmove(raw, raw + from + whole, carried);
  }
}

}  // namespace

const CodePage& Windows1252() { return kWindows1252; }

bool TextStream::DecideUtf8() {
  if (!decided_) {
    if (!WholeTextIsUtf8(source_, raw_, kRawSize))
      encoding_ = Encoding::kCodePage;
    decided_ = true;
  }
  End();
  return encoding_ != Encoding::kCodePage;
}

bool TextStream::DecideAndRestart() {
  if (IsUtf16()) return true;
  DecideUtf8();
  if (!source_.Rewind()) return false;
  data_ = raw_;
  at_ = length_ = carried_ = 0;
  pendingHigh_ = 0;
  last_ = ended_ = false;
  Start();
  return true;
}

void TextStream::SkipLine() {
  for (;;) {
    if (at_ == length_ && !NextPiece()) return;
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

bool TextStream::NextPiece() {
  while (!ended_) {
    if (last_) break;
    if (!IsUtf16()) {
      const std::size_t got = source_.Read(raw_, kRawSize);
      if (got == 0) {
        last_ = true;
        continue;
      }
      HandOnBytes(0, got);
      if (length_ != 0) return true;
      continue;
    }
    const std::size_t got = source_.Read(raw_ + carried_, kRawSize - carried_);
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
  End();
  return false;
}

// Reads the first bytes and recognises a byte-order mark. A text read again
// once decided keeps its decision (its UTF-8 mark is passed over again).
void TextStream::Start() {
  std::size_t n = 0;
  while (n < 3) {
    const std::size_t got = source_.Read(raw_ + n, kRawSize - n);
    if (got == 0) break;
    n += got;
  }
  if (n == 0) last_ = true;
  const unsigned char* b = reinterpret_cast<const unsigned char*>(raw_);
  std::size_t mark = 0;
  if (HasUtf8Mark(raw_, n)) {
    if (!decided_) encoding_ = Encoding::kUtf8WithMark;
    mark = sizeof kUtf8Mark;
  } else if (!decided_ && n >= 2 &&
             ((b[0] == 0xFF && b[1] == 0xFE) ||
              (b[0] == 0xFE && b[1] == 0xFF))) {
    encoding_ = b[0] == 0xFF ? Encoding::kUtf16Le : Encoding::kUtf16Be;
    decided_ = true;
    std::memmove(raw_, raw_ + 2, n - 2);
    Decode(n - 2);
    return;
  }
  HandOnBytes(mark, n);
}

// Decodes `n` bytes of UTF-16 from raw_ into decoded_. An odd last byte is
// carried over to the next read; a NUL code unit ends the text.
void TextStream::Decode(std::size_t n) {
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
      const bool low = utf::IsLowSurrogate(unit);
      out += utf::Encode(
          low ? utf::FromSurrogates(pendingHigh_, unit) : utf::kReplacement,
          decoded_ + out);
      pendingHigh_ = 0;
      if (low) continue;
    }
    if (utf::IsHighSurrogate(unit)) {
      pendingHigh_ = unit;
    } else {
      out += utf::Encode(utf::IsLowSurrogate(unit) ? utf::kReplacement : unit,
                         decoded_ + out);
    }
  }
  carried_ = n - i;
  if (carried_ != 0) raw_[0] = raw_[i];
  data_ = decoded_;
  at_ = 0;
  length_ = out;
  decoded_[out] = '\0';
}

}  // namespace ini
