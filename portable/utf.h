// The one text codec of the project: UTF-8, UTF-16 and Windows-1252, on
// fixed buffers. Plain functions with no heap, no C runtime and no system
// call, so that the core, the INI reader, the Windows layer (which links no
// C runtime) and the emulation all build the same code.
//
// Nothing here fails on bad input: what is not a character (a byte that
// cannot start or continue UTF-8, a UTF-16 surrogate without its partner, as
// a damaged file may hold) becomes U+FFFD, the replacement character. Left
// out: other code pages (each platform converts them with its own system).
#pragma once

#include <cstddef>

namespace utf {

constexpr char32_t kReplacement = 0xFFFD;

// UTF-16's surrogates: a high one (D800-DBFF) and the low one (DC00-DFFF)
// after it are one character from U+10000 up; either alone is no character.
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kFirstHighSurrogate = 0xD800;
constexpr char32_t kFirstLowSurrogate = 0xDC00;
constexpr char32_t kLastLowSurrogate = 0xDFFF;
constexpr bool IsHighSurrogate(char32_t unit) {
  return unit >= kFirstHighSurrogate && unit < kFirstLowSurrogate;
}
constexpr bool IsLowSurrogate(char32_t unit) {
  return unit >= kFirstLowSurrogate && unit <= kLastLowSurrogate;
}
constexpr char32_t FromSurrogates(char32_t high, char32_t low) {
  return kFirstSupplementary + ((high - kFirstHighSurrogate) << 10) +
         (low - kFirstLowSurrogate);
}

// Length (1 to 4) of the well-formed UTF-8 sequence that starts `text`, of
// which `size` bytes are there; 0 when there is none: a stray continuation
// byte, a cut sequence, an overlong form (C0 AF), a surrogate (ED A0 80) or a
// code point above U+10FFFF (F4 90 80 80).
std::size_t SequenceLength(const unsigned char* text, std::size_t size);

// Whether all `size` bytes of `text` are well-formed UTF-8.
bool IsValid(const char* text, std::size_t size);

// The character at `text` (`size` > 0 bytes there); `used` receives the bytes
// it takes. An ill-formed sequence gives U+FFFD and takes its longest
// well-formed beginning, at least one byte.
char32_t Decode(const unsigned char* text, std::size_t size, unsigned* used);

// Bytes (1 to 4) that `c` takes in UTF-8, and writes them to `out`.
unsigned EncodedLength(char32_t c);
unsigned Encode(char32_t c, char* out);

// How many of the first `keep` bytes of `text` (`length` >= `keep` bytes
// known) to keep so that no character is split: a sequence that starts in
// the kept bytes, is well-formed as far as it is known and runs past them is
// left out whole. Bytes that are no UTF-8 are cut where the count says.
std::size_t Boundary(const char* text, std::size_t length, std::size_t keep);

// Copies terminated UTF-8 `text` into `out` as terminated UTF-16 (capacity
// `size` units, terminator included; nothing is written when size is 0).
// Stores whole characters only, never half a surrogate pair. Returns false
// when not all of the text fitted; `out` then holds the part that did.
bool ToUtf16(const char* text, char16_t* out, unsigned size);

// Copies `length` UTF-16 units (or fewer, up to a 0 unit) into `out` as
// terminated UTF-8 (capacity `size` bytes, terminator included; nothing is
// written when size is 0): at most size - 1 bytes, never ending inside a
// character. Returns the number of bytes stored; `cut`, when not null, tells
// whether part of the text was left out.
unsigned ToUtf8(const char16_t* text, unsigned length, char* out, unsigned size,
                bool* cut);

// Number of units before the terminator.
unsigned Length(const char16_t* text);

// The character that Windows-1252 (Western Windows) gives `byte`; the five
// bytes that code page leaves undefined (81, 8D, 8F, 90, 9D) give U+FFFD.
char32_t FromWindows1252(unsigned char byte);

// Turns the `length` bytes of Windows-1252 text at the start of `text` (a
// buffer of `size` bytes, size > length) into terminated UTF-8 in place: at
// most size - 1 bytes, ending between characters. Returns the number of
// bytes stored; `cut` tells whether part of the text was left out.
unsigned Windows1252ToUtf8(char* text, unsigned length, unsigned size,
                           bool* cut);

}  // namespace utf
