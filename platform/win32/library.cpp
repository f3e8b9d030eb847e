// The few C library functions that the compiler and the INI reader call,
// for a launcher that links no C runtime: memcpy, memmove, memset, memcmp,
// memchr and strlen, as plain byte loops (the texts are short, and the
// reader's buffers are a few KiB). The build keeps the compiler from turning
// these loops back into calls of themselves (-fno-tree-loop-distribute-
// patterns). Left out: everything else of the C library.
#include <cstddef>

extern "C" {

void* memcpy(void* to, const void* from, std::size_t n) {
  auto* out = static_cast<unsigned char*>(to);
  const auto* in = static_cast<const unsigned char*>(from);
  for (std::size_t i = 0; i < n; ++i) out[i] = in[i];
  return to;
}

void* memmove(void* to, const void* from, std::size_t n) {
  auto* out = static_cast<unsigned char*>(to);
  const auto* in = static_cast<const unsigned char*>(from);
  if (out < in) {
    for (std::size_t i = 0; i < n; ++i) out[i] = in[i];
  } else {
    for (std::size_t i = n; i > 0; --i) out[i - 1] = in[i - 1];
  }
  return to;
}

void* memset(void* to, int value, std::size_t n) {
  auto* out = static_cast<unsigned char*>(to);
  for (std::size_t i = 0; i < n; ++i)
    out[i] = static_cast<unsigned char>(value);
  return to;
}

int memcmp(const void* a, const void* b, std::size_t n) {
  const auto* x = static_cast<const unsigned char*>(a);
  const auto* y = static_cast<const unsigned char*>(b);
  for (std::size_t i = 0; i < n; ++i) {
    if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
  }
  return 0;
}

void* memchr(const void* text, int c, std::size_t n) {
  const auto* p = static_cast<const unsigned char*>(text);
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] == static_cast<unsigned char>(c))
      return const_cast<unsigned char*>(p + i);
  }
  return nullptr;
}

std::size_t strlen(const char* text) {
  std::size_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

}  // extern "C"
