#include "platform/win32/utf.h"

namespace utf {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char16_t kHighFirst = 0xD800, kLowFirst = 0xDC00, kLowLast = 0xDFFF;

bool IsHigh(char32_t unit) { return unit >= kHighFirst && unit < kLowFirst; }
bool IsLow(char32_t unit) { return unit >= kLowFirst && unit <= kLowLast; }

// The well-formed range of the second byte after `lead`, and how many
// continuation bytes follow the lead; 0 for a byte that starts nothing.
struct Lead {
  unsigned continuations;
  unsigned char secondLow, secondHigh;
  char32_t bits;
};

Lead ReadLead(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return {1, 0x80, 0xBF, b & 0x1Fu};
  if (b == 0xE0) return {2, 0xA0, 0xBF, 0};    // no overlong forms
  if (b == 0xED) return {2, 0x80, 0x9F, 0xD};  // no surrogates
  if (b >= 0xE1 && b <= 0xEF) return {2, 0x80, 0xBF, b & 0x0Fu};
  if (b == 0xF0) return {3, 0x90, 0xBF, 0};
  if (b >= 0xF1 && b <= 0xF3) return {3, 0x80, 0xBF, b & 0x07u};
  if (b == 0xF4) return {3, 0x80, 0x8F, 4};  // nothing above U+10FFFF
  return {0, 0, 0, 0};
}

// Decodes one character at `text` (not at its terminator) and returns it;
// `used` receives the bytes taken. An ill-formed sequence gives U+FFFD and
// takes its longest well-formed beginning, at least one byte.
char32_t Decode(const unsigned char* text, unsigned* used) {
  *used = 1;
  if (text[0] < 0x80) return text[0];
  const Lead lead = ReadLead(text[0]);
  if (lead.continuations == 0) return kReplacement;
  char32_t c = lead.bits;
  for (unsigned i = 1; i <= lead.continuations; ++i) {
    const unsigned char low = i == 1 ? lead.secondLow : 0x80;
    const unsigned char high = i == 1 ? lead.secondHigh : 0xBF;
    if (text[i] < low || text[i] > high) return kReplacement;
    c = (c << 6) | (text[i] & 0x3Fu);
    *used = i + 1;
  }
  return c;
}

unsigned Utf8Length(char32_t c) {
  return c < 0x80 ? 1 : c < 0x800 ? 2 : c < kFirstSupplementary ? 3 : 4;
}

void Encode(char32_t c, char* out, unsigned n) {
  static const unsigned char kLeadMark[] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (unsigned i = n - 1; i > 0; --i) {
    out[i] = static_cast<char>(0x80 | (c & 0x3F));
    c >>= 6;
  }
  out[0] = static_cast<char>(kLeadMark[n] | c);
}

}  // namespace

bool ToUtf16(const char* text, char16_t* out, unsigned size) {
  if (size == 0) return text[0] == '\0';
  const unsigned char* in = reinterpret_cast<const unsigned char*>(text);
  unsigned at = 0;
  while (*in != 0) {
    unsigned used = 0;
    const char32_t c = Decode(in, &used);
    const unsigned units = c < kFirstSupplementary ? 1 : 2;
    if (size - 1 - at < units) {
      out[at] = 0;
      return false;
    }
    if (units == 1) {
      out[at++] = static_cast<char16_t>(c);
    } else {
      const char32_t v = c - kFirstSupplementary;
      out[at++] = static_cast<char16_t>(kHighFirst + (v >> 10));
      out[at++] = static_cast<char16_t>(kLowFirst + (v & 0x3FF));
    }
    in += used;
  }
  out[at] = 0;
  return true;
}

unsigned ToUtf8(const char16_t* text, unsigned length, char* out, unsigned size,
                bool* cut) {
  if (cut != nullptr) *cut = false;
  if (size == 0) {
    if (cut != nullptr) *cut = length > 0 && text[0] != 0;
    return 0;
  }
  unsigned at = 0;
  for (unsigned i = 0; i < length && text[i] != 0;) {
    char32_t c = text[i];
    unsigned units = 1;
    if (IsHigh(c) && i + 1 < length && IsLow(text[i + 1])) {
      c = kFirstSupplementary + ((c - kHighFirst) << 10) +
          (text[i + 1] - kLowFirst);
      units = 2;
    } else if (IsHigh(c) || IsLow(c)) {
      c = kReplacement;
    }
    const unsigned n = Utf8Length(c);
    if (size - 1 - at < n) {
      if (cut != nullptr) *cut = true;
      break;
    }
    Encode(c, out + at, n);
    at += n;
    i += units;
  }
  out[at] = '\0';
  return at;
}

unsigned Length(const char16_t* text) {
  unsigned n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace utf
