// Message formatting with an arbitrary format text and argument. Promises:
// at most 255 characters, terminated, nothing written past the buffer, and
// every character comes from the format or the argument (no memory shows).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "launcher/format.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckOutput(const char* out, const std::string& format,
                 const std::string& argument) {
  const std::size_t n = std::strlen(out);
  Check(n <= 255);
  Check(out[256] == 0x55);
  for (std::size_t i = 0; i < n; ++i) {
    Check(format.find(out[i]) != std::string::npos ||
          argument.find(out[i]) != std::string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string argument = input.ConsumeRandomLengthString(400);
  const int number = input.ConsumeIntegral<int>();
  const std::string format = input.ConsumeRemainingBytesAsString();
  const std::string terminated = format.substr(0, format.find('\0'));
  const std::string arg = argument.substr(0, argument.find('\0'));

  char out[257];
  std::memset(out, 0x55, sizeof out);
  FormatWithText(out, terminated.c_str(), arg.c_str());
  CheckOutput(out, terminated, arg);

  std::memset(out, 0x55, sizeof out);
  FormatWithNumber(out, terminated.c_str(), number);
  CheckOutput(out, terminated, "-0123456789");
  return 0;
}
