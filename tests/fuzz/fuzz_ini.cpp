// The INI reader on arbitrary bytes, with arbitrary section and key names and
// buffer sizes. Promises: the value is terminated within the buffer, the
// count is its length, and reading the same text in other pieces gives the
// same answer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ini/ini_reader.h"
#include "tests/support/piece_source.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
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
  }
  PieceSource again(text, piece);
  (void)ini::GetInt(&again, section.c_str(), key.c_str(), -1);
  return 0;
}
