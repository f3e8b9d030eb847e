// The INI reader on arbitrary bytes, with arbitrary section and key names and
// buffer sizes. Promises: the value is terminated within the buffer, the
// count is its length, and reading the same text in other pieces gives the
// same answer; every value is valid UTF-8, whatever the file holds; a value
// that does not fit is said to be cut, is a prefix of the whole value, and
// ends between characters.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "portable/ini/ini_reader.h"
#include "tests/support/piece_source.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Whether `text` is valid UTF-8 (no overlong forms, surrogates or code
// points above U+10FFFF), written plainly as the standard states it.
bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t n = c < 0x80   ? 1
                    : c < 0xC0 ? 0
                    : c < 0xE0 ? 2
                    : c < 0xF0 ? 3
                    : c < 0xF8 ? 4
                               : 0;
    if (n == 0 || i + n > text.size()) return false;
    std::uint32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const unsigned char d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = cp << 6 | (d & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(64);
  const std::string key = input.ConsumeRandomLengthString(64);
  const unsigned bufferSize = input.ConsumeIntegralInRange<unsigned>(0, 300);
  const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, 5000);
  const std::string text = input.ConsumeRemainingBytesAsString();

  char whole[301];
  char pieces[301];
  std::memset(whole, 0x55, sizeof whole);
  std::memset(pieces, 0x55, sizeof pieces);
  PieceSource all(text, text.size() + 1);
  PieceSource some(text, piece);
  const unsigned n = ini::GetString(&all, section.c_str(), key.c_str(), "dflt",
                                    whole, bufferSize);
  const unsigned m = ini::GetString(&some, section.c_str(), key.c_str(), "dflt",
                                    pieces, bufferSize);
  if (bufferSize == 0) {
    Check(n == 0 && m == 0 && whole[0] == 0x55);
  } else {
    Check(n < bufferSize && whole[n] == '\0' && std::strlen(whole) == n);
    Check(whole[bufferSize] == 0x55);  // nothing past the buffer
    Check(n == m && std::memcmp(whole, pieces, n + 1) == 0);
    Check(IsUtf8(std::string(whole, n)));
  }
  if (bufferSize > 0) {
    std::vector<char> big(1 << 16);
    PieceSource once(text, text.size() + 1);
    bool bigCut = true, cut = false;
    const unsigned full =
        ini::GetString(&once, section.c_str(), key.c_str(), "dflt", big.data(),
                       static_cast<unsigned>(big.size()), &bigCut);
    PieceSource small(text, piece);
    ini::GetString(&small, section.c_str(), key.c_str(), "dflt", pieces,
                   bufferSize, &cut);
    if (!bigCut) {
      const std::string value(big.data(), full);
      Check(cut == (full > bufferSize - 1));
      Check(value.compare(0, n, whole, n) == 0);
      if (cut) Check(n + 3 >= bufferSize - 1);
      if (cut) Check((value[n] & 0xC0) != 0x80);
    }
  }
  PieceSource again(text, piece);
  (void)ini::GetInt(&again, section.c_str(), key.c_str(), -1);
  return 0;
}
