#include "config/text.h"

namespace text {

unsigned Length(const char* s) {
  unsigned n = 0;
  while (s[n] != '\0') ++n;
  return n;
}

bool Copy(char* buffer, unsigned size, const char* source) {
  if (size == 0) return false;
  buffer[0] = '\0';
  return Append(buffer, size, source);
}

bool Append(char* buffer, unsigned size, const char* source) {
  if (size == 0) return false;
  unsigned at = 0;
  while (at < size && buffer[at] != '\0') ++at;
  const unsigned add = Length(source);
  if (at >= size || add >= size - at) {
    buffer[0] = '\0';
    return false;
  }
  for (unsigned i = 0; i <= add; ++i) buffer[at + i] = source[i];
  return true;
}

}  // namespace text
