#include "portable/utf.h"

namespace utf {
namespace {

// What a lead byte says: how many continuation bytes follow it, the
// well-formed range of the second byte (which rules out overlong forms,
// surrogates and code points above U+10FFFF), and its own bits of the code
// point. No continuations: a byte that starts nothing (80-C1, F5-FF).
struct Lead {
  unsigned continuations;
  unsigned char secondLow, secondHigh;
  char32_t bits;
};

// Every lead byte that starts a sequence, in ranges that do not overlap. A
// table in read-only data rather than a chain of tests: the compiler turns
// the chain into a writable jump table of its own.
struct LeadRange {
  unsigned char first, last, continuations, secondLow, secondHigh;
};
constexpr LeadRange kLeadRanges[] = {
    {0xC2, 0xDF, 1, 0x80, 0xBF}, {0xE0, 0xE0, 2, 0xA0, 0xBF},
    {0xE1, 0xEC, 2, 0x80, 0xBF}, {0xED, 0xED, 2, 0x80, 0x9F},
    {0xEE, 0xEF, 2, 0x80, 0xBF}, {0xF0, 0xF0, 3, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x80, 0xBF}, {0xF4, 0xF4, 3, 0x80, 0x8F},
};

Lead ReadLead(unsigned char b) {
  for (const LeadRange& range : kLeadRanges) {
    if (b < range.first || b > range.last) continue;
    // The lead's own bits: those below its marker of 1 + n one-bits.
    const char32_t bits = b & (0x3Fu >> range.continuations);
    return {range.continuations, range.secondLow, range.secondHigh, bits};
  }
  return {0, 0, 0, 0};
}

bool Continues(const Lead& lead, std::size_t index, unsigned char b) {
  const unsigned char low = index == 1 ? lead.secondLow : 0x80;
  const unsigned char high = index == 1 ? lead.secondHigh : 0xBF;
  return b >= low && b <= high;
}

// Windows-1252 from 0x80 to 0x9F; 0 marks the five undefined bytes.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

std::size_t SequenceLength(const unsigned char* text, std::size_t size) {
  if (size == 0) return 0;
  if (text[0] < 0x80) return 1;
  const Lead lead = ReadLead(text[0]);
  if (lead.continuations == 0 || size <= lead.continuations) return 0;
  for (std::size_t i = 1; i <= lead.continuations; ++i) {
    if (!Continues(lead, i, text[i])) return 0;
  }
  return lead.continuations + 1;
}

bool IsValid(const char* text, std::size_t size) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (std::size_t i = 0; i < size;) {
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    const std::size_t n = SequenceLength(bytes + i, size - i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

char32_t Decode(const unsigned char* text, std::size_t size, unsigned* used) {
  *used = 1;
  if (text[0] < 0x80) return text[0];
  const Lead lead = ReadLead(text[0]);
  if (lead.continuations == 0) return kReplacement;
  char32_t c = lead.bits;
  for (unsigned i = 1; i <= lead.continuations; ++i) {
    if (i >= size || !Continues(lead, i, text[i])) return kReplacement;
    c = (c << 6) | (text[i] & 0x3Fu);
    *used = i + 1;
  }
  return c;
}

unsigned EncodedLength(char32_t c) {
  return c < 0x80 ? 1 : c < 0x800 ? 2 : c < kFirstSupplementary ? 3 : 4;
}

unsigned Encode(char32_t c, char* out) {
  static const unsigned char kLeadMark[] = {0, 0, 0xC0, 0xE0, 0xF0};
  const unsigned n = EncodedLength(c);
  for (unsigned i = n - 1; i > 0; --i) {
    out[i] = static_cast<char>(0x80 | (c & 0x3F));
    c >>= 6;
  }
  out[0] = static_cast<char>(kLeadMark[n] | c);
  return n;
}

std::size_t Boundary(const char* text, std::size_t length, std::size_t keep) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (std::size_t back = 1; back <= 3 && back <= keep; ++back) {
    const std::size_t start = keep - back;
    if ((bytes[start] & 0xC0) == 0x80) continue;  // inside a sequence
    const Lead lead = ReadLead(bytes[start]);
    if (lead.continuations < back) return keep;  // ends within the kept bytes
    for (std::size_t i = 1; i <= lead.continuations && start + i < length;
         ++i) {
      if (!Continues(lead, i, bytes[start + i])) return keep;
    }
    return start;
  }
  return keep;
}

bool ToUtf16(const char* text, char16_t* out, unsigned size) {
  if (size == 0) return text[0] == '\0';
  const unsigned char* in = reinterpret_cast<const unsigned char*>(text);
  unsigned at = 0;
  while (*in != 0) {
    unsigned used = 0;
    // The terminator stops a sequence as any other byte that continues
    // nothing does, so no more than the text is read.
    const char32_t c = Decode(in, 4, &used);
    const unsigned units = c < kFirstSupplementary ? 1 : 2;
    if (size - 1 - at < units) {
      out[at] = 0;
      return false;
    }
    if (units == 1) {
      out[at++] = static_cast<char16_t>(c);
    } else {
      const char32_t v = c - kFirstSupplementary;
      out[at++] = static_cast<char16_t>(kFirstHighSurrogate + (v >> 10));
      out[at++] = static_cast<char16_t>(kFirstLowSurrogate + (v & 0x3FF));
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
    if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
      c = FromSurrogates(c, text[i + 1]);
      units = 2;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      c = kReplacement;
    }
    if (size - 1 - at < EncodedLength(c)) {
      if (cut != nullptr) *cut = true;
      break;
    }
    at += Encode(c, out + at);
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

char32_t FromWindows1252(unsigned char byte) {
  if (byte < 0x80 || byte >= 0xA0) return byte;
  const char32_t c = kWindows1252High[byte - 0x80];
  return c != 0 ? c : kReplacement;
}

unsigned Windows1252ToUtf8(char* text, unsigned length, unsigned size,
                           bool* cut) {
  // How many bytes fit once converted; then each is written from the last
  // one back, so that no byte is overwritten before it is read (every byte
  // takes at least as much room in UTF-8 as it had).
  unsigned taken = 0, total = 0;
  for (; taken < length; ++taken) {
    const unsigned n =
        EncodedLength(FromWindows1252(static_cast<unsigned char>(text[taken])));
    if (total + n > size - 1) break;
    total += n;
  }
  *cut = taken < length;
  unsigned end = total;
  for (unsigned i = taken; i > 0; --i) {
    const char32_t c = FromWindows1252(static_cast<unsigned char>(text[i - 1]));
    end -= EncodedLength(c);
    Encode(c, text + end);
  }
  text[total] = '\0';
  return total;
}

}  // namespace utf
