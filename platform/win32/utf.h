// Conversion between the launcher's 8-bit texts (UTF-8) and the UTF-16 of
// the wide Windows functions. Portable and free of any library, so that the
// Windows launcher (which links no C runtime) and the native unit tests build
// the same code.
//
// Neither direction ever fails on bad input: what is not a character (a byte
// that cannot start or continue UTF-8, a UTF-16 surrogate without its partner,
// as a damaged file may hold) becomes U+FFFD, the replacement character.
#pragma once

namespace utf {

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

}  // namespace utf
