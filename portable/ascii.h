// ASCII letter case, the only case that Windows' profile functions, its file
// names and window classes fold the same way on every code page. Bytes
// outside A-Z and a-z (UTF-8 sequences among them) are left as they are, and
// the C locale is never consulted.
#pragma once

#include <cstddef>

namespace ascii {

constexpr int Lower(int c) {
  return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}
constexpr int Upper(int c) {
  return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}

inline bool SameIgnoringCase(const char* a, std::size_t aLength, const char* b,
                             std::size_t bLength) {
  if (aLength != bLength) return false;
  for (std::size_t i = 0; i < aLength; ++i) {
    if (Lower(static_cast<unsigned char>(a[i])) !=
        Lower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// Both texts terminated.
inline bool SameIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int x = Lower(static_cast<unsigned char>(*a));
    if (x != Lower(static_cast<unsigned char>(*b))) return false;
    if (x == '\0') return true;
  }
}

}  // namespace ascii
